// State of the video chip (one instance, inside the machine state).
#pragma once
#include <cstdint>

inline constexpr uint32_t VRAM_WORDS = 0x10000;
inline constexpr uint32_t FRAME_BUFFER_PITCH = 1024; // bytes per frame buffer row, both formats
inline constexpr uint32_t FIRST_VISIBLE_ROW = 17;
inline constexpr uint32_t PALETTE_COLOURS = 4096;
inline constexpr uint32_t BACKDROP_ENTRY = 4095;
inline constexpr uint32_t INITIAL_MATCH_MASK = 0xF8F8F8;

struct VideoState {
    alignas(16) uint16_t vram[VRAM_WORDS] = {};
    uint16_t vram_address = 0;
    uint16_t vram_modulo = 0;
    uint16_t mode = 0;
    uint8_t animation_speed = 0;
    uint8_t animation_frame_count = 0;
    uint8_t animation_counter_a = 0;
    uint8_t animation_counter_b = 0;
    uint32_t raster_timer = 0;
    uint32_t first_visible_row = FIRST_VISIBLE_ROW;
    // 8-bit host format: the range of host palette entries changed by the last drawn frame.
    int32_t palette_changed_low = 0;
    int32_t palette_changed_high = 0;

    // Busy-wait patch: where the main CPU stopped at the end of the last frames, and how often in
    // a row it stopped there (an offset into the program ROM image; -1 = not inside it).
    int64_t busy_wait_offset = -1;
    uint32_t busy_wait_count = 0;

    // Colour conversion for the host format in use, indexed by palette RAM colour AND 0x7FFF.
    uint16_t colour_table_16[0x10000] = {}; // host 16-bit pixels
    uint32_t colour_table_8[0x8000] = {};   // 0x00BBGGRR, 5 significant bits per channel
    // Converted palette, one entry per palette RAM colour; entry 4095 is the backdrop. Kept as
    // 16-bit host pixels (16-bit format) or host palette indexes (8-bit format).
    alignas(16) uint16_t converted_16[PALETTE_COLOURS] = {};
    alignas(16) uint8_t converted_8[PALETTE_COLOURS] = {};

    // 8-bit host format: the allocator of the 256-entry host palette.
    uint32_t host_palette[256] = {};   // colour of each host entry (0 = free)
    uint32_t colours_in_use[256] = {}; // colour of each host entry used by this frame (0 = unused)
    uint32_t match_mask = INITIAL_MATCH_MASK;
    uint8_t used_palettes[256] = {};   // palettes seen this frame, in order of first sight
    uint32_t used_count = 0;
    uint8_t used_seen[256] = {};
    uint8_t kept_palettes[256] = {};   // palettes fully allocated last frame
    uint32_t kept_count = 0;
    uint8_t kept_seen[256] = {};
};
