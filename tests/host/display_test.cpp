// Display modes: the fallback chain against displays that refuse modes, black buffers after a
// mode change, the 8-bit palette, surface recovery, the loading picture and the per-frame draw.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "host/display.h"
#include "host/flags.h"
#include "host/platform/headless/headless.h"
#include "host/scalers.h"
#include "machine.h"
#include "support/machine_fixture.h"

namespace {

class DisplayTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        ASSERT_EQ(display_create(1), 0);
    }
    void TearDown() override {
        display_release();
        MachineTest::TearDown();
    }
};

bool all_bytes(const HeadlessSurfaceView& v, uint8_t value) {
    for (int32_t y = 0; y < v.height; ++y)
        for (int32_t x = 0; x < v.width * v.depth / 8; ++x)
            if (v.pixels[static_cast<size_t>(y) * v.pitch + x] != value) return false;
    return true;
}

struct ModeCase {
    const char* name;
    uint32_t flags;
    HeadlessDisplaySwitches switches;
    int width, height, depth, chain;
    uint32_t flags_after; // the settings word after the selection (VF_MMX and the like kept)
    ScalerKind scaler;
};
void PrintTo(const ModeCase& c, std::ostream* os) { *os << c.name; }

HeadlessDisplaySwitches refuse(bool hz60, bool wide320, bool flips) {
    HeadlessDisplaySwitches s;
    s.refuse_60hz = hz60;
    s.refuse_320_wide = wide320;
    s.refuse_flip_chains = flips;
    return s;
}

class ModeSelection : public DisplayTest, public testing::WithParamInterface<ModeCase> {};

TEST_P(ModeSelection, EndsInTheModeOfTheFallbackChain) {
    const ModeCase& c = GetParam();
    headless_display_switches() = c.switches;
    machine.settings.video_flags = c.flags;
    ASSERT_EQ(apply_video_flags(), 1);
    const HeadlessModeRecord& m = headless_display_mode();
    EXPECT_EQ(m.width, c.width);
    EXPECT_EQ(m.height, c.height);
    EXPECT_EQ(m.depth, c.depth);
    EXPECT_EQ(m.refresh, c.switches.refuse_60hz ? 0 : 60);
    EXPECT_EQ(headless_display_chain_length(), c.chain);
    EXPECT_EQ(machine.settings.video_flags, c.flags_after) << std::hex << machine.settings.video_flags;
    EXPECT_EQ(machine.host.display.present_flip, c.chain == 3 ? 1 : 0);
    EXPECT_EQ(machine.host.display.scaler, scaler_routine(c.scaler, (c.flags & VF_MMX) != 0));
    for (int i = 0; i < c.chain; ++i) EXPECT_TRUE(all_bytes(headless_display_chain(i), 0)) << "buffer " << i;
}

