// State of the frame driver's timer and pacing (one instance, machine.app.frame).
#pragma once
#include <cstdint>

struct FrameTimerState {
    int64_t timer_frequency =
        -1; // counter frequency (low 32 bits), 1000 for the millisecond clock; -1 before init
    int32_t use_counter = 0;      // 1 when the high-resolution counter is used
    int32_t frame_period = 166;   // ticks per frame, toggled 167, 166, 167, ... by XOR 1
    uint32_t next_frame_time = 0; // tick at which the next frame is due
    int32_t skip_count = 1;       // undrawn frames in the current 12-frame cycle
    int32_t frames_in_cycle = 0;  // emulated frames since the cycle was last reset
    int32_t escape_armed = 1;     // Escape seen released since the menu last opened
    // Palette bank at the last drawn frame; none before the first, so it converts every palette.
    uint32_t drawn_palette_bank = 0xFFFFFFFF;
    uint64_t frames_emulated = 0; // totals for batch runs and statistics
    uint64_t frames_drawn = 0;
};
