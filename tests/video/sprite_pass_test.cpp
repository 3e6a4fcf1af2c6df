// The sprite pass on small synthetic video RAM fixtures: chains, shrinking, clipping, column
// modes and auto-animation, each compared with a frame reviewed by eye once (the PNGs in
// tests/video/frames; set QZB_FRAME_PNG_DIR to write them again).
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "frame_png.h"
#include "video/video.h"
#include "video_fixture.h"

namespace {

constexpr uint16_t OPAQUE_TILE = 1;   // gradient, every pixel set
constexpr uint16_t RING_TILE = 2;     // outline and diagonal over transparent pixels
constexpr uint16_t HALF_TILE = 3;     // top half opaque, bottom half transparent
constexpr uint16_t ARROW_TILE = 0x20; // an arrow pointing up-left, to show flips
constexpr uint32_t HIGH_TILE = 0x10005;

class SpritePass : public VideoTest {
  public:
    void SetUp() override {
        VideoTest::SetUp();
        TilePixels opaque{}, ring{}, half{}, arrow{};
        for (int r = 0; r < 16; ++r)
            for (int x = 0; x < 16; ++x) {
                opaque[r][x] = static_cast<uint8_t>(1 + (r + x) % 15);
                ring[r][x] = (r == 0 || r == 15 || x == 0 || x == 15) ? 2 : (r == x ? 3 : 0);
                half[r][x] = r < 8 ? 4 : 0;
                arrow[r][x] = (r == 0 && x < 10) || (x == 0 && r < 10) || (r == x && r < 14) ? 5 : 0;
            }
        define_tile(OPAQUE_TILE, 10, opaque);
        define_tile(RING_TILE, 11, ring);
        define_tile(HALF_TILE, 12, half);
        define_tile(ARROW_TILE, 13, arrow);
        define_tile(HIGH_TILE, 14, ring);
        // Animation frames: tile 0x40 + k shows k + 1 bars.
        for (int k = 0; k < 16; ++k) {
            TilePixels bars{};
            for (int r = 0; r < 16; ++r)
                for (int x = 0; x < 16; ++x) bars[r][x] = (r % 2 == 0 && r / 2 <= k % 8 && x < 2 * (k / 8 + 1) * 4) ? 6 : 0;
            define_tile(0x40 + k, 20 + k, bars);
        }
        for (int p = 0; p < 256; ++p)
            for (int c = 0; c < 16; ++c)
                set_colour(0, 16 * p + c,
                           static_cast<uint16_t>(((p * 5 + c) & 15) << 8 | ((p * 3 + 2 * c) & 15) << 4 | ((p + 7 * c) & 15)));
        set_colour(0, 4095, 0x0113); // backdrop: dark blue
        video_use_format_16(0xF800, 0x07E0, 0x001F);
    }

    // A column of tiles for sprite n, all with one palette and flip.
    static void fill_column(int n, std::initializer_list<uint32_t> tiles, int palette, int flip = 0) {
        int i = 0;
        for (uint32_t t : tiles)
            set_tile_entry(n, i++, static_cast<uint16_t>(t), entry_word1(palette, static_cast<int>(t >> 16), 0, flip));
    }

