// Helpers shared by the drawing files of the video chip.
#pragma once
#include <cstdint>
#include <cstring>

#include "host/flags.h"
#include "machine.h"

inline bool video_format_8bit() { return (machine.settings.video_flags & VF_8BIT) != 0; }

// The row of the frame buffer that holds screen line 0. Kept where the whole drawable band
// (15 rows above the picture to 16 below it) lies inside the frame buffer, whatever was stored.
inline int64_t frame_visible_row() {
    int64_t row = machine.video.first_visible_row;
    if (row < 15) return 15;
    if (row > 1024 - 256) return 1024 - 256;
    return row;
}

// Colour i (0-4095) of the palette RAM bank the video chip shows.
inline uint16_t palette_ram_colour(uint32_t i) {
    const uint8_t* bank = machine.board.palette_ram[machine.board.palette_bank_flag != 0 ? 1 : 0];
    uint16_t colour;
    std::memcpy(&colour, bank + 2 * i, 2);
    return colour;
}