constexpr uint32_t FC = VF_FLIPCHAIN;
constexpr uint32_t LR = VF_LOWRES;
INSTANTIATE_TEST_SUITE_P(
    Chain, ModeSelection,
    testing::Values(
        ModeCase{"low", FC, {}, 320, 240, 16, 3, FC | LR, ScalerKind::copy16},
        ModeCase{"low_no60hz", FC, refuse(true, false, false), 320, 240, 16, 3, FC | LR, ScalerKind::copy16},
        ModeCase{"low_no320", FC, refuse(false, true, false), 640, 480, 16, 3, FC, ScalerKind::double16},
        ModeCase{"low_8bit_no320", FC | VF_8BIT, refuse(false, true, false), 640, 480, 8, 3, FC | VF_8BIT,
                 ScalerKind::double8},
        ModeCase{"low_noflip", FC, refuse(false, false, true), 640, 480, 16, 1, 0, ScalerKind::double16},
        ModeCase{"stale_lowres_bit", FC | LR, refuse(false, true, false), 640, 480, 16, 3, FC, ScalerKind::double16},
        ModeCase{"scanlines", FC | VF_SCANLINES, {}, 320, 480, 16, 3, FC | VF_SCANLINES | LR, ScalerKind::copy16},
        ModeCase{"scanlines_no320", FC | VF_SCANLINES, refuse(false, true, false), 640, 480, 16, 3, FC | VF_SCANLINES,
                 ScalerKind::double16},
        // The single-surface 320x480 attempt is still a 320-wide mode: copied, not doubled.
        ModeCase{"scanlines_noflip", FC | VF_SCANLINES, refuse(false, false, true), 320, 480, 16, 1,
                 VF_SCANLINES | LR, ScalerKind::copy16},
        ModeCase{"scanlines_nothing", FC | VF_SCANLINES, refuse(false, true, true), 640, 480, 16, 1, VF_SCANLINES,
                 ScalerKind::double16},
        ModeCase{"soft", FC | VF_MMX | VF_SOFT, {}, 640, 480, 16, 3, FC | VF_MMX | VF_SOFT, ScalerKind::bilinear16},
        ModeCase{"soft_noflip", FC | VF_SOFT, refuse(false, false, true), 640, 480, 16, 1, VF_SOFT,
                 ScalerKind::bilinear16},
        // 8-bit with SOFT or dimming sets a 16-bit mode, and is shown (and stored) as 16-bit.
        ModeCase{"soft_8bit", FC | VF_8BIT | VF_SOFT, {}, 640, 480, 16, 3, FC | VF_SOFT, ScalerKind::bilinear16},
        ModeCase{"dim_8bit_mmx", FC | VF_MMX | VF_8BIT | VF_DIM_SCANLINES, {}, 640, 480, 16, 3,
                 FC | VF_MMX | VF_DIM_SCANLINES, ScalerKind::double_dim16},
        // SHARP without scanlines asks for 640x480 only.
        ModeCase{"sharp", FC | VF_MMX | VF_SHARP, {}, 640, 480, 16, 3, FC | VF_MMX | VF_SHARP, ScalerKind::edge16},
        ModeCase{"sharp_8bit", FC | VF_MMX | VF_SHARP | VF_8BIT, {}, 640, 480, 8, 3, FC | VF_MMX | VF_SHARP | VF_8BIT,
                 ScalerKind::edge8},
        ModeCase{"sharp_scanlines_8bit", FC | VF_MMX | VF_SHARP | VF_SCANLINES | VF_8BIT, {}, 320, 480, 8, 3,
                 FC | VF_MMX | VF_SHARP | VF_SCANLINES | VF_8BIT | LR, ScalerKind::copy8}),
    [](const testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.name); });

TEST_F(DisplayTest, ADisplayThatRefusesEveryModeFailsTheSelection) {
    headless_display_switches().refuse_all_modes = true;
    machine.settings.video_flags = VF_FLIPCHAIN;
    EXPECT_EQ(apply_video_flags(), 0);
}

TEST_F(DisplayTest, EightBitPaletteKeepsEntryZeroBlackAndEntryOneWhite) {
    machine.settings.video_flags = VF_8BIT | VF_FLIPCHAIN;
    std::memset(machine.host.display.entries, 0x77, sizeof machine.host.display.entries);
    ASSERT_EQ(apply_video_flags(), 1);
    ASSERT_TRUE(headless_display_has_palette());
    const uint8_t (*p)[4] = headless_display_palette();
    EXPECT_EQ(p[0][0] | p[0][1] | p[0][2], 0);
    EXPECT_EQ(p[1][0], 248);
    EXPECT_EQ(p[1][1], 248);
    EXPECT_EQ(p[1][2], 248);
}

TEST_F(DisplayTest, APaletteThatCannotBeMadeFailsAnEightBitSelection) {
    headless_display_switches().refuse_palette = true;
    machine.settings.video_flags = VF_8BIT;
    EXPECT_EQ(apply_video_flags(), 0);
}

TEST_F(DisplayTest, LockRestoresALostSurfaceOnceAndWaitsWhileStillDrawing) {
    ASSERT_EQ(display_set_mode(640, 480, 16, 1), 0);
    PlatformSurface* primary = machine.host.display.primary;
    int32_t pitch = 0;
    headless_display_lose_surfaces(1, false);
    EXPECT_NE(surface_lock(primary, &pitch), nullptr);
    surface_unlock(primary);
    headless_display_still_drawing(3);
    EXPECT_NE(surface_lock(primary, &pitch), nullptr);
    surface_unlock(primary);
    headless_display_lose_surfaces(1, true); // the restore fails: the frame is skipped
    EXPECT_EQ(surface_lock(primary, &pitch), nullptr);
    headless_display_lose_surfaces(2, false); // lost again after the restore: given up
    EXPECT_EQ(surface_lock(primary, &pitch), nullptr);
}

