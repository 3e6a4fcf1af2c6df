// The settings pages' values: quality cycles, the volume slider, where the values are shown,
// and applying a setting the display or the sound card refuses.
#include <cstring>
#include <sstream>
#include <tuple>

#include "host/flags.h"
#include "machine.h"
#include "menu/menu.h"
#include "menu_fixture.h"

namespace {

std::string quality_name(uint32_t flags) {
    if (flags & VF_SHARP) return "SHARP";
    return (flags & VF_SOFT) ? "SOFT" : "LOW";
}

struct QualityCase {
    const char* name;
    uint32_t flags; // video_edit when the quality value is selected
    NavEvent event;
    std::string qualities; // the start and each value after one more press
};

void PrintTo(const QualityCase& c, std::ostream* os) {
    *os << c.name;
}

class MenuQualityCycle : public MenuTest, public ::testing::WithParamInterface<QualityCase> {};

TEST_P(MenuQualityCycle, OffersWhatTheDisplayCanShow) {
    const QualityCase& c = GetParam();
    menu_enter();
    machine.menu.menu_page = PAGE_VIDEO;
    machine.menu.video_edit = c.flags;
    machine.menu.menu_cursor = 5;
    std::string seen = quality_name(machine.menu.video_edit);
    std::istringstream expected(c.qualities);
    std::string word;
    expected >> word;
    while (expected >> word) {
        machine.menu.events[c.event] = 1;
        page_video();
        machine.menu.events[c.event] = 0;
        seen.push_back(' ');
        seen.append(quality_name(machine.menu.video_edit));
    }
    EXPECT_EQ(seen, c.qualities);
    EXPECT_EQ(machine.menu.video_edit & ~(VF_SOFT | VF_SHARP), c.flags & ~(VF_SOFT | VF_SHARP));
}

const QualityCase QUALITY_CASES[] = {
    {"next_16bit_mmx", VF_MMX, NAV_RIGHT, "LOW SHARP SOFT LOW"},
    {"previous_16bit_mmx", VF_MMX, NAV_LEFT, "LOW SOFT SHARP LOW"},
    {"next_16bit", 0, NAV_DOWN, "LOW SOFT LOW SOFT"},
    {"previous_16bit", 0, NAV_UP, "LOW SOFT LOW SOFT"},
    {"previous_16bit_from_sharp", VF_SHARP, NAV_LEFT, "SHARP LOW SOFT"},
    {"next_8bit_mmx", VF_8BIT | VF_MMX, NAV_RIGHT, "LOW SHARP LOW"},
    {"previous_8bit_mmx", VF_8BIT | VF_MMX, NAV_UP, "LOW SHARP LOW"},
    {"next_8bit", VF_8BIT, NAV_DOWN, "LOW LOW"},
    {"previous_8bit", VF_8BIT, NAV_LEFT, "LOW LOW"},
    {"next_8bit_from_soft", VF_8BIT | VF_MMX | VF_SOFT, NAV_RIGHT, "SOFT LOW"},
    {"previous_8bit_from_soft", VF_8BIT | VF_MMX | VF_SOFT, NAV_LEFT, "SOFT SHARP"},
};

INSTANTIATE_TEST_SUITE_P(Menu, MenuQualityCycle, ::testing::ValuesIn(QUALITY_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

using MenuVideoPage = MenuTest;

// Video page, depth value, toggled to 8 bits; then the given keys.
const std::string TO_8BIT = "DOWN . ENTER . ENTER . RIGHT . ";

TEST_F(MenuVideoPage, EightBitWithSoftTurnsLowOnLeavingTheDepth) {
    machine.settings.video_flags = VF_SOFT | VF_MMX;
    menu_enter();
    run_keys(TO_8BIT + "ENTER");
    EXPECT_EQ(machine.menu.video_edit, VF_8BIT | VF_MMX);
    EXPECT_EQ(machine.menu.menu_cursor, 0);
}

TEST_F(MenuVideoPage, EightBitWithSoftIsNotAppliedByEscape) {
    machine.settings.video_flags = VF_SOFT | VF_MMX;
    menu_enter();
    run_keys(TO_8BIT + "ESC");
    EXPECT_EQ(machine.settings.video_flags, VF_8BIT | VF_MMX);
    EXPECT_EQ(fake.applied_video, std::vector<uint32_t>{VF_8BIT | VF_MMX});
}

TEST_F(MenuVideoPage, AppliedModeRebuildsTheMenuColours) {
    menu_enter();
    run_keys(TO_8BIT + "ENTER . UP . ENTER");
    EXPECT_EQ(machine.settings.video_flags, VF_8BIT);
    EXPECT_EQ(fake.applied_video, std::vector<uint32_t>{VF_8BIT});
    EXPECT_EQ(machine.menu.menu_page, PAGE_MAIN);
    EXPECT_EQ(machine.menu.menu_cursor, 1);
    EXPECT_EQ(machine.menu.ramps[0][0], 1) << "8-bit ramps are palette indexes";
    EXPECT_EQ(machine.host.display.entries[1][0], 168);
}

TEST_F(MenuVideoPage, RefusedModeRestoresThePreviousAndStays) {
    machine.settings.video_flags = VF_MMX | VF_VSYNC;
    fake.refused_video_bits = VF_8BIT;
    menu_enter();
    const uint16_t ramp = machine.menu.ramps[1][3];
    run_keys(TO_8BIT + "ENTER . UP . ENTER");
    EXPECT_EQ(machine.settings.video_flags, VF_MMX | VF_VSYNC);
    EXPECT_EQ(fake.applied_video, (std::vector<uint32_t>{VF_8BIT | VF_MMX | VF_VSYNC, VF_MMX | VF_VSYNC}));
    EXPECT_EQ(machine.menu.menu_page, PAGE_VIDEO);
    EXPECT_EQ(machine.menu.menu_cursor, 3);
    EXPECT_EQ(machine.menu.video_edit, VF_MMX | VF_VSYNC) << "the page shows the setting in force";
    EXPECT_EQ(machine.menu.ramps[1][3], ramp);
    // Leaving now keeps the setting in force without another mode selection.
    run_keys("ESC");
    EXPECT_EQ(machine.menu.menu_page, PAGE_MAIN);
    EXPECT_EQ(fake.applied_video.size(), 2u);
}

using MenuAudioPage = MenuTest;

// Audio page, quality value; then the given keys.
const std::string TO_SOUND_QUALITY = "DOWN . DOWN . ENTER . DOWN . ENTER . ";

TEST_F(MenuAudioPage, QualityCycles) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"RIGHT", 0x1F}, {"RIGHT . RIGHT", 0x03}, {"RIGHT . RIGHT . RIGHT", 0x0B},
        {"LEFT", 0x03},  {"LEFT . LEFT", 0x1F},   {"LEFT . LEFT . LEFT", 0x0B},
    };
    for (const auto& [keys, edit] : cases) {
        machine.settings.audio_flags = 0x0B; // MEDIUM, both chip parts on
        menu_enter();
        run_keys(TO_SOUND_QUALITY + keys);
        EXPECT_EQ(machine.menu.audio_edit, edit) << keys;
    }
}

