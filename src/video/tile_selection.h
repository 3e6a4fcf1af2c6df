// Which source pixels each member of the tile renderer family shows, shared by the renderer sets.
#pragma once
#include <array>
#include <cstdint>
#include <cstddef>
#include <initializer_list>

struct PixelSelection {
    int count;
    std::array<uint8_t, 16> source; // source pixel shown at output positions 0 .. count - 1
};

constexpr PixelSelection make_selection(std::initializer_list<int> pixels) {
    PixelSelection s{0, {}};
    for (int p : pixels) s.source[static_cast<size_t>(s.count++)] = static_cast<uint8_t>(p);
    return s;
}

// Source pixels of the unflipped members of groups 1-9 (horizontal shrink 7-15).
constexpr PixelSelection selection_16(int h) {
    switch (h) {
    case 7: return make_selection({0, 2, 4, 6, 8, 10, 12, 14});
    case 8: return make_selection({0, 2, 4, 6, 8, 9, 11, 13, 15});
    case 9: return make_selection({0, 2, 4, 5, 7, 8, 10, 11, 13, 15});
    case 10: return make_selection({0, 2, 3, 5, 6, 8, 9, 10, 12, 13, 15});
    case 11: return make_selection({0, 2, 3, 4, 6, 7, 8, 10, 11, 12, 14, 15});
    case 12: return make_selection({0, 1, 2, 4, 5, 6, 7, 9, 10, 11, 12, 14, 15});
    case 13: return make_selection({0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15});
    case 14: return make_selection({0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15});
    default: return make_selection({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    }
}

// The 8-bit format takes other pixels at shrink 7, 10, 12 and 13.
constexpr PixelSelection selection_8(int h) {
    switch (h) {
    case 7: return make_selection({1, 3, 5, 7, 9, 11, 13, 15});
    case 10: return make_selection({0, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15});
    case 12: return make_selection({0, 1, 2, 4, 5, 6, 7, 9, 10, 11, 13, 14, 15});
    case 13: return make_selection({0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15});
    default: return selection_16(h);
    }
}

constexpr PixelSelection selection(bool format_8bit, int h, bool flip_x) {
    PixelSelection s = format_8bit ? selection_8(h) : selection_16(h);
    if (!flip_x) return s;
    PixelSelection flipped = s;
    for (int j = 0; j < s.count; ++j) {
        // Under horizontal flip the 8-bit shrink-7 member shows the same odd pixels in reverse
        // order; every other member mirrors each source pixel.
        flipped.source[static_cast<size_t>(j)] =
            format_8bit && h == 7 ? s.source[static_cast<size_t>(s.count - 1 - j)]
                                  : static_cast<uint8_t>(15 - s.source[static_cast<size_t>(j)]);
    }
    return flipped;
}

