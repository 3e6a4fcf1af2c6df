// The 8-bit host format: every drawn frame the palettes in view get host palette entries.
// Palettes unchanged since the last frame keep theirs; the others are matched against the
// entries already holding their colours or given free ones; when the 254 free entries run out
// the colour is approximated by an entry in use and the match mask is coarsened, so that later
// frames share more entries.
#include <algorithm>
#include <iterator>

#include "machine.h"
#include "video/video.h"
#include "video/video_internal.h"

namespace {

constexpr int WHITE_ENTRY = 255;

struct Allocation {
    int free_cursor = 1;   // next entry to look at for a free one (colour 0)
    int unused_cursor = 1; // next entry to look at for one unused this frame
    bool overflowed = false;
};

uint32_t host_colour(uint32_t colour_index) {
    const VideoState& v = machine.video;
    return v.colour_table_8[palette_ram_colour(colour_index) & 0x7FFF] & v.match_mask;
}

void take_entry(int index, uint32_t colour, bool written) {
    VideoState& v = machine.video;
    v.colours_in_use[index] = colour;
    if (!written) return;
    v.host_palette[index] = colour;
    uint8_t* entry = machine.host.display.entries[index];
    entry[0] = static_cast<uint8_t>(colour);
    entry[1] = static_cast<uint8_t>(colour >> 8);
    entry[2] = static_cast<uint8_t>(colour >> 16);
    entry[3] = 0;
    if (v.palette_changed_high == 0 || index < v.palette_changed_low) v.palette_changed_low = index;
    v.palette_changed_high = std::max(v.palette_changed_high, index);
}

// The first entry in use whose colour is close to k, with ever coarser masks; 0 when none is.
int approximate(uint32_t k) {
    const VideoState& v = machine.video;
    for (uint32_t m = 0xE0E0E0;; m = ((m * 2) | 0x808080) & 0xE0E0E0) {
        for (int i = 1; i < 256; ++i)
            if (v.colours_in_use[i] != 0 && (v.colours_in_use[i] & m) == (k & m)) return i;
        if (m == 0x808080) return 0;
    }
}

void coarsen_match_mask() {
    uint32_t& mask = machine.video.match_mask;
    if (mask == 0xF8F8F8) {
        mask = 0xF0F0F0;
        return;
    }
    for (int shift = 0; shift < 24; shift += 8) { // red, then green, then blue
        if (((mask >> shift) & 0xFF) != 0xE0) {
            mask = (mask & ~(0xFFu << shift)) | 0xE0u << shift;
            return;
        }
    }
}

// A host entry for colour k, or -1 when every entry is taken this frame.
int find_entry(uint32_t k, Allocation& a, bool& written) {
    VideoState& v = machine.video;
    written = false;
    for (int i = 1; i < 256; ++i)
        if (v.host_palette[i] == k) return i;
    written = true;
    for (; a.free_cursor < 256; ++a.free_cursor)
        if (v.host_palette[a.free_cursor] == 0) return a.free_cursor++;
    for (; a.unused_cursor < 256; ++a.unused_cursor)
        if (v.colours_in_use[a.unused_cursor] == 0) return a.unused_cursor++;
    return -1;
}

void assign_palette(int palette, Allocation& a) {
    VideoState& v = machine.video;
    uint8_t& dirty = machine.board.palette_dirty[palette];
    dirty = 0;
    for (int c = 1; c < 16; ++c) {
        uint32_t k = host_colour(16 * palette + c);
        int index = 0;
        if (k != 0) {
            bool written;
            index = find_entry(k, a, written);
            if (index >= 0) {
                take_entry(index, k, written);
            } else {
                dirty = 1; // redone next frame
                if (!a.overflowed) coarsen_match_mask();
                a.overflowed = true;
                index = approximate(k);
            }
        }
        v.converted_8[16 * palette + c] = static_cast<uint8_t>(index);
    }
}

void assign_backdrop() {
    VideoState& v = machine.video;
    uint32_t k = host_colour(BACKDROP_ENTRY);
    int index = -1;
    for (int i = 0; i < 256 && index < 0; ++i)
        if (v.host_palette[i] == k) index = i;
    if (index >= 0) {
        if (index != 0) take_entry(index, k, false);
    } else {
        for (int i = 1; i < 256 && index < 0; ++i)
            if (v.colours_in_use[i] == 0) index = i;
        if (index >= 0) take_entry(index, k, true);
        else index = approximate(k); // every entry is held by a kept palette
    }
    v.converted_8[BACKDROP_ENTRY] = static_cast<uint8_t>(index);
}

} // namespace

void reset_kept_palettes() {
    VideoState& v = machine.video;
    v.kept_count = 0;
    std::fill(std::begin(v.kept_seen), std::end(v.kept_seen), 0);
}

void allocate_host_palette() {
    VideoState& v = machine.video;
    v.palette_changed_low = 0;
    v.palette_changed_high = 0;

    v.colours_in_use[WHITE_ENTRY] = 0xF8F8F8;
    std::copy(v.colours_in_use + 1, v.colours_in_use + 256, v.host_palette + 1);
    std::fill(v.colours_in_use + 1, v.colours_in_use + WHITE_ENTRY, 0);

    if (v.used_count < 16) v.match_mask = INITIAL_MATCH_MASK;

    // Keep pass: unchanged palettes that had all their entries last frame keep them.
    uint8_t handled[256] = {};
    for (uint32_t n = 0; n < v.used_count; ++n) {
        int p = v.used_palettes[n];
        if (machine.board.palette_dirty[p] || !v.kept_seen[p]) continue;
        handled[p] = 1;
        for (int c = 1; c < 16; ++c) {
            int index = v.converted_8[16 * p + c];
            if (index != 0) v.colours_in_use[index] = v.host_palette[index];
        }
    }

    Allocation a;
    // The backdrop is shown even when nothing else is in view, so it is always allocated.
    assign_backdrop();
    for (uint32_t n = 0; n < v.used_count; ++n)
        if (!handled[v.used_palettes[n]]) assign_palette(v.used_palettes[n], a);

    reset_kept_palettes();
    if (!a.overflowed) {
        v.kept_count = v.used_count;
        for (uint32_t n = 0; n < v.used_count; ++n) {
            v.kept_palettes[n] = v.used_palettes[n];
            v.kept_seen[v.used_palettes[n]] = 1;
        }
    }
}
