// Every member of the tile renderer family against a plain per-pixel model of one tile.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "video/tile_renderers.h"

namespace {

constexpr int PITCH = 1024;
constexpr int DEST_ROW = 2;
constexpr int DEST_BYTE = 100;
constexpr int BUFFER_ROWS = 20;

// Source pixels shown at output positions 0, 1, ... by the unflipped members of shrink 7-15.
std::vector<int> source_pixels(bool format_8bit, int h) {
    if (format_8bit) {
        if (h == 7) return {1, 3, 5, 7, 9, 11, 13, 15};
        if (h == 10) return {0, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15};
        if (h == 12) return {0, 1, 2, 4, 5, 6, 7, 9, 10, 11, 13, 14, 15};
        if (h == 13) return {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15};
    }
    switch (h) {
    case 7: return {0, 2, 4, 6, 8, 10, 12, 14};
    case 8: return {0, 2, 4, 6, 8, 9, 11, 13, 15};
    case 9: return {0, 2, 4, 5, 7, 8, 10, 11, 13, 15};
    case 10: return {0, 2, 3, 5, 6, 8, 9, 10, 12, 13, 15};
    case 11: return {0, 2, 3, 4, 6, 7, 8, 10, 11, 12, 14, 15};
    case 12: return {0, 1, 2, 4, 5, 6, 7, 9, 10, 11, 12, 14, 15};
    case 13: return {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15};
    case 14: return {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    default: return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    }
}

// Source pixels of one output line, in output order, for any member.
std::vector<int> line_pixels(bool format_8bit, int h, bool flip_x, uint32_t horizontal_mask) {
    std::vector<int> shown;
    if (h >= 7) {
        shown = source_pixels(format_8bit, h);
        if (flip_x) {
            if (format_8bit && h == 7)
                std::reverse(shown.begin(), shown.end());
            else
                for (int& s : shown) s = 15 - s;
        }
        return shown;
    }
    if (!format_8bit) {
        for (int s = 0; s < 16; ++s)
            if (horizontal_mask >> s & 1) shown.push_back(flip_x ? 15 - s : s);
    } else {
        for (int c = 0; c < 8; ++c)
            if (horizontal_mask >> c & 1) shown.push_back(flip_x ? 14 - 2 * c : 2 * c + 1);
    }
    return shown;
}

int pattern_pixel(const uint8_t* pattern, int row, int x) {
    uint8_t byte = pattern[8 * row + x / 2];
    return x % 2 == 0 ? byte >> 4 : byte & 15;
}

// The model: rows by the vertical mask in walking order, pixels by the shrink selection, value 0
// left unwritten unless the row's flags say opaque, rows flagged transparent only advance.
void reference_tile(bool format_8bit, int h, int flip, const uint8_t* pattern, const uint16_t* palette16,
                    const uint8_t* palette8, uint8_t* dest, uint32_t row_flags, uint32_t vertical_mask,
                    uint32_t horizontal_mask) {
    std::vector<int> shown = line_pixels(format_8bit, h, flip & 1, horizontal_mask);
    bool mask_from_top = format_8bit && h < 7;
    int line = 0;
    for (int k = 0; k < 16; ++k) {
        int bit = mask_from_top ? 15 - k : k;
        if (!(vertical_mask >> bit & 1)) continue;
        int row = (flip & 2) ? 15 - k : k;
        bool transparent = row_flags >> (2 * row + 1) & 1;
        bool opaque = row_flags >> (2 * row) & 1;
        if (!transparent) {
            for (size_t j = 0; j < shown.size(); ++j) {
                int value = pattern_pixel(pattern, row, shown[j]);
                if (value == 0 && !opaque) continue;
                uint8_t* out = dest + line * PITCH;
                if (format_8bit)
                    out[j] = palette8[value];
                else
                    std::memcpy(out + 2 * j, &palette16[value], 2);
            }
        }
        ++line;
    }
}

struct RandomTile {
    uint8_t pattern[128];
    uint32_t row_flags;
};

// Rows of every kind: empty, full, sparse; flags either true to the pixels or random.
RandomTile random_tile(std::mt19937& rng, bool true_flags, bool fully_opaque) {
    RandomTile t{};
    uint32_t true_flag_bits = 0;
    for (int r = 0; r < 16; ++r) {
        int kind = fully_opaque ? 1 : static_cast<int>(rng() % 3);
        bool all_set = true, all_clear = true;
        for (int x = 0; x < 16; ++x) {
            int v = kind == 0 ? 0 : kind == 1 ? 1 + static_cast<int>(rng() % 15) : static_cast<int>(rng() % 3 == 0 ? 0 : rng() % 16);
            all_set &= v != 0;
            all_clear &= v == 0;
            t.pattern[8 * r + x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? v << 4 : v);
        }
        true_flag_bits |= (all_set ? 1u : 0u) << (2 * r) | (all_clear ? 2u : 0u) << (2 * r);
    }
    t.row_flags = true_flags ? true_flag_bits : static_cast<uint32_t>(rng());
    return t;
}

// (set, entry): set 0 is the plain set, set 1 the SIMD set of the 16-bit format.
class RendererFamily : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(RendererFamily, MatchesThePerPixelModel) {
    int entry = std::get<1>(GetParam());
    const TileRenderer* set = tile_renderers.data();
    if (std::get<0>(GetParam()) == 1) {
        set = simd_tile_renderers();
        if (set == nullptr) GTEST_SKIP() << "this processor cannot run the SIMD set";
    }
    bool format_8bit = entry >= 40;
    int group = (entry % 40) / 4;
    int flip = entry % 4;
    std::mt19937 rng(static_cast<unsigned>(entry) * 7919u + 1);
    std::vector<int> shrinks;
    if (group == 0)
        shrinks = {0, 1, 2, 3, 4, 5, 6};
    else
        shrinks = {group + 6};
    for (int h : shrinks) {
        ASSERT_EQ(tile_renderer_index(format_8bit, h, flip), entry);
        for (int trial = 0; trial < 60; ++trial) {
            bool fully_opaque = trial % 10 == 0;
            RandomTile t = random_tile(rng, trial % 3 != 2 || fully_opaque, fully_opaque);
            uint32_t vertical_mask = trial % 4 == 0   ? 0xFFFF
                                     : trial % 4 == 1 ? shrink_masks[rng() % 16]
                                                      : rng() & 0xFFFF;
            uint32_t horizontal_mask = 0;
            if (h < 7) horizontal_mask = format_8bit ? shrink_masks_8bit[h] : shrink_masks[h];
            uint16_t palette16[16];
            uint8_t palette8[16];
            for (int i = 0; i < 16; ++i) {
                palette16[i] = static_cast<uint16_t>(0x1000 * i + 0x0101 * trial + 1);
                palette8[i] = static_cast<uint8_t>(16 * i + trial % 16 + 1);
            }
            std::vector<uint8_t> actual(BUFFER_ROWS * PITCH), expected;
            for (auto& b : actual) b = static_cast<uint8_t>(rng());
            expected = actual;
            const void* palette = format_8bit ? static_cast<const void*>(palette8) : palette16;
            set[entry](t.pattern, palette, actual.data() + DEST_ROW * PITCH + DEST_BYTE,
                                  t.row_flags, vertical_mask, horizontal_mask);
            reference_tile(format_8bit, h, flip, t.pattern, palette16, palette8,
                           expected.data() + DEST_ROW * PITCH + DEST_BYTE, t.row_flags, vertical_mask,
                           horizontal_mask);
            ASSERT_EQ(actual, expected) << "entry " << entry << " h " << h << " trial " << trial
                                        << " vmask " << std::hex << vertical_mask << " flags "
                                        << t.row_flags;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllEntries, RendererFamily,
                         ::testing::Combine(::testing::Values(0, 1), ::testing::Range(0, TILE_RENDERER_COUNT)),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
                             int e = std::get<1>(info.param);
                             return std::string(std::get<0>(info.param) ? "simd_" : "plain_") +
                                    (e < 40 ? "bits16" : "bits8") + "_group" +
                                    std::to_string((e % 40) / 4) + "_flip" + std::to_string(e % 4);
                         });

// A tile whose pixel x of every row has value x (pixel 0: 0, so column 0 is transparent), drawn
// into an 8-bit line: the output positions give back the source pixels that were taken.
std::vector<int> shown_sources_8bit(int h, int flip, uint32_t vertical_mask) {
    uint8_t pattern[128];
    for (int r = 0; r < 16; ++r)
        for (int b = 0; b < 8; ++b) pattern[8 * r + b] = static_cast<uint8_t>((2 * b) << 4 | (2 * b + 1));
    uint8_t palette[16];
    for (int i = 0; i < 16; ++i) palette[i] = static_cast<uint8_t>(i);
    std::vector<uint8_t> frame(BUFFER_ROWS * PITCH, 0xEE);
    uint32_t hmask = h < 7 ? shrink_masks_8bit[h] : 0;
    tile_renderers[tile_renderer_index(1, h, flip)](pattern, palette, frame.data(), 0, vertical_mask, hmask);
    std::vector<int> shown;
    for (int j = 0; j < 16 && frame[static_cast<size_t>(j)] != 0xEE; ++j) shown.push_back(frame[static_cast<size_t>(j)]);
    return shown;
}

TEST(RendererEdges, ShrinkSelectionsOfTheEightBitFormat) {
    EXPECT_EQ(shown_sources_8bit(3, 0, 0xFFFF), (std::vector<int>{1, 5, 9, 13}));
    EXPECT_EQ(shown_sources_8bit(0, 0, 0xFFFF), (std::vector<int>{9}));
    EXPECT_EQ(shown_sources_8bit(7, 1, 0xFFFF), (std::vector<int>{15, 13, 11, 9, 7, 5, 3, 1}));
}

TEST(RendererEdges, OneLineTilesShowRowEightOrRowSevenFlipped) {
    // Rows hold their own number in every pixel, so the one line drawn tells the row.
    uint8_t pattern[128];
    for (int r = 0; r < 16; ++r)
        for (int b = 0; b < 8; ++b) pattern[8 * r + b] = static_cast<uint8_t>(r << 4 | r);
    uint16_t palette[16];
    for (int i = 0; i < 16; ++i) palette[i] = static_cast<uint16_t>(0x100 + i);
    for (int flip : {0, 2}) {
        std::vector<uint8_t> frame(BUFFER_ROWS * PITCH, 0);
        tile_renderers[tile_renderer_index(0, 15, flip)](pattern, palette, frame.data(), 0x55555555,
                                                          0x0100, 0);
        uint16_t first;
        std::memcpy(&first, frame.data() + 2, 2);
        EXPECT_EQ(first, flip ? 0x107 : 0x108);
        EXPECT_EQ(frame[PITCH + 2], 0) << "only one line is drawn";
    }
}

} // namespace