TEST_F(MenuAudioPage, AppliedQualityRestartsTheSound) {
    menu_enter();
    run_keys(TO_SOUND_QUALITY + "RIGHT . ESC");
    EXPECT_EQ(machine.settings.audio_flags, 0x1Fu);
    EXPECT_EQ(fake.restarted_audio, std::vector<uint32_t>{0x1F});
    EXPECT_EQ(machine.menu.menu_page, PAGE_MAIN);
    EXPECT_EQ(machine.menu.menu_cursor, 2);
}

TEST_F(MenuAudioPage, RefusedQualityRestoresThePreviousAndStays) {
    fake.refused_audio_bits = AF_44K;
    menu_enter();
    run_keys(TO_SOUND_QUALITY + "RIGHT . ESC");
    EXPECT_EQ(machine.settings.audio_flags, 0x0Bu);
    EXPECT_EQ(fake.restarted_audio, (std::vector<uint32_t>{0x1F, 0x0B}));
    EXPECT_EQ(machine.menu.menu_page, PAGE_AUDIO);
    EXPECT_EQ(machine.menu.audio_edit, 0x0Bu);
    run_keys("ESC");
    EXPECT_EQ(machine.menu.menu_page, PAGE_MAIN);
}

TEST_F(MenuAudioPage, VolumeStepsStayWithinRange) {
    const std::tuple<int32_t, const char*, int32_t> cases[] = {
        {80, "LEFT", 70}, {95, "RIGHT", 100}, {100, "DOWN", 100}, {0, "UP", 0}, {5, "LEFT", 0},
    };
    for (const auto& [start, keys, end] : cases) {
        machine.settings.volume = start;
        menu_enter();
        run_keys(std::string("DOWN . DOWN . ENTER . ENTER . ") + keys);
        EXPECT_EQ(machine.menu.menu_volume, end) << start << " " << keys;
        EXPECT_EQ(machine.settings.volume, start) << "the volume is stored when the menu closes";
    }
}

