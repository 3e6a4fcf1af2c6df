// The 8-bit host format: collecting the palettes in view and allocating host palette entries.
#include <gtest/gtest.h>

#include <set>

#include "video/video.h"
#include "video_fixture.h"

namespace {

class HostPalette8 : public VideoTest {
  public:
    void SetUp() override {
        VideoTest::SetUp();
        machine.settings.video_flags |= VF_8BIT;
        TilePixels full{};
        for (auto& row : full) row.fill(1);
        define_tile(1, 1, full);
        for (int i = 0; i < 4096; ++i)
            set_colour(0, i, static_cast<uint16_t>((i * 37) & 0x7FFF)); // distinct, 0 only for i = 0
        set_colour(0, 4095, 0x0000);
        video_use_format_8();
        compute_fix_flags();
    }
    // One small sprite per palette, all inside the picture.
    static void show_palettes(int count, int first = 1) {
        for (int n = 0; n < 384; ++n) set_sprite(n, 0, 0, 0);
        for (int n = 0; n < count; ++n) {
            set_sprite(n, control_at(16 * (n / 16), false, 1), 0x0FFF, x_word(16 + 16 * (n % 16)));
            set_tile_entry(n, 0, 1, entry_word1(first + n, 0, 0, 0));
        }
    }
    static void frame() {
        collect_sprite_palettes();
        collect_fix_palettes();
        allocate_host_palette();
    }
    static uint32_t shown_colour(int index) {
        const uint8_t* e = machine.host.display.entries[index];
        return e[0] | e[1] << 8 | e[2] << 16;
    }
    static uint32_t wanted(int colour_index, uint32_t mask = 0xF8F8F8) {
        uint16_t c;
        std::memcpy(&c, machine.board.palette_ram[0] + 2 * colour_index, 2);
        return machine.video.colour_table_8[c & 0x7FFF] & mask;
    }
};

TEST_F(HostPalette8, CollectsEachDrawnPaletteOnceInOrder) {
    show_palettes(3, 40);
    set_tile_entry(3, 0, 1, entry_word1(41, 0, 0, 0)); // a repeat
    set_sprite(3, control_at(100, false, 1), 0x0FFF, x_word(100));
    set_sprite(4, control_at(100, false, 1), 0x0FFF, x_word(400)); // off the picture
    set_tile_entry(4, 0, 1, entry_word1(99, 0, 0, 0));
    std::memset(fix_tile(0, 5), 1, 64);
    compute_fix_flags();
    machine.video.vram[0x7000 + 32 * 3 + 4] = 0x7005; // palette 7, visible
    machine.video.vram[0x7000 + 32 * 3 + 5] = 0x8000; // palette 8, empty tile
    machine.video.vram[0x7000 + 32 * 3 + 0] = 0x9005; // palette 9, row not shown
    collect_sprite_palettes();
    collect_fix_palettes();
    std::vector<int> used(machine.video.used_palettes, machine.video.used_palettes + machine.video.used_count);
    EXPECT_EQ(used, (std::vector<int>{40, 41, 42, 7}));
}

TEST_F(HostPalette8, GivesEveryColourInViewItsOwnEntry) {
    show_palettes(10);
    frame();
    std::set<int> indexes;
    for (int p = 1; p <= 10; ++p)
        for (int c = 1; c < 16; ++c) {
            int index = machine.video.converted_8[16 * p + c];
            ASSERT_GT(index, 0);
            ASSERT_LT(index, 255);
            EXPECT_EQ(shown_colour(index), wanted(16 * p + c));
            indexes.insert(index);
        }
    EXPECT_EQ(indexes.size(), 150u);
    EXPECT_EQ(machine.video.converted_8[4095], 0) << "a black backdrop is entry 0";
    EXPECT_EQ(machine.video.palette_changed_low, 1);
    EXPECT_EQ(machine.video.palette_changed_high, 150);
    EXPECT_EQ(machine.video.kept_count, 10u);
}

TEST_F(HostPalette8, UnchangedPalettesKeepTheirEntriesAcrossFrames) {
    show_palettes(10);
    frame();
    std::vector<uint8_t> before(machine.video.converted_8, machine.video.converted_8 + 4096);
    frame();
    EXPECT_EQ(machine.video.palette_changed_high, 0) << "nothing to upload";
    EXPECT_TRUE(std::equal(before.begin(), before.end(), machine.video.converted_8));

    set_colour(0, 16 * 4 + 2, 0x0FFF); // a new colour in palette 4
    machine.board.palette_dirty[4] = 1;
    frame();
    int index = machine.video.converted_8[16 * 4 + 2];
    EXPECT_EQ(shown_colour(index), wanted(16 * 4 + 2));
    EXPECT_EQ(machine.video.palette_changed_low, index);
    EXPECT_EQ(machine.video.palette_changed_high, index);
    EXPECT_EQ(machine.board.palette_dirty[4], 0);
    for (int c = 1; c < 16; ++c) {
        if (c != 2) {
            EXPECT_EQ(machine.video.converted_8[16 * 4 + c], before[16 * 4 + c]) << c;
        }
    }
}

TEST_F(HostPalette8, TheBackdropGetsAnEntryEvenWithNothingInView) {
    set_colour(0, 4095, 0x0F00);
    frame();
    int index = machine.video.converted_8[4095];
    EXPECT_GT(index, 0);
    EXPECT_EQ(shown_colour(index), wanted(4095));
    machine.app.work_block[(17 + 100) * 1024 + 100] = 0;
    render_sprites();
    EXPECT_EQ(pixel8(100, 100), index);
}

TEST_F(HostPalette8, MoreThan254ColoursApproximateAndCoarsenTheMatchMask) {
    show_palettes(20); // 300 distinct colours
    frame();
    const VideoState& v = machine.video;
    EXPECT_EQ(v.match_mask, 0xF0F0F0u);
    EXPECT_EQ(v.kept_count, 0u);
    int redone = 0;
    for (int p = 1; p <= 20; ++p) redone += machine.board.palette_dirty[p];
    EXPECT_GT(redone, 0);
    for (int p = 1; p <= 20; ++p)
        for (int c = 1; c < 16; ++c) {
            int index = v.converted_8[16 * p + c];
            if (index == 0) continue; // nothing close enough
            uint32_t shown = v.host_palette[index];
            EXPECT_EQ(shown_colour(index), shown);
            EXPECT_EQ(shown & 0x808080, wanted(16 * p + c) & 0x808080) << p << " " << c;
        }
    EXPECT_EQ(v.host_palette[255], 0xF8F8F8u) << "entry 255 is never given away";

    frame();
    EXPECT_EQ(v.match_mask, 0xF0F0E0u) << "the mask stays coarse and coarsens further";
    frame();
    frame();
    EXPECT_EQ(v.match_mask, 0xE0E0E0u);
    frame();
    EXPECT_EQ(v.match_mask, 0xE0E0E0u);

    show_palettes(15);
    frame();
    EXPECT_EQ(v.match_mask, 0xF8F8F8u) << "fewer than 16 palettes in view";
}

TEST_F(HostPalette8, ABankChangeForgetsTheKeptPalettes) {
    show_palettes(2);
    frame();
    std::memcpy(machine.board.palette_ram[1], machine.board.palette_ram[0], 0x2000);
    set_colour(1, 16 + 1, 0x0F0F);
    machine.board.palette_bank_flag = 0xFF;
    reset_kept_palettes();
    frame();
    EXPECT_EQ(shown_colour(machine.video.converted_8[16 + 1]), 0xF000F0u);
}

} // namespace
