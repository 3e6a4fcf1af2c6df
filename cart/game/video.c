// Video RAM, sprites, the fix layer and the palettes.
#include "hw.h"

void vram_fill(uint16_t address, uint16_t count, uint16_t value) {
    VRAM_MOD = 1;
    VRAM_ADDR = address;
    while (count--)
        VRAM_DATA = value;
}

// Every sprite off, and every tile entry blank: shrunk sprites walk more entries than their
// height, and those must show nothing.
void sprite_clear_all(void) {
    vram_fill(0x8200, 0x200, 0);
    vram_fill(0x0000, 0x7000, 0);
    vram_fill(0x8000, 0x200, 0x0FFF);
}

// Tile entries of a sprite: tiles first_tile, first_tile + 1 ... with the same attributes
// (palette << 8 | auto-animation << 2 | flips).
void sprite_tiles(uint16_t sprite, uint16_t first_tile, uint16_t tile_count, uint16_t attributes) {
    VRAM_MOD = 1;
    VRAM_ADDR = (uint16_t)(sprite * 64);
    for (uint16_t i = 0; i < tile_count; ++i) {
        VRAM_DATA = (uint16_t)(first_tile + i);
        VRAM_DATA = attributes;
    }
}

// Places a sprite: x and y in screen pixels (0,0 = top left of the picture); shrink = h << 8 | v.
void sprite_set(uint16_t sprite, int x, int y, uint16_t height, uint16_t shrink, uint16_t sticky) {
    VRAM_MOD = 0x200;
    VRAM_ADDR = (uint16_t)(0x8000 + sprite);
    VRAM_DATA = shrink;
    VRAM_DATA = (uint16_t)((((496 - y) & 0x1FF) << 7) | (sticky ? 0x40 : 0) | height);
    VRAM_DATA = (uint16_t)(((x + 8) & 0x1FF) << 7);
}

void sprite_hide(uint16_t sprite) {
    VRAM_MOD = 1;
    VRAM_ADDR = (uint16_t)(0x8200 + sprite);
    VRAM_DATA = 0;
}

void fix_clear(void) {
    vram_fill(0x7000, 0x500, 0x0020);
}

// Text on the fix layer; columns 1-38 and rows 2-29 are on screen.
void fix_text(int column, int row, uint16_t palette, const char* text) {
    VRAM_MOD = 32;
    VRAM_ADDR = (uint16_t)(0x7000 + column * 32 + row);
    while (*text)
        VRAM_DATA = (uint16_t)(palette << 12 | (uint8_t)*text++);
}

void fix_number(int column, int row, uint16_t palette, uint32_t value, int digits) {
    char text[12];
    text[digits] = 0;
    for (int i = digits - 1; i >= 0; --i) {
        // Divide by ten with shifts and 16-bit steps: the 68000 has no 32-bit divide.
        uint32_t q = 0, r = 0;
        for (int bit = 31; bit >= 0; --bit) {
            r = r << 1 | ((value >> bit) & 1);
            if (r >= 10) {
                r -= 10;
                q |= 1u << bit;
            }
        }
        text[i] = (char)('0' + r);
        value = q;
    }
    fix_text(column, row, palette, text);
}

// Both palette banks: bank 1 holds the flash colours the game shows when a bomb goes off.
void palettes_load(void) {
    LATCH_PALETTE_BANK1 = 0;
    for (int p = 0; p < 16; ++p) {
        for (int c = 0; c < 16; ++c) {
            const uint16_t n = palette_normal[p][c];
            const uint16_t g = (uint16_t)((((n >> 4) & 15) + 4) >> 1), b = (uint16_t)(((n & 15) + 2) >> 1);
            PALETTE_RAM[p * 16 + c] = n ? (uint16_t)(0xF00 | g << 4 | b) : 0;
        }
    }
    PALETTE_RAM[4095] = 0x0500;
    LATCH_PALETTE_BANK0 = 0;
    for (int p = 0; p < 16; ++p)
        for (int c = 0; c < 16; ++c)
            PALETTE_RAM[p * 16 + c] = palette_normal[p][c];
    PALETTE_RAM[4095] = 0x0001;
}

void set_animation_speed(uint8_t frames) {
    VRAM_MODE = (uint16_t)(frames << 8);
}

uint16_t raster_line(void) {
    return (uint16_t)(LINE_COUNTER >> 7);
}
