// Text in the frame buffer, drawn with the fix layer's glyph tiles: menu_text in the menu's
// colour ramps and draw_text_fixed in two fixed colours.
#include <cstring>

#include "menu/menu.h"
#include "menu/menu_internal.h"

namespace {

// Writes one pixel in the frame buffer's current format. Pixels outside the frame buffer are
// dropped, so text placed near an edge neither wraps into the next row nor runs past the frame
// buffer into the rest of the work block.
void put_pixel(uint8_t* frame, int x, int y, uint32_t colour) {
    if (y < 0 || y >= FRAME_ROWS || x < 0) return;
    uint8_t* row = frame + y * FRAME_ROW_BYTES;
    if (frame_is_8bit()) {
        if (x >= FRAME_ROW_BYTES) return;
        row[x] = static_cast<uint8_t>(colour);
    } else {
        if (x >= FRAME_ROW_BYTES / 2) return;
        const uint16_t pixel = static_cast<uint16_t>(colour);
        std::memcpy(row + 2 * x, &pixel, 2);
    }
}

const uint8_t* glyph_tile(int tile) {
    return machine.roms.fix_rom_base + 64 * tile;
}

// One 8x8 tile at (x, y): background pixels take `background` unless keep_background, every
// other pixel the colour of its row.
void draw_tile(uint8_t* frame, int tile, int x, int y, const uint32_t row_colours[8], uint32_t background,
               bool keep_background) {
    const uint8_t* pixels = glyph_tile(tile);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            const bool is_background = pixels[8 * r + c] == GLYPH_BACKGROUND;
            if (is_background && keep_background) continue;
            put_pixel(frame, x + c, y + r, is_background ? background : row_colours[r]);
        }
}

// The two halves of a ramp glyph: the upper half runs down the ramp, the lower half back up.
void draw_ramp_glyph(uint8_t* frame, uint8_t code, int x, int y, const uint16_t ramp[8]) {
    uint32_t upper[8];
    uint32_t lower[8];
    for (int k = 0; k < 8; ++k) {
        upper[k] = ramp[k];
        lower[k] = ramp[7 - k];
    }
    draw_tile(frame, GLYPH_UPPER + code, x, y, upper, 0, true);
    draw_tile(frame, GLYPH_LOWER + code, x, y + 8, lower, 0, true);
}

bool can_draw() {
    return machine.app.work_block != nullptr && machine.roms.fix_rom_base != nullptr;
}

} // namespace

void menu_text(const char* text, int x, int y, int colour_index) {
    if (!can_draw() || text == nullptr || colour_index < 0 || colour_index > 2) return;
    const uint16_t* ramp = machine.menu.ramps[colour_index];
    for (int i = 0; i < MENU_TEXT_MAX && text[i] != '\0'; ++i)
        draw_ramp_glyph(machine.app.work_block, static_cast<uint8_t>(text[i]), x + 8 * i, y, ramp);
}

void menu_glyph(uint8_t code, int x, int y, int colour_index) {
    if (!can_draw() || colour_index < 0 || colour_index > 2) return;
    draw_ramp_glyph(machine.app.work_block, code, x, y, machine.menu.ramps[colour_index]);
}

void draw_text_fixed(const char* text, int x, int y, uint32_t colour_a, uint32_t colour_b, int two_rows) {
    if (!can_draw() || text == nullptr) return;
    // In 8-bit format a colour is a palette index: its low byte, which makes 0xFFFF index 255.
    if (frame_is_8bit()) {
        colour_a &= 0xFF;
        colour_b &= 0xFF;
    }
    uint32_t foreground[8];
    for (uint32_t& colour : foreground)
        colour = colour_a;
    uint8_t* frame = machine.app.work_block;
    for (int i = 0; text[i] != '\0'; ++i) {
        const uint8_t code = static_cast<uint8_t>(text[i]);
        const int left = x + 8 * i;
        if (two_rows) {
            draw_tile(frame, GLYPH_UPPER + code, left, y, foreground, colour_b, false);
            draw_tile(frame, GLYPH_LOWER + code, left, y + 8, foreground, colour_b, false);
        } else {
            draw_tile(frame, GLYPH_SINGLE + code, left, y, foreground, colour_b, false);
        }
    }
}