    uint64_t render(const char* name) {
        render_sprites();
        if (const char* dir = std::getenv("QZB_FRAME_PNG_DIR")) {
            EXPECT_TRUE(write_frame_png(std::string(dir) + "/" + name + ".png"));
        }
        return frame_hash();
    }
};

struct Fixture {
    const char* name;
    std::function<void()> build;
    uint64_t expected;
};

using S = SpritePass;

const Fixture fixtures[] = {
    {"single_column",
     [] {
         S::set_sprite(0, S::control_at(20, false, 4), 0x0FFF, S::x_word(40));
         S::fill_column(0, {OPAQUE_TILE, RING_TILE, HALF_TILE, HIGH_TILE}, 1);
     },
     0x34f0d5da972f2066ull},
    {"chain_of_shrunk_columns",
     [] {
         // Columns of shrink 15, 7, 3, 0, 11: each sits h + 1 pixels right of the one before.
         const int shrinks[] = {15, 7, 3, 0, 11};
         S::set_sprite(0, S::control_at(30, false, 3), 0x0FFF, S::x_word(20));
         for (int n = 0; n < 5; ++n) {
             if (n > 0) S::set_sprite(n, S::control_at(0, true, 1), static_cast<uint16_t>(shrinks[n] << 8 | 0x10), 0);
             S::fill_column(n, {OPAQUE_TILE, ARROW_TILE, RING_TILE}, 2 + n, n % 4);
         }
         // A second chain of all sixteen horizontal shrinks.
         S::set_sprite(8, S::control_at(100, false, 2), 0x00FF, S::x_word(100));
         for (int n = 8; n < 24; ++n) {
             if (n > 8) S::set_sprite(n, S::control_at(0, true, 0), static_cast<uint16_t>((n - 8) << 8), 0);
             S::fill_column(n, {OPAQUE_TILE, RING_TILE}, 9);
         }
     },
     0x6b96f26d66b9cfd7ull},
    {"vertical_shrink",
     [] {
         const uint16_t shrinks[] = {0xFF, 0x7F, 0x3F, 0xC0, 0x10, 0x08, 0xA5, 0x01};
         for (int n = 0; n < 8; ++n) {
             S::set_sprite(n, S::control_at(10, false, 4), static_cast<uint16_t>(0xF00 | shrinks[n]), S::x_word(16 + 36 * n));
             S::fill_column(n, {OPAQUE_TILE, RING_TILE, OPAQUE_TILE, ARROW_TILE}, 3 + n);
         }
     },
     0x9e4cc69256d58ac3ull},
    {"clipping_at_every_edge",
     [] {
         const int xs[] = {-7, -8, 311, 312};
         for (int n = 0; n < 4; ++n) {
             S::set_sprite(n, S::control_at(60 + 20 * n, false, 1), 0x0FFF, S::x_word(xs[n]));
             S::fill_column(n, {OPAQUE_TILE}, 4);
         }
         // Tops at 15 and 16 lines above the picture, bottoms at 16 and 17 lines below it.
         const int ys[] = {-15, -16, 223, 224};
         for (int n = 4; n < 8; ++n) {
             S::set_sprite(n, S::control_at(ys[n - 4], false, 1), 0x0FFF, S::x_word(60 + 40 * (n - 4)));
             S::fill_column(n, {OPAQUE_TILE}, 5);
         }
     },
     0xb733ba20a2dff4e9ull},
    {"column_modes",
     [] {
         // Mode 1: 32 tiles shrunk, the last 16 drawn 2 (v + 1) lines higher.
         S::set_sprite(0, S::control_at(0, false, 32), 0x0F40, S::x_word(30));
         for (int i = 0; i < 32; ++i)
             S::set_tile_entry(0, i, i % 2 ? OPAQUE_TILE : RING_TILE, S::entry_word1(6 + i / 16, 0, 0, 0));
         // Mode 2: 33 tiles at full size, wrapping through the 512-line space.
         S::set_sprite(1, S::control_word(239, false, 33), 0x0FFF, S::x_word(80));
         for (int i = 0; i < 32; ++i)
             S::set_tile_entry(1, i, i % 3 ? OPAQUE_TILE : ARROW_TILE, S::entry_word1(8 + i / 8, 0, 0, 0));
         // Mode 2, shrunk: the column repeats every 2 (v + 1) lines.
         S::set_sprite(2, S::control_at(150, false, 40), 0x0F3F, S::x_word(140));
         for (int i = 0; i < 32; ++i)
             S::set_tile_entry(2, i, OPAQUE_TILE, S::entry_word1(12 + i % 4, 0, 0, 0));
         // Mode 0 below the band: moved up 512 lines, so it shows from the top.
         S::set_sprite(3, S::control_word(0x1F0 - 250, false, 20), 0x0FFF, S::x_word(200));
         for (int i = 0; i < 20; ++i)
             S::set_tile_entry(3, i, i % 2 ? OPAQUE_TILE : HALF_TILE, S::entry_word1(16 + i % 3, 0, 0, 0));
     },
     0x9cb0938a48eebe49ull},
    {"auto_animation",
     [] {
         machine.video.animation_counter_a = 6;
         machine.video.animation_counter_b = 11;
         for (int mode = 0; mode < 4; ++mode) {
             S::set_sprite(mode, S::control_at(40, false, 1), 0x0FFF, S::x_word(40 + 30 * mode));
             S::set_tile_entry(mode, 0, 0x40, S::entry_word1(20, 0, mode, 0));
         }
     },
     0xaa3c645a9cabf4a5ull},
    {"flips_and_overlap",
     [] {
         for (int flip = 0; flip < 4; ++flip) {
             S::set_sprite(flip, S::control_at(50, false, 2), 0x0FFF, S::x_word(50 + 24 * flip));
             S::fill_column(flip, {ARROW_TILE, HALF_TILE}, 21, flip);
         }
         // Later sprites draw over earlier ones.
         S::set_sprite(4, S::control_at(120, false, 1), 0x0FFF, S::x_word(60));
         S::fill_column(4, {OPAQUE_TILE}, 22);
         S::set_sprite(5, S::control_at(124, false, 1), 0x0FFF, S::x_word(66));
         S::fill_column(5, {RING_TILE}, 23);
     },
     0xa0b99321c1b9051eull},
};

class SpritePassFixtures : public SpritePass, public ::testing::WithParamInterface<size_t> {};

TEST_P(SpritePassFixtures, DrawTheReviewedFrame) {
    const Fixture& f = fixtures[GetParam()];
    f.build();
    uint64_t hash = render(f.name);
    EXPECT_EQ(hash, f.expected) << f.name << ": 0x" << std::hex << hash;
    // The SIMD renderer set draws the same picture.
    machine.settings.video_flags |= VF_MMX;
    render_sprites();
    EXPECT_EQ(frame_hash(), f.expected) << "SIMD set";
}

INSTANTIATE_TEST_SUITE_P(Frames, SpritePassFixtures, ::testing::Range<size_t>(0, std::size(fixtures)),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             return std::string(fixtures[info.param].name);
                         });

