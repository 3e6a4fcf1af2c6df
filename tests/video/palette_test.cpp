// Colour tables, palette conversion in the 16-bit format, and the fix layer.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "video/video.h"
#include "video_fixture.h"

namespace {

struct ColourCase {
    const char* name;
    uint32_t red, green, blue;
    uint16_t colour;
    uint16_t expected;
};

class ColourTable16 : public VideoTest, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(ColourTable16, PlacesEachChannelAtTheTopOfItsMask) {
    const ColourCase& c = GetParam();
    set_colour(0, 0, c.colour);
    video_use_format_16(c.red, c.green, c.blue);
    EXPECT_EQ(machine.video.converted_16[0], c.expected) << std::hex << machine.video.converted_16[0];
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ColourTable16,
    ::testing::Values(ColourCase{"white565", 0xF800, 0x07E0, 0x001F, 0x7FFF, 0xFFDF},
                      ColourCase{"white555", 0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x7FFF},
                      ColourCase{"mixed565", 0xF800, 0x07E0, 0x001F, 0x4A52, 0xAA84},
                      ColourCase{"mixed555", 0x7C00, 0x03E0, 0x001F, 0x4A52, 0x5544},
                      ColourCase{"dark_bit_only", 0xF800, 0x07E0, 0x001F, 0x8000, 0x0000},
                      ColourCase{"dark_bit_ignored", 0xF800, 0x07E0, 0x001F, 0xCA52, 0xAA84},
                      // 4-4-4: channels too narrow keep their high bits and stay in their masks.
                      ColourCase{"narrow444_red", 0x0F00, 0x00F0, 0x000F, 0x4F00, 0x0F00},
                      ColourCase{"narrow444_white", 0x0F00, 0x00F0, 0x000F, 0x7FFF, 0x0FFF},
                      ColourCase{"no_blue", 0xF800, 0x07E0, 0x0000, 0x000F, 0x0000}),
    [](const ::testing::TestParamInfo<ColourCase>& info) { return std::string(info.param.name); });

TEST_F(VideoTest, ColourTable8HoldsEightBitComponents) {
    video_use_format_8();
    EXPECT_EQ(machine.video.colour_table_8[0x4A52], 21u * 8 | (10u * 8) << 8 | (4u * 8) << 16);
    EXPECT_EQ(machine.video.colour_table_8[0x7FFF], 0xF8F8F8u);
}

TEST_F(VideoTest, DirtyConversionTouchesOnlyTheDirtyPalettes) {
    video_use_format_16(0x7C00, 0x03E0, 0x001F);
    set_colour(0, 16 * 7 + 3, 0x0F00);
    set_colour(0, 16 * 8 + 3, 0x0F00); // changed but not marked
    machine.board.palette_dirty[7] = 1;
    convert_dirty_palettes();
    EXPECT_EQ(machine.video.converted_16[16 * 7 + 3], 30 << 10);
    EXPECT_EQ(machine.video.converted_16[16 * 8 + 3], 0);
    EXPECT_EQ(machine.board.palette_dirty[7], 0);
}

TEST_F(VideoTest, FullConversionReadsTheBankInUse) {
    video_use_format_16(0x7C00, 0x03E0, 0x001F);
    set_colour(1, 4095, 0x000F);
    machine.board.palette_dirty[3] = 1;
    machine.board.palette_bank_flag = 0xFF;
    convert_all_palettes();
    EXPECT_EQ(machine.video.converted_16[4095], 30);
    EXPECT_EQ(machine.board.palette_dirty[3], 0);
}

// The fix layer over two banks of tiles.
class FixLayer : public VideoTest {
  public:
    void SetUp() override {
        VideoTest::SetUp();
        std::memset(fix_tile(0, 1), 3, 64);     // opaque
        fix_tile(0, 2)[9] = 5;                  // one pixel, row 1 column 1
        std::memset(fix_tile(1, 0), 7, 64);     // the board's tile 0 is opaque
        for (int c = 0; c < 16; ++c)
            for (int p = 0; p < 16; ++p) set_colour(0, 16 * p + c, static_cast<uint16_t>(p << 8 | c));
        video_use_format_16(0x7C00, 0x03E0, 0x001F);
        compute_fix_flags();
        std::memset(machine.app.work_block, 0, 300 * 1024);
    }
    static void put(int column, int row, int palette, int tile) {
        machine.video.vram[0x7000 + 32 * column + row] = static_cast<uint16_t>(palette << 12 | tile);
    }
};

TEST_F(FixLayer, TilesAreClassifiedOnce) {
    EXPECT_EQ(machine.app.fix_flags[0], 1);
    EXPECT_EQ(machine.app.fix_flags[1], 2);
    EXPECT_EQ(machine.app.fix_flags[2], 0);
    EXPECT_EQ(machine.app.fix_flags[4096], 2);
    EXPECT_EQ(machine.app.fix_flags[4097], 1);
}

TEST_F(FixLayer, DrawsTilesAtTheirCellsWithTheirPalettes) {
    put(0, 2, 4, 1);   // top-left cell
    put(39, 29, 9, 2); // bottom-right cell, one pixel
    put(5, 1, 4, 1);   // rows 0, 1, 30 and 31 are not shown
    put(5, 30, 4, 1);
    render_fix_layer();
    EXPECT_EQ(pixel16(0, 0), machine.video.converted_16[16 * 4 + 3]);
    EXPECT_EQ(pixel16(7, 7), machine.video.converted_16[16 * 4 + 3]);
    EXPECT_EQ(pixel16(8, 0), 0);
    EXPECT_EQ(pixel16(313, 217), machine.video.converted_16[16 * 9 + 5]);
    EXPECT_EQ(pixel16(312, 216), 0) << "zero pixels leave the sprites showing";
    for (int line = -8; line < 232; ++line) EXPECT_EQ(pixel16(43, line), 0) << "row " << line;
}

TEST_F(FixLayer, TheSameTileNumberDiffersBetweenBanks) {
    put(10, 10, 1, 0);
    render_fix_layer();
    EXPECT_EQ(pixel16(80, 64), 0) << "the game's tile 0 is empty";
    machine.roms.current_fix_rom = machine.roms.fix_rom_base + FIX_BOARD_BANK_OFFSET;
    render_fix_layer();
    EXPECT_EQ(pixel16(80, 64), machine.video.converted_16[16 + 7]);
}

TEST_F(FixLayer, TheSimdBodyDrawsThePlainPicture) {
    std::mt19937 rng(5);
    for (int t = 16; t < 4096; ++t)
        for (int p = 0; p < 64; ++p) fix_tile(0, t)[p] = static_cast<uint8_t>(t % 7 == 0 ? 1 + rng() % 255 : rng() % 3 ? 0 : rng() % 256);
    compute_fix_flags();
    for (int column = 0; column < 40; ++column)
        for (int row = 0; row < 32; ++row) put(column, row, static_cast<int>(rng() % 16), static_cast<int>(rng() % 4096));
    std::vector<uint8_t> before(machine.app.work_block, machine.app.work_block + 300 * 1024);
    render_fix_layer();
    std::vector<uint8_t> plain(machine.app.work_block, machine.app.work_block + 300 * 1024);
    std::copy(before.begin(), before.end(), machine.app.work_block);
    machine.settings.video_flags |= VF_MMX;
    render_fix_layer();
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), machine.app.work_block));
    EXPECT_NE(plain, before);
}

TEST_F(FixLayer, EightBitFormatWritesIndexes) {
    machine.settings.video_flags |= VF_8BIT;
    machine.video.converted_8[16 * 2 + 3] = 77;
    put(1, 3, 2, 1);
    render_fix_layer();
    EXPECT_EQ(pixel8(8, 8), 77);
    EXPECT_EQ(pixel8(15, 15), 77);
    EXPECT_EQ(pixel8(16, 8), 0);
}

} // namespace
