// The cartridge tools: word order, font and sprite art parsing, the tile tables and fix tiles.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

#include "cartridge.h"

namespace {

TEST(MainCpuImage, SwapsEachBytePairAndPads) {
    cart::Bytes out;
    ASSERT_TRUE(cart::to_main_cpu_image({0x00, 0x10, 0xF3, 0x00, 0xAB}, 8, out));
    EXPECT_EQ(out, (cart::Bytes{0x10, 0x00, 0x00, 0xF3, 0x00, 0xAB, 0x00, 0x00}));
    EXPECT_FALSE(cart::to_main_cpu_image(cart::Bytes(10, 1), 8, out));
}

struct RowCase {
    const char* name;
    uint8_t fill;      // every byte of the pattern
    int row;           // a row to change, or -1
    uint8_t row_byte0; // its first byte
    uint32_t expected;
};

void PrintTo(const RowCase& c, std::ostream* os) {
    *os << c.name;
}

class RowFlags : public ::testing::TestWithParam<RowCase> {};

TEST_P(RowFlags, FollowThePixels) {
    const RowCase& c = GetParam();
    uint8_t pattern[128];
    std::memset(pattern, c.fill, sizeof pattern);
    if (c.row >= 0) pattern[8 * c.row] = c.row_byte0;
    EXPECT_EQ(cart::pattern_row_flags(pattern), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cartridge, RowFlags,
                         ::testing::Values(RowCase{"transparent", 0x00, -1, 0, 0xAAAAAAAA},
                                           RowCase{"opaque", 0x11, -1, 0, 0x55555555},
                                           // one pixel set in row 3: neither flag for that row
                                           RowCase{"one_pixel", 0x00, 3, 0x01, 0xAAAAAA2A},
                                           // a hole (high nibble 0) in row 15 of an opaque tile
                                           RowCase{"one_hole", 0xFF, 15, 0x0F, 0x15555555}),
                         [](const auto& info) { return std::string(info.param.name); });

cart::SpriteTile solid_tile(uint32_t number, uint8_t value) {
    cart::SpriteTile t;
    t.number = number;
    t.pixels.fill(value);
    return t;
}

uint32_t table_entry(const cart::Bytes& tables, size_t offset, uint32_t number) {
    uint32_t v = 0;
    for (int b = 3; b >= 0; --b)
        v = v << 8 | tables[offset + 4 * number + static_cast<size_t>(b)];
    return v;
}

TEST(SpriteImages, SharePatternsAndLeaveUnusedNumbersBlank) {
    std::vector<cart::SpriteTile> tiles = {solid_tile(5, 3), solid_tile(9, 3), solid_tile(0x17FFF, 7)};
    tiles[1].pixels[0] = 0;             // tile 9 differs in one pixel
    tiles.push_back(solid_tile(12, 3)); // same as tile 5
    cart::Bytes patterns, tables;
    std::string error;
    ASSERT_TRUE(cart::build_sprite_images(tiles, patterns, tables, error)) << error;
    ASSERT_EQ(patterns.size(), cart::kPatternSize);
    ASSERT_EQ(tables.size(), cart::kTableSize);
    const uint32_t index5 = table_entry(tables, 0x60000, 5);
    EXPECT_NE(index5, 0u);
    EXPECT_EQ(table_entry(tables, 0x60000, 12), index5);
    EXPECT_NE(table_entry(tables, 0x60000, 9), index5);
    EXPECT_EQ(patterns[128 * index5], 0x33);
    EXPECT_EQ(table_entry(tables, 0, 5), 0x55555555u);
    EXPECT_EQ(table_entry(tables, 0, 9), 0x55555554u); // row 0 has a hole
    EXPECT_EQ(table_entry(tables, 0, 0x17FFF), 0x55555555u);
    EXPECT_EQ(table_entry(tables, 0x60000, 6), 0u);
    EXPECT_EQ(table_entry(tables, 0, 6), 0xAAAAAAAAu);
    EXPECT_EQ(patterns[0], 0); // physical tile 0 stays blank
}

TEST(SpriteImages, RejectATileNumberOutsideTheTables) {
    cart::Bytes patterns, tables;
    std::string error;
    EXPECT_FALSE(cart::build_sprite_images({solid_tile(0x18000, 1)}, patterns, tables, error));
    EXPECT_FALSE(error.empty());
}

TEST(SpriteArt, ParsesRowsAndReportsBadLines) {
    std::string art = "# comment\ntile 0x120 shot\n";
    for (int y = 0; y < 16; ++y)
        art += y == 2 ? "..F.............\n" : "................\n";
    std::vector<cart::SpriteTile> tiles;
    std::string error;
    ASSERT_TRUE(cart::parse_sprite_art(art, tiles, error)) << error;
    ASSERT_EQ(tiles.size(), 1u);
    EXPECT_EQ(tiles[0].number, 0x120u);
    EXPECT_EQ(tiles[0].pixels[2 * 16 + 2], 15);
    tiles.clear();
    EXPECT_FALSE(cart::parse_sprite_art("tile 1 x\n......\n", tiles, error));
    EXPECT_FALSE(cart::parse_sprite_art("tile 1 x\n" + std::string(16, 'G') + "\n", tiles, error));
}

TEST(Font, ParsesCharactersAndCodes) {
    cart::Font font;
    std::string error;
    ASSERT_TRUE(cart::parse_font("A 18 3C 66 66 7E 66 66 00\n0x18 FF FF FF FF FF FF FF FF\n", font, error))
        << error;
    EXPECT_TRUE(font.defined['A']);
    EXPECT_EQ(font.glyphs['A'][1], 0x3C);
    EXPECT_TRUE(font.defined[0x18]);
    EXPECT_FALSE(font.defined['B']);
    EXPECT_FALSE(cart::parse_font("A 18 3C\n", font, error));
    EXPECT_FALSE(cart::parse_font("AB 00 00 00 00 00 00 00 00\n", font, error));
}

TEST(FixTiles, BoardGlyphsUseBackgroundTwoAndStretchTwoRows) {
    cart::Font font;
    std::string error;
    ASSERT_TRUE(cart::parse_font("I 18 18 18 18 18 18 18 18\n", font, error));
    const cart::Bytes fix = cart::build_fix_tiles(font);
    ASSERT_EQ(fix.size(), cart::kFixSize);
    auto pixel = [&](uint32_t tile, int x, int y) { return fix[64 * tile + static_cast<size_t>(8 * y + x)]; };
    for (const uint32_t bank : {0u, 256u, 512u}) {
        const uint32_t t = cart::kBoardBank + bank + 'I';
        EXPECT_EQ(pixel(t, 0, 0), 2) << bank;
        EXPECT_EQ(pixel(t, 3, 7), 1) << bank;
        EXPECT_EQ(pixel(cart::kBoardBank + bank + 'J', 3, 3), 2) << "undefined glyphs are blank";
    }
    // The game's bank: ink 1 with a shadow of colour 3, transparent around.
    EXPECT_EQ(pixel('I', 3, 0), 1);
    EXPECT_EQ(pixel('I', 5, 1), 3);
    EXPECT_EQ(pixel('I', 0, 0), 0);
}

TEST(Samples, StartOnPageBoundariesAndDoNotOverlap) {
    std::vector<cart::SampleSlot> slots;
    const cart::Bytes rom = cart::build_sample_rom(cart::synth_voice_fallback(), slots);
    ASSERT_EQ(rom.size(), cart::kSampleSize);
    ASSERT_EQ(slots.size(), 5u);
    uint32_t previous_end = 0;
    for (const auto& s : slots) {
        EXPECT_EQ(s.start % 256, 0u) << s.name;
        EXPECT_EQ(s.end % 256, 255u) << s.name;
        EXPECT_GE(s.start, previous_end) << s.name;
        EXPECT_LT(s.end, cart::kSampleSize) << s.name;
        previous_end = s.end;
    }
    const std::string include = cart::sample_include(slots);
    EXPECT_NE(include.find("SMP_VOICE_START equ 0x1000"), std::string::npos);
    EXPECT_NE(include.find("VOICE_DELTA_N equ 18874"), std::string::npos);
}

} // namespace