TEST_F(DisplayTest, PresentRestoresALostChainAndFlips) {
    ASSERT_EQ(display_set_mode(640, 480, 16, 3), 0);
    headless_display_lose_surfaces(2, false);
    EXPECT_EQ(display_present(1), 0);
    EXPECT_EQ(headless_display_mode().flips, 1);
    EXPECT_EQ(headless_display_mode().flips_waited, 1);
    headless_display_lose_surfaces(1, true);
    EXPECT_NE(display_present(0), 0);
    EXPECT_EQ(headless_display_mode().flips, 1);
}

TEST_F(DisplayTest, FillRetriesUntilTheSurfaceIsBack) {
    ASSERT_EQ(display_set_mode(320, 240, 16, 1), 0);
    headless_display_lose_surfaces(2, false);
    EXPECT_EQ(surface_fill(machine.host.display.primary, 0x1234F00F), 1);
    const HeadlessSurfaceView v = headless_display_front();
    uint16_t pixel;
    std::memcpy(&pixel, v.pixels + 5 * v.pitch + 10, 2);
    EXPECT_EQ(pixel, 0xF00F);
}

TEST_F(DisplayTest, DrawFrameScalesTheFrameBufferIntoTheBackBuffer) {
    headless_display_switches().refuse_320_wide = true;
    machine.settings.video_flags = VF_FLIPCHAIN;
    ASSERT_EQ(apply_video_flags(), 1);
    std::vector<uint8_t> work(WORK_BLOCK_SIZE, 0);
    machine.app.work_block = work.data();
    const uint16_t colour = 0x1234;
    std::memcpy(&work[(FIRST_VISIBLE_ROW + 3) * 1024 + 2 * (8 + 5)], &colour, 2); // picture pixel (5, 3)
    display_draw_frame();
    display_present(0);
    const HeadlessSurfaceView v = headless_display_front();
    uint16_t out[2];
    std::memcpy(out, v.pixels + (16 + 6) * v.pitch + 2 * (16 + 10), 4);
    EXPECT_EQ(out[0], colour);
    EXPECT_EQ(out[1], colour);
    machine.app.work_block = nullptr;
}

TEST_F(DisplayTest, LoadingPictureIsConvertedIntoTheSurfaceFormat) {
    std::vector<uint8_t> picture(640 * 480 * 3, 0);
    const uint8_t rgb[3] = {0xFF, 0x80, 0x08};
    std::memcpy(&picture[(7 * 640 + 9) * 3], rgb, 3);
    platform_register_resource(111, picture.data(), picture.size());
    ASSERT_EQ(display_set_mode(640, 480, 16, 1), 0);
    display_show_loading_picture();
    const HeadlessSurfaceView v = headless_display_front();
    uint16_t pixel;
    std::memcpy(&pixel, v.pixels + 7 * v.pitch + 2 * 9, 2);
    EXPECT_EQ(pixel, (0x1F << 11) | (0x20 << 5) | 0x01);
    std::memcpy(&pixel, v.pixels + 7 * v.pitch + 2 * 8, 2);
    EXPECT_EQ(pixel, 0);
}

TEST_F(DisplayTest, ProgressMarksDrawGlyphsClippedToTheScreen) {
    std::vector<uint8_t> fix(FIX_ROM_SIZE, 0);
    // Glyph 0x18: upper half all background (2) but its first pixel; lower half all foreground.
    uint8_t* upper = &fix[(4096 + 256 + 0x18) * 64];
    std::memset(upper, 2, 64);
    upper[0] = 1;
    machine.roms.fix_rom_base = fix.data();
    ASSERT_EQ(display_set_mode(640, 480, 16, 1), 0);
    display_progress_mark(1);
    const HeadlessSurfaceView v = headless_display_front();
    auto pixel = [&](int x, int y) {
        uint16_t p;
        std::memcpy(&p, v.pixels + y * v.pitch + 2 * x, 2);
        return p;
    };
    const int x = 28 + 347;
    EXPECT_EQ(pixel(x, 442), 0);            // glyph pixel 1: colour a
    EXPECT_EQ(pixel(x + 1, 442), 0xFFFF);   // background: colour b
    EXPECT_EQ(pixel(x + 31, 442 + 7), 0xFFFF);
    EXPECT_EQ(pixel(x, 442 + 8), 0);        // lower half, 8 lines below
    EXPECT_EQ(pixel(x + 32, 442), 0x5A5A);  // four characters only
    // Text running off the screen is clipped, not written past the surface.
    draw_text_direct("\x18\x18\x18\x18", 630, 476, 0, 0xFFFF, 1);
    machine.roms.fix_rom_base = nullptr;
}

} // namespace
