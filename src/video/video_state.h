// State of the video chip (one instance, inside the machine state).
#pragma once
#include <cstdint>

inline constexpr uint32_t VRAM_WORDS = 0x10000;
inline constexpr uint32_t FRAME_BUFFER_PITCH = 1024; // bytes per frame buffer row, both formats
inline constexpr uint32_t FIRST_VISIBLE_ROW = 17;

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
};
