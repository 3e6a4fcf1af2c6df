// The cartridge's art through the video chip: the game's sprite compositions (chained columns,
// zoomed chains, tall wall columns) and fix text drawn from the built images, as the game sets
// them up. Catches tile numbering that does not match the way a column walks its tiles.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/shell.h"
#include "cartridge.h"
#include "machine.h"
#include "support/machine_fixture.h"
#include "video/video.h"

namespace {

class CartArt : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
#if !defined(QZB_CART_IMAGE_DIR)
        GTEST_SKIP() << "the demo cartridge was not built (cross tools missing)";
#elif defined(QZB_VIDEO_IS_STANDIN)
        GTEST_SKIP() << "the video chip is still a stand-in";
#else
        const int ids[] = {104, 106, 107};
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(cart::read_file(
                std::string(QZB_CART_IMAGE_DIR) + "/" + std::to_string(ids[i]) + ".bin", images_[i]));
        ASSERT_TRUE(allocate_work_block());
        machine.roms.fix_rom_base = machine.roms.current_fix_rom = images_[0].data();
        machine.roms.sprite_patterns = images_[1].data();
        machine.roms.sprite_tile_tables = images_[2].data();
        // Every colour of the sprite palettes visible, the backdrop black.
        auto* colours = reinterpret_cast<uint16_t*>(machine.board.palette_ram[0]);
        for (int i = 0; i < 4096; ++i)
            colours[i] = (i & 15) ? 0x0FFF : 0;
        colours[4095] = 0; // the backdrop
        video_use_format_16(0xF800, 0x07E0, 0x001F);
        compute_fix_flags();
        for (int a = 0x7000; a < 0x7500; ++a)
            machine.video.vram[a] = 0x20;
#endif
    }

    static void sprite(int n, int x, int y, int height, uint16_t shrink, bool sticky) {
        machine.video.vram[0x8000 + n] = shrink;
        machine.video.vram[0x8200 + n] =
            static_cast<uint16_t>(((496 - y) & 0x1FF) << 7 | (sticky ? 0x40 : 0) | height);
        machine.video.vram[0x8400 + n] = static_cast<uint16_t>(((x + 8) & 0x1FF) << 7);
    }
    static void tiles(int n, int first, int count, uint16_t attributes) {
        for (int i = 0; i < count; ++i) {
            machine.video.vram[64 * n + 2 * i] = static_cast<uint16_t>(first + i);
            machine.video.vram[64 * n + 2 * i + 1] = attributes;
        }
    }
    // The QZB logo as the title draws it: six chained columns of two tiles.
    static void logo(int first_sprite, int x, int y, uint16_t shrink) {
        for (int c = 0; c < 6; ++c) {
            tiles(first_sprite + c, 0x200 + (c / 2) * 4 + (c & 1) * 2, 2, 11 << 8);
            sprite(first_sprite + c, x, y, 2, shrink, c > 0);
        }
    }
    static void draw() {
        convert_all_palettes();
        render_sprites();
        render_fix_layer();
    }
    static bool lit(int x, int y) {
        uint16_t pixel;
        std::memcpy(&pixel, machine.app.work_block + (17 + y) * 1024 + (8 + x) * 2, 2);
        return pixel != 0;
    }
    // Columns of the screen rectangle with any lit pixel: first and last.
    static std::pair<int, int> lit_span(int x0, int x1, int y0, int y1) {
        int first = -1, last = -1;
        for (int x = x0; x < x1; ++x)
            for (int y = y0; y < y1; ++y)
                if (lit(x, y)) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }

    std::vector<uint8_t> images_[3];
};

TEST_F(CartArt, LogoChainDrawsItsThreeLettersAndZoomsNarrower) {
    logo(100, 104, 30, 0x0FFF);
    logo(110, 128, 100, 7 << 8 | 0x7F);
    draw();
    const auto full = lit_span(0, 304, 30, 62);
    const auto half = lit_span(0, 304, 100, 132);
    EXPECT_GE(full.first, 104);
    EXPECT_LE(full.second, 104 + 96);
    EXPECT_GT(full.second - full.first, 80) << "three letters of 32 pixels";
    EXPECT_NEAR(half.second - half.first, (full.second - full.first) / 2, 6) << "half-size columns";
    int lit_rows = 0;
    for (int y = 100; y < 132; ++y)
        lit_rows += lit_span(128, 180, y, y + 1).first >= 0;
    EXPECT_NEAR(lit_rows, 16, 2) << "half-height tiles";
    // Each letter has ink in both of its columns and both of its rows.
    for (int c = 0; c < 6; ++c)
        for (int r = 0; r < 2; ++r)
            EXPECT_GE(lit_span(104 + 16 * c, 120 + 16 * c, 30 + 16 * r, 46 + 16 * r).first, 0)
                << c << "," << r;
}

TEST_F(CartArt, TallWallColumnsCoverTheWholeHeight) {
    for (int w = 0; w < 2; ++w) {
        tiles(1 + w, 0, 0, 0);
        for (int i = 0; i < 32; ++i) {
            machine.video.vram[64 * (1 + w) + 2 * i] = static_cast<uint16_t>(0x500 + (i & 3));
            machine.video.vram[64 * (1 + w) + 2 * i + 1] = static_cast<uint16_t>(13 << 8 | w);
        }
    }
    sprite(1, 0, -40, 33, 0x0FFF, false);
    sprite(2, 16, -40, 33, 0x0FFF, true);
    draw();
    for (int y = 0; y < 224; ++y) {
        EXPECT_TRUE(lit(0, y)) << y;
        EXPECT_TRUE(lit(31, y)) << y;
        EXPECT_FALSE(lit(32, y)) << y;
    }
}

TEST_F(CartArt, GameTextDrawsInkWithShadow) {
    const char* text = "HI 0050000";
    for (int i = 0; text[i]; ++i)
        machine.video.vram[0x7000 + 32 * (14 + i) + 2] = static_cast<uint16_t>(2 << 12 | text[i]);
    draw();
    const auto span = lit_span(100, 200, 0, 8);
    EXPECT_GE(span.first, 104);
    EXPECT_LE(span.second, 104 + 80);
    EXPECT_FALSE(lit(104 + 8 * 2 + 4, 4)) << "the space stays transparent";
}

} // namespace
