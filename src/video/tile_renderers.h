// The tile renderer family: one routine per (pixel format, horizontal-shrink group, flip) that
// draws one 16 x 16 sprite tile, already positioned and clipped by the sprite pass.
#pragma once
#include <array>
#include <cstdint>

inline constexpr int TILE_RENDERER_COUNT = 80;

// pattern: 16 rows of 8 bytes, high nibble = left pixel. palette: the tile's 16 converted colours
// (uint16_t host pixels in the 16-bit format, uint8_t host indexes in the 8-bit format).
// dest: the tile's top-left output pixel; one output line is FRAME_BUFFER_PITCH bytes further.
// row_flags: bits 2r (row r opaque) and 2r + 1 (row r transparent). vertical_mask: the pattern
// rows, in walking order, that produce a line. horizontal_mask: used by group 0 only.
using TileRenderer = void (*)(const uint8_t* pattern, const void* palette, uint8_t* dest,
                              uint32_t row_flags, uint32_t vertical_mask, uint32_t horizontal_mask);

// Entry = 40 x format (0 = 16-bit, 1 = 8-bit) + 4 x group + flip (bit 0 horizontal, bit 1 vertical);
// group 0 serves horizontal shrink 0-6, group g = 1..9 serves shrink g + 6.
extern const std::array<TileRenderer, TILE_RENDERER_COUNT> tile_renderers;

// The SIMD set of the 16-bit format, with the same layout and picture as the plain set; null
// when the host processor cannot run it.
const TileRenderer* simd_tile_renderers();
// The same for one 8 x 8 fix tile in the 16-bit format (opaque: every pixel is set).
using FixTileRenderer = void (*)(const uint8_t* source, const uint16_t* palette, uint8_t* dest, bool opaque);
FixTileRenderer simd_fix_tile_renderer();

inline int tile_renderer_index(int format_8bit, int horizontal_shrink, int flip) {
    int group = horizontal_shrink <= 6 ? 0 : horizontal_shrink - 6;
    return 40 * format_8bit + 4 * group + (flip & 3);
}

// Vertical masks (by lines - 1) and 16-bit horizontal masks (by shrink 0-6): bit k set = row or
// pixel k in display order is taken.
inline constexpr uint16_t shrink_masks[16] = {0x0100, 0x1010, 0x2084, 0x2222, 0x4892, 0x4A52,
                                              0x552A, 0x5555, 0xAAD5, 0xADB5, 0xB6ED, 0xBBBB,
                                              0xEF7B, 0xEFFB, 0xFF7F, 0xFFFF};
// Horizontal masks of the 8-bit format for shrink 0-6: h + 1 of the 8 right-hand pixels per byte.
inline constexpr uint16_t shrink_masks_8bit[7] = {0x1010, 0x2222, 0x5252, 0x5555,
                                                  0xD5D5, 0xDBDB, 0xF7F7};