struct NothingCase {
    const char* name;
    std::function<void(SpritePass&)> build;
};

const NothingCase nothing_cases[] = {
    {"control_word_zero", [](SpritePass&) { S::set_sprite(0, 0, 0x0FFF, S::x_word(40)); S::fill_column(0, {OPAQUE_TILE}, 1); }},
    {"height_zero", [](SpritePass&) { S::set_sprite(0, S::control_at(20, false, 0), 0x0FFF, S::x_word(40)); S::fill_column(0, {OPAQUE_TILE}, 1); }},
    {"vertical_shrink_zero",
     [](SpritePass&) {
         S::set_sprite(0, S::control_at(20, false, 1), 0x0F00, S::x_word(40));
         S::set_sprite(1, S::control_at(20, true, 1), 0x0FFF, 0); // its chain never starts
         S::fill_column(0, {OPAQUE_TILE}, 1);
         S::fill_column(1, {OPAQUE_TILE}, 1);
     }},
    {"sticky_alone", [](SpritePass&) { S::set_sprite(0, S::control_at(20, true, 1), 0x0FFF, S::x_word(40)); S::fill_column(0, {OPAQUE_TILE}, 1); }},
    {"x_319_right_of_the_picture", [](SpritePass&) { S::set_sprite(0, S::control_at(20, false, 1), 0x0FFF, 0x9F80); S::fill_column(0, {OPAQUE_TILE}, 1); }},
    {"y_code_240_below_the_band", [](SpritePass&) { S::set_sprite(0, S::control_word(240, false, 2), 0x0FFF, S::x_word(40)); S::fill_column(0, {OPAQUE_TILE, OPAQUE_TILE}, 1); }},
    {"shrunk_palette_zero", [](SpritePass&) { S::set_sprite(0, S::control_at(20, false, 1), 0x0FFE, S::x_word(40)); S::fill_column(0, {OPAQUE_TILE}, 0); }},
    {"transparent_tile", [](SpritePass&) { S::set_sprite(0, S::control_at(20, false, 1), 0x0FFF, S::x_word(40)); S::fill_column(0, {0x77}, 1); }},
    {"tile_past_the_tables",
     [](SpritePass&) {
         S::set_sprite(0, S::control_at(20, false, 3), 0x0FFF, S::x_word(40));
         S::fill_column(0, {0x18000, 0x7FFFF, 0x1FFFF}, 1);
     }},
    {"pattern_past_the_image",
     [](SpritePass& t) {
         t.map_tile(0x100, 0x55555555, SPRITE_PATTERN_SIZE / 128);
         t.map_tile(0x101, 0x55555555, 0xFFFFFFFF);
         S::set_sprite(0, S::control_at(20, false, 2), 0x0FFF, S::x_word(40));
         S::fill_column(0, {0x100, 0x101}, 1);
     }},
    {"sprites_past_383",
     [](SpritePass&) {
         S::set_sprite(384, S::control_at(20, false, 1), 0x0FFF, S::x_word(40));
         S::fill_column(384, {OPAQUE_TILE}, 1);
     }},
};