// Columns drawn in row y from x 150 on: the first and how many follow without a gap.
std::pair<int, int> drawn_run(const uint8_t* frame, int y) {
    int first = -1;
    int length = 0;
    for (int x = 150; x < 512; ++x) {
        uint16_t pixel;
        std::memcpy(&pixel, frame + 1024 * y + 2 * x, 2);
        if (pixel == 0) {
            if (first >= 0) break;
            continue;
        }
        if (first < 0) first = x;
        ++length;
    }
    return {first, length};
}

TEST_F(MenuAudioPage, KnobSitsAtTheVolume) {
    solid_glyph(0x18); // only the knob shows
    for (const auto& [volume, x] : {std::pair{0, 176}, {50, 216}, {95, 248}, {100, 256}}) {
        std::memset(machine.app.work_block, 0, FRAME_BUFFER_BYTES);
        machine.settings.volume = volume;
        menu_enter();
        page_audio();
        EXPECT_EQ(drawn_run(machine.app.work_block, 117), (std::pair{x, 8})) << volume;
    }
}

struct ValueCase {
    const char* name;
    uint32_t page;
    uint32_t flags; // video_edit, audio_edit or both device codes' low half with the joystick bit
    int y;
    int x;
    int characters;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.name;
}

class MenuValueText : public MenuTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(MenuValueText, ShownAtItsPlace) {
    const ValueCase& c = GetParam();
    solid_font();
    menu_enter();
    machine.menu.menu_page = c.page;
    machine.menu.video_edit = c.flags;
    machine.menu.audio_edit = c.flags;
    machine.settings.device_code[0] = c.flags;
    machine.settings.device_code[1] = c.flags;
    if (c.page == PAGE_CONTROLS) page_controls();
    if (c.page == PAGE_VIDEO) page_video();
    if (c.page == PAGE_AUDIO) page_audio();
    EXPECT_EQ(drawn_run(machine.app.work_block, c.y), (std::pair{c.x, 8 * c.characters}));
}

const ValueCase VALUE_CASES[] = {
    {"depth_16bit", PAGE_VIDEO, 0, 97, 192, 6},
    {"depth_8bit", PAGE_VIDEO, VF_8BIT, 97, 196, 5},
    {"quality_sharp", PAGE_VIDEO, VF_SHARP | VF_SOFT, 117, 168, 12},
    {"quality_soft", PAGE_VIDEO, VF_SOFT, 117, 172, 11},
    {"quality_low", PAGE_VIDEO, 0, 117, 204, 3},
    {"vsync_enabled", PAGE_VIDEO, VF_VSYNC, 137, 188, 7},
    {"vsync_disabled", PAGE_VIDEO, 0, 137, 184, 8},
    {"sound_high", PAGE_AUDIO, 0x1F, 137, 200, 4},
    {"sound_medium", PAGE_AUDIO, 0x0B, 137, 192, 6},
    {"sound_low", PAGE_AUDIO, 0x03, 137, 204, 3},
    {"sound_16bit_mono_is_low", PAGE_AUDIO, 0x17, 137, 204, 3},
    {"slider", PAGE_AUDIO, 0x0B, 117, 168, 13},
    {"player1_keyboard", PAGE_CONTROLS, 0x10000, 97, 196, 8},
    {"player1_no_joystick_is_keyboard", PAGE_CONTROLS, 0x20000, 97, 196, 8},
    {"player1_joystick1", PAGE_CONTROLS, 0x20001, 97, 192, 9},
    {"player2_joystick2", PAGE_CONTROLS, 0x20002, 117, 192, 9},
};

INSTANTIATE_TEST_SUITE_P(Menu, MenuValueText, ::testing::ValuesIn(VALUE_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

using MenuPageDrawing = MenuTest;

TEST_F(MenuPageDrawing, SelectedItemAndTitleColours) {
    solid_font();
    menu_enter();
    page_main();
    const auto& ramps = machine.menu.ramps;
    EXPECT_EQ(pixel16(128, 57), ramps[0][0]) << "title";
    EXPECT_EQ(pixel16(128, 97), ramps[2][0]) << "selected item";
    EXPECT_EQ(pixel16(140, 117 + 15), ramps[1][0]) << "other item, last row";
}

TEST_F(MenuPageDrawing, KeyNameOfTheAwaitedItemIsHighlighted) {
    solid_font();
    menu_enter();
    run_keys("ENTER . DOWN . DOWN . ENTER . RIGHT . ENTER ENTER");
    ASSERT_EQ(machine.menu.menu_cursor, 28) << "waiting for player 2's UP key";
    page_keyboard();
    const auto& ramps = machine.menu.ramps;
    EXPECT_EQ(pixel16(247, 47), ramps[2][0]) << "awaited key name";
    EXPECT_EQ(pixel16(165, 47), ramps[1][0]) << "its label";
    EXPECT_EQ(pixel16(100, 47), ramps[1][0]) << "player 1's key name";
}

} // namespace
