// The fix tile flags computed at start-up: which tiles the fix pass can skip or draw without the
// transparency test.
#include <gtest/gtest.h>

#include <vector>

#include "video/video.h"
#include "video/video_internal.h"
#include "video_fixture.h"

namespace {

struct FixFlagsCase {
    const char* name;
    std::vector<std::pair<int, uint8_t>> pixels; // (byte in the tile, value); the rest are 0 or `fill`
    uint8_t fill;
    uint8_t expected;
};

class FixFlags : public VideoTest, public ::testing::WithParamInterface<FixFlagsCase> {};

TEST_P(FixFlags, ClassifiesTheTile) {
    const FixFlagsCase& c = GetParam();
    // Tile 77 of bank 1 is the one under test; its neighbours keep pixels set, so a scan that
    // strays across a tile boundary shows.
    std::fill_n(fix_tile(1, 76), 64, 0x0F);
    std::fill_n(fix_tile(1, 78), 64, 0x00);
    std::fill_n(fix_tile(1, 77), 64, c.fill);
    for (auto [at, value] : c.pixels) fix_tile(1, 77)[at] = value;
    compute_fix_flags();
    EXPECT_EQ(machine.app.fix_flags[FIX_BANK_TILES + 77], c.expected);
    EXPECT_EQ(machine.app.fix_flags[FIX_BANK_TILES + 76], FIX_OPAQUE);
    EXPECT_EQ(machine.app.fix_flags[FIX_BANK_TILES + 78], FIX_TRANSPARENT);
}

INSTANTIATE_TEST_SUITE_P(
    Tiles, FixFlags,
    ::testing::Values(FixFlagsCase{"AllZeroIsTransparent", {}, 0x00, FIX_TRANSPARENT},
                      FixFlagsCase{"NoZeroIsOpaque", {}, 0x01, FIX_OPAQUE},
                      // Bytes with the top bit set or of 0x01 next to 0x80 must not pass for zeros.
                      FixFlagsCase{"HighBytesAreNotZeros", {{3, 0x80}, {4, 0x01}, {5, 0xFF}}, 0x01, FIX_OPAQUE},
                      FixFlagsCase{"OneZeroInTheFirstWord", {{0, 0x00}}, 0x0F, 0},
                      FixFlagsCase{"OneZeroInTheLastByte", {{63, 0x00}}, 0x0F, 0},
                      FixFlagsCase{"OneZeroBehindAHighByte", {{40, 0x80}, {41, 0x00}}, 0x01, 0},
                      FixFlagsCase{"OnePixelInTheLastByte", {{63, 0x05}}, 0x00, 0},
                      FixFlagsCase{"OnePixelInTheFirstByte", {{0, 0x10}}, 0x00, 0}),
    [](const auto& info) { return info.param.name; });

TEST_F(VideoTest, WithoutAFixImageEveryTileIsTransparent) {
    machine.roms.fix_rom_base = nullptr;
    compute_fix_flags();
    for (uint32_t t = 0; t < FIX_TILE_COUNT; t += 1000) EXPECT_EQ(machine.app.fix_flags[t], FIX_TRANSPARENT) << t;
}

} // namespace