class DrawsNothing : public SpritePass, public ::testing::WithParamInterface<size_t> {};

TEST_P(DrawsNothing, LeavesTheBackdropOnly) {
    render_sprites();
    uint64_t empty = frame_hash();
    nothing_cases[GetParam()].build(*this);
    render_sprites();
    EXPECT_EQ(frame_hash(), empty);
    EXPECT_EQ(pixel16(8, 0), machine.video.converted_16[4095]);
}

INSTANTIATE_TEST_SUITE_P(Cases, DrawsNothing, ::testing::Range<size_t>(0, std::size(nothing_cases)),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             return std::string(nothing_cases[info.param].name);
                         });

TEST_F(SpritePass, ClearsOnlyThePictureToTheBackdrop) {
    std::memset(machine.app.work_block, 0x5A, 300 * 1024);
    render_sprites();
    uint16_t backdrop = machine.video.converted_16[4095];
    EXPECT_EQ(pixel16(8, 0), backdrop);
    EXPECT_EQ(pixel16(311, 223), backdrop);
    EXPECT_EQ(pixel16(7, 0), 0x5A5A);
    EXPECT_EQ(pixel16(312, 0), 0x5A5A);
    EXPECT_EQ(pixel16(8, -1), 0x5A5A);
    EXPECT_EQ(pixel16(8, 224), 0x5A5A);
}

TEST_F(SpritePass, ShrunkHalfHeightTilesTakeEveryOtherRow) {
    // v = 0x7F: every tile covers 8 lines, pattern rows 0, 2, ..., 14.
    TilePixels rows{};
    for (int r = 0; r < 16; ++r)
        for (int x = 0; x < 16; ++x) rows[r][x] = static_cast<uint8_t>(15 - r);
    define_tile(0x200, 40, rows);
    for (int c = 0; c < 16; ++c) set_colour(0, 16 * 30 + c, static_cast<uint16_t>(c)); // blue = 2c
    video_use_format_16(0xF800, 0x07E0, 0x001F);
    set_sprite(0, control_at(10, false, 2), 0x0F7F, x_word(40));
    fill_column(0, {0x200, 0x200}, 30);
    render_sprites();
    for (int line = 0; line < 8; ++line) {
        EXPECT_EQ(pixel16(40, 10 + line), machine.video.converted_16[16 * 30 + 15 - 2 * line]) << line;
        EXPECT_EQ(pixel16(40, 18 + line), machine.video.converted_16[16 * 30 + 15 - 2 * line]) << line;
    }
    EXPECT_EQ(pixel16(40, 26), machine.video.converted_16[4095]);
}

TEST_F(SpritePass, EightBitFormatDrawsHostIndexes) {
    machine.settings.video_flags |= VF_8BIT;
    video_use_format_8();
    set_sprite(0, control_at(20, false, 1), 0x0FFF, x_word(40));
    fill_column(0, {OPAQUE_TILE}, 1);
    collect_sprite_palettes();
    collect_fix_palettes();
    allocate_host_palette();
    render_sprites();
    EXPECT_EQ(pixel8(40, 20), machine.video.converted_8[16 + 1]);
    EXPECT_EQ(pixel8(55, 35), machine.video.converted_8[16 + (15 + 15) % 15 + 1]);
    EXPECT_EQ(pixel8(8, 0), machine.video.converted_8[4095]);
}

} // namespace
