// The start-up picture (resource 111: 640x480 RGB, 3 bytes a pixel), its progress marks and the
// glyph text drawn straight into the primary surface.
#include <cstring>

#include "app/app_state.h"
#include "host/display.h"
#include "machine.h"

namespace {

constexpr int LOADING_PICTURE_ID = 111;
constexpr int LOADING_WIDTH = 640;
constexpr int LOADING_HEIGHT = 480;
constexpr int GLYPH_BYTES = 64;
constexpr int GLYPH_UPPER = 4096 + 256;
constexpr int GLYPH_LOWER = 4096 + 512;
constexpr int GLYPH_SINGLE = 4096;
constexpr int FIX_TILES = 8192;

// An 8-bit channel value placed into a channel mask of any width and position.
uint32_t place_channel(uint8_t value, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    int width = 0;
    while ((mask >> (shift + width)) & 1) ++width;
    const uint32_t v = width >= 8 ? static_cast<uint32_t>(value) << (width - 8) : value >> (8 - width);
    return (v << shift) & mask;
}

void put_pixel(uint8_t* row, int x, int depth, uint32_t colour) {
    if (depth == 8) row[x] = static_cast<uint8_t>(colour == 0xFFFF ? 255 : colour);
    else {
        const uint16_t c = static_cast<uint16_t>(colour);
        std::memcpy(row + 2 * x, &c, 2);
    }
}

} // namespace

void display_show_loading_picture() {
    DisplayContext& d = machine.host.display;
    ResourceData picture;
    if (!platform_find_resource(LOADING_PICTURE_ID, &picture) ||
        picture.size < static_cast<size_t>(LOADING_WIDTH) * LOADING_HEIGHT * 3 || d.depth == 8)
        return; // no picture: start-up goes on without it
    int32_t pitch = 0;
    uint8_t* pixels = surface_lock(d.primary, &pitch);
    if (pixels == nullptr) return;
    const int rows = d.height < LOADING_HEIGHT ? d.height : LOADING_HEIGHT;
    const int columns = d.width < LOADING_WIDTH ? d.width : LOADING_WIDTH;
    for (int y = 0; y < rows; ++y) {
        const uint8_t* in = picture.data + static_cast<size_t>(y) * LOADING_WIDTH * 3;
        uint8_t* out = pixels + static_cast<ptrdiff_t>(y) * pitch;
        for (int x = 0; x < columns; ++x, in += 3) {
            const uint32_t c = place_channel(in[0], d.red_mask) | place_channel(in[1], d.green_mask) |
                               place_channel(in[2], d.blue_mask);
            put_pixel(out, x, 16, c);
        }
    }
    surface_unlock(d.primary);
}

void display_progress_mark(int stage) {
    static const char mark[] = {0x18, 0x18, 0x18, 0x18, 0};
    const int x = stage >= 8 ? 571 : 28 * stage + 347;
    draw_text_direct(mark, x, 442, 0, 0xFFFF, 1);
}

void draw_text_direct(const char* text, int x, int y, uint32_t colour_a, uint32_t colour_b, int two_rows) {
    DisplayContext& d = machine.host.display;
    const uint8_t* fix = machine.roms.fix_rom_base;
    if (fix == nullptr || text == nullptr) return;
    int32_t pitch = 0;
    uint8_t* pixels = surface_lock(d.primary, &pitch);
    if (pixels == nullptr) return;
    const int halves = two_rows ? 2 : 1;
    for (int n = 0; text[n] != 0; ++n) {
        const uint8_t c = static_cast<uint8_t>(text[n]);
        for (int half = 0; half < halves; ++half) {
            const int tile = two_rows ? (half == 0 ? GLYPH_UPPER : GLYPH_LOWER) + c : GLYPH_SINGLE + c;
            if (tile >= FIX_TILES) continue;
            const uint8_t* glyph = fix + static_cast<size_t>(tile) * GLYPH_BYTES;
            for (int row = 0; row < 8; ++row) {
                const int py = y + 8 * half + row;
                if (py < 0 || py >= d.height) continue; // text beyond the screen is clipped
                uint8_t* out = pixels + static_cast<ptrdiff_t>(py) * pitch;
                for (int col = 0; col < 8; ++col) {
                    const int px = x + 8 * n + col;
                    if (px < 0 || px >= d.width) continue;
                    put_pixel(out, px, d.depth, glyph[row * 8 + col] == 2 ? colour_b : colour_a);
                }
            }
        }
    }
    surface_unlock(d.primary);
}
