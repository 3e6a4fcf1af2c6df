// The fix tile image (104). Bank 0 (tiles 0-4095) is the game's: its text in ink 1 with a shadow
// in colour 3 on a transparent background, plus a few frame tiles. Bank 1 (tiles 4096-8191) is
// the board's: three glyph banks whose background is pixel value 2 (one-row text at 4096 + c, the
// upper and lower halves of two-row text at 4096 + 256 + c and 4096 + 512 + c) and the tiles of
// the board's logo.
#include <cstring>

#include "cartridge.h"

namespace cart {

namespace {

bool ink(const Glyph& g, int x, int y) {
    return x >= 0 && x < 8 && y >= 0 && y < 8 && (g[static_cast<size_t>(y)] >> (7 - x) & 1) != 0;
}

uint8_t* tile(Bytes& image, uint32_t n) {
    return image.data() + 64 * n;
}

// A board glyph: ink 1 on background 2. `half` 0 = one-row, 1 = upper half, 2 = lower half of a
// glyph stretched to 16 lines.
void board_glyph(uint8_t* t, const Glyph& g, int half) {
    for (int y = 0; y < 8; ++y) {
        const int source = half == 0 ? y : (half - 1) * 4 + y / 2;
        for (int x = 0; x < 8; ++x)
            t[8 * y + x] = ink(g, x, source) ? 1 : 2;
    }
}

// A game glyph: ink 1, shadow 3 one pixel right and down, background transparent.
void game_glyph(uint8_t* t, const Glyph& g) {
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            uint8_t v = 0;
            if (ink(g, x, y))
                v = 1;
            else if (ink(g, x - 1, y - 1))
                v = 3;
            t[8 * y + x] = v;
        }
    }
}

// A bevelled block used by the board logo and the game's frames: 4 light edge, 5 face, 6 dark edge.
void block(uint8_t* t, uint8_t light, uint8_t face, uint8_t dark) {
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            uint8_t v = face;
            if (x == 0 || y == 0) v = light;
            if (x == 7 || y == 7) v = dark;
            t[8 * y + x] = v;
        }
    }
}

} // namespace

Bytes build_fix_tiles(const Font& font) {
    Bytes image(kFixSize, 0);
    // Game bank: glyphs at their character codes.
    for (uint32_t c = 0; c < 256; ++c) {
        if (font.defined[c]) game_glyph(tile(image, c), font.glyphs[c]);
    }
    // Game bank: 0x100 solid block (frame), 0x101 a checker used as a dim band.
    block(tile(image, 0x100), 4, 5, 6);
    for (int i = 0; i < 64; ++i)
        tile(image, 0x101)[i] = ((i / 8 + i) & 1) ? 7 : 0;

    // Board bank: every glyph tile starts as plain background, so unknown codes draw blank.
    for (uint32_t c = 0; c < 768; ++c)
        std::memset(tile(image, kBoardBank + c), 2, 64);
    for (uint32_t c = 0; c < 256; ++c) {
        if (!font.defined[c]) continue;
        board_glyph(tile(image, kBoardBank + c), font.glyphs[c], 0);
        board_glyph(tile(image, kBoardBank + 256 + c), font.glyphs[c], 1);
        board_glyph(tile(image, kBoardBank + 512 + c), font.glyphs[c], 2);
    }
    // Board logo tiles: +0 a bevelled block, +1 a half-tone band, +2 a solid bar.
    block(tile(image, kBoardLogoTiles), 4, 5, 6);
    for (int i = 0; i < 64; ++i)
        tile(image, kBoardLogoTiles + 1)[i] = ((i / 8 + i) & 1) ? 7 : 8;
    std::memset(tile(image, kBoardLogoTiles + 2), 7, 64);
    return image;
}

} // namespace cart
