// Colour conversion: the colour tables for the two host formats and the conversion of palette RAM
// into the converted palette of the 16-bit format.
#include <algorithm>
#include <bit>
#include <iterator>

#include "machine.h"
#include "video/video.h"
#include "video/video_internal.h"

namespace {

// The 5-bit channels of a palette RAM colour: 4 high bits plus a shared low bit each.
uint32_t red_of(uint32_t c) { return ((c >> 8) & 15) * 2 + ((c >> 14) & 1); }
uint32_t green_of(uint32_t c) { return ((c >> 4) & 15) * 2 + ((c >> 13) & 1); }
uint32_t blue_of(uint32_t c) { return (c & 15) * 2 + ((c >> 12) & 1); }

// Places a 5-bit channel with its top bit on the highest bit of the host mask. A mask too narrow
// for 5 bits below that top bit keeps the channel's high bits only, and nothing ever spills out
// of the mask into a neighbouring channel.
uint32_t place_channel(uint32_t value, uint32_t mask) {
    mask &= 0xFFFF;
    if (mask == 0) return 0;
    int top = std::bit_width(mask) - 1;
    uint32_t placed = top >= 4 ? value << (top - 4) : value >> (4 - top);
    return placed & mask;
}

void convert_palette(uint32_t palette) {
    VideoState& v = machine.video;
    for (uint32_t i = 16 * palette; i < 16 * palette + 16; ++i)
        v.converted_16[i] = v.colour_table_16[palette_ram_colour(i) & 0x7FFF];
}

} // namespace

void video_use_format_16(uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask) {
    VideoState& v = machine.video;
    for (uint32_t c = 0; c < 0x10000; ++c)
        v.colour_table_16[c] = static_cast<uint16_t>(place_channel(red_of(c), red_mask) |
                                                     place_channel(green_of(c), green_mask) |
                                                     place_channel(blue_of(c), blue_mask));
    convert_all_palettes();
}

void video_use_format_8() {
    VideoState& v = machine.video;
    for (uint32_t c = 0; c < 0x8000; ++c)
        v.colour_table_8[c] = red_of(c) * 8 | (green_of(c) * 8) << 8 | (blue_of(c) * 8) << 16;
    // Every host entry is free again: the next frame allocates all palettes in view afresh.
    std::fill(std::begin(v.host_palette), std::end(v.host_palette), 0);
    std::fill(std::begin(v.colours_in_use), std::end(v.colours_in_use), 0);
    v.match_mask = INITIAL_MATCH_MASK;
    reset_kept_palettes();
    // Entry 255 is never allocated: it stays the white that the allocator assumes it shows.
    v.host_palette[255] = v.colours_in_use[255] = INITIAL_MATCH_MASK;
    uint8_t* white = machine.host.display.entries[255];
    white[0] = white[1] = white[2] = 0xF8;
    white[3] = 0;
    v.palette_changed_low = 0;
    v.palette_changed_high = 0;
}

void convert_all_palettes() {
    for (uint32_t p = 0; p < 256; ++p) convert_palette(p);
    std::fill(std::begin(machine.board.palette_dirty), std::end(machine.board.palette_dirty), 0);
}

void convert_dirty_palettes() {
    uint8_t* dirty = machine.board.palette_dirty;
    for (uint32_t p = 0; p < 256; ++p) {
        if (dirty[p] == 0) continue;
        convert_palette(p);
        dirty[p] = 0;
    }
}
