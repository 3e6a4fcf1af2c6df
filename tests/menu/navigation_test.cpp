// Keyboard navigation through the pages: key sequences and the page, cursor and settings they
// end on.
#include <filesystem>

#include "machine.h"
#include "menu/menu.h"
#include "menu_fixture.h"

namespace {

// From the main page to the keyboard definition page, cursor on its first item.
const std::string TO_KEYBOARD = "ENTER . DOWN . DOWN . ENTER . ";

struct NavigationCase {
    const char* name;
    std::string keys;
    int open;
    uint32_t page;
    int32_t cursor;
};

void PrintTo(const NavigationCase& c, std::ostream* os) {
    *os << c.name;
}

class MenuNavigation : public MenuTest, public ::testing::WithParamInterface<NavigationCase> {};

TEST_P(MenuNavigation, EndsOnPageAndCursor) {
    const NavigationCase& c = GetParam();
    // The frame driver opens the menu on the frame ESCAPE goes down.
    fake.keys[0x01] = 0x80;
    menu_enter();
    run_keys(c.keys);
    EXPECT_EQ(machine.menu.menu_open, c.open);
    if (c.open) {
        EXPECT_EQ(machine.menu.menu_page, c.page);
        EXPECT_EQ(machine.menu.menu_cursor, c.cursor);
    }
}

const NavigationCase NAVIGATION_CASES[] = {
    {"opens_on_main_page", "", 1, 0, 0},
    {"down_moves", "DOWN", 1, 0, 1},
    {"held_down_moves_once", "DOWN DOWN DOWN DOWN", 1, 0, 1},
    {"down_released_and_pressed_moves_twice", "DOWN . DOWN", 1, 0, 2},
    {"up_wraps_to_last", "UP", 1, 0, 4},
    {"down_wraps_to_first", "DOWN . DOWN . DOWN . DOWN . DOWN", 1, 0, 0},
    {"escape_held_over_opening_keeps_menu", "ESC ESC ESC", 1, 0, 0},
    {"escape_released_and_pressed_closes", "ESC . ESC", 0, 0, 0},
    {"escape_pressed_after_opening_closes", ". ESC", 0, 0, 0},
    {"player1_down_key_moves", "0x24", 1, 0, 1},
    {"player2_up_key_moves", "0x48", 1, 0, 4},
    {"player1_button_a_enters", "0x1E", 1, 1, 0},
    {"player2_button_a_enters", "0xD2", 1, 1, 0},
    {"two_directions_in_one_frame_cancel", "UP+DOWN", 1, 0, 0},
    {"enter_opens_controls", "ENTER", 1, 1, 0},
    {"controls_up_wraps", "ENTER . UP", 1, 1, 3},
    {"controls_back", "ENTER . UP . ENTER", 1, 0, 0},
    {"controls_escape", "ENTER . ESC", 1, 0, 0},
    {"controls_player1_value", "ENTER . ENTER", 1, 1, 4},
    {"controls_player1_value_back", "ENTER . ENTER . ENTER", 1, 1, 0},
    {"controls_player2_value_back", "ENTER . DOWN . ENTER . ENTER", 1, 1, 1},
    {"controls_value_ignores_up_down", "ENTER . ENTER . DOWN . DOWN", 1, 1, 4},
    {"keyboard_page_opens", TO_KEYBOARD, 1, 6, 0},
    {"keyboard_right_to_player2", TO_KEYBOARD + "RIGHT", 1, 6, 8},
    {"keyboard_left_back_to_player1", TO_KEYBOARD + "RIGHT . LEFT", 1, 6, 0},
    {"keyboard_left_on_player1_stays", TO_KEYBOARD + "LEFT", 1, 6, 0},
    {"keyboard_right_on_player2_stays", TO_KEYBOARD + "RIGHT . RIGHT", 1, 6, 8},
    {"keyboard_up_from_first_to_back", TO_KEYBOARD + "UP", 1, 6, 16},
    {"keyboard_up_from_back_to_last", TO_KEYBOARD + "UP . UP", 1, 6, 15},
    {"keyboard_up_from_player2_first", TO_KEYBOARD + "RIGHT . UP", 1, 6, 7},
    {"keyboard_down_from_player1_last", TO_KEYBOARD + "UP . UP . LEFT . DOWN", 1, 6, 16},
    {"keyboard_down_from_back_to_first", TO_KEYBOARD + "UP . DOWN", 1, 6, 0},
    {"keyboard_down_from_player2_last", TO_KEYBOARD + "UP . UP . DOWN", 1, 6, 16},
    {"keyboard_back_item", TO_KEYBOARD + "UP . ENTER", 1, 1, 2},
    {"keyboard_escape", TO_KEYBOARD + "ESC", 1, 1, 2},
    {"video_page_opens", "DOWN . ENTER", 1, 2, 0},
    {"video_escape_without_change", "DOWN . ENTER . ESC", 1, 0, 1},
    {"video_value_escape_applies", "DOWN . ENTER . DOWN . ENTER . ESC", 1, 0, 1},
    {"video_value_enter_returns", "DOWN . ENTER . DOWN . DOWN . ENTER . ENTER", 1, 2, 2},
    {"audio_page_opens", "DOWN . DOWN . ENTER", 1, 3, 0},
    {"audio_up_wraps", "DOWN . DOWN . ENTER . UP", 1, 3, 2},
    {"audio_back_without_change", "DOWN . DOWN . ENTER . UP . ENTER", 1, 0, 2},
    {"audio_value_enter_returns", "DOWN . DOWN . ENTER . DOWN . ENTER . ENTER", 1, 3, 1},
    {"resume_closes", "UP . ENTER", 0, 0, 0},
    // A page stops at the transition: the ESCAPE of the same frame is not the main page's.
    {"enter_and_escape_together", "ENTER+ESC", 1, 1, 0},
};

INSTANTIATE_TEST_SUITE_P(Menu, MenuNavigation, ::testing::ValuesIn(NAVIGATION_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

struct BindingCase {
    const char* name;
    std::string keys;
    int player;
    int byte;
    uint8_t code;
    uint32_t page;
    int32_t cursor;
};

void PrintTo(const BindingCase& c, std::ostream* os) {
    *os << c.name;
}

class MenuBinding : public MenuTest, public ::testing::WithParamInterface<BindingCase> {};

TEST_P(MenuBinding, TakesTheKey) {
    const BindingCase& c = GetParam();
    menu_enter();
    run_keys(TO_KEYBOARD + c.keys);
    EXPECT_EQ(machine.settings.bindings[c.player][c.byte], c.code);
    EXPECT_EQ(machine.menu.menu_page, c.page);
    EXPECT_EQ(machine.menu.menu_cursor, c.cursor);
}

const BindingCase BINDING_CASES[] = {
    {"escape_as_player1_up", "ENTER . ESC", 0, 7, 0x01, 6, 0},
    {"down_arrow_as_player2_up", "RIGHT . ENTER . DOWN", 1, 7, 0xD0, 6, 8},
    {"return_as_player1_button_a", "DOWN . DOWN . DOWN . DOWN . ENTER . ENTER", 0, 0, 0x1C, 6, 4},
    {"held_enter_is_not_taken", "ENTER ENTER ENTER . 0x2C", 0, 7, 0x2C, 6, 0},
    {"lowest_code_wins", "DOWN . ENTER . 0x30+0x2C", 0, 6, 0x2C, 6, 1},
    {"player2_button_d", "UP . UP . ENTER . 0x39", 1, 3, 0x39, 6, 15},
    {"player1_right", "DOWN . DOWN . DOWN . ENTER . 0x10", 0, 4, 0x10, 6, 3},
    {"escape_with_enter_still_held_cancels", "ENTER ENTER+ESC", 0, 7, 0x16, 1, 2},
};

INSTANTIATE_TEST_SUITE_P(Menu, MenuBinding, ::testing::ValuesIn(BINDING_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

using MenuKeyboardPage = MenuTest;

TEST_F(MenuKeyboardPage, BoundEscapeActsOnlyAfterRelease) {
    menu_enter();
    // ESCAPE bound to player 1's UP and kept held: the menu ignores it until it is released.
    run_keys(TO_KEYBOARD + "ENTER . ESC ESC ESC");
    EXPECT_EQ(machine.menu.menu_page, PAGE_KEYBOARD);
    EXPECT_EQ(machine.menu.menu_cursor, 0);
    run_keys("ESC");
    EXPECT_EQ(machine.menu.menu_page, PAGE_CONTROLS);
}

TEST_F(MenuKeyboardPage, NewBindingDrivesTheMenuAtOnce) {
    menu_enter();
    run_keys(TO_KEYBOARD + "DOWN . ENTER . 0x2C"); // Z becomes player 1's DOWN
    run_keys("0x2C");
    EXPECT_EQ(machine.menu.menu_cursor, 2);
}

struct DeviceCase {
    const char* name;
    int joysticks;
    int player;
    uint32_t start;
    std::string keys;
    uint32_t code;
};

void PrintTo(const DeviceCase& c, std::ostream* os) {
    *os << c.name;
}

class MenuDevice : public MenuTest, public ::testing::WithParamInterface<DeviceCase> {};

TEST_P(MenuDevice, CyclesThroughJoysticks) {
    const DeviceCase& c = GetParam();
    fake.joysticks = c.joysticks;
    machine.settings.device_code[c.player] = c.start;
    menu_enter();
    run_keys(std::string(c.player == 0 ? "ENTER . ENTER . " : "ENTER . DOWN . ENTER . ") + c.keys);
    EXPECT_EQ(machine.settings.device_code[c.player], c.code);
    EXPECT_EQ(machine.menu.menu_cursor, 4 + c.player);
}

const DeviceCase DEVICE_CASES[] = {
    {"no_joystick_keeps_code", 0, 0, 0x20000, "RIGHT . DOWN . LEFT", 0x20000},
    {"stored_no_joystick_counts_as_keyboard", 2, 0, 0x20000, "RIGHT", 0x20001},
    {"next_twice", 2, 0, 0x20000, "RIGHT . DOWN", 0x20002},
    {"next_wraps_to_keyboard", 2, 0, 0x20000, "RIGHT . RIGHT . RIGHT", 0x10000},
    {"previous_wraps_to_last_joystick", 2, 1, 0x10000, "LEFT", 0x20002},
    {"one_joystick_cycle", 1, 1, 0x10000, "DOWN . DOWN", 0x10000},
    {"previous_from_missing_joystick", 1, 0, 0x20002, "UP", 0x20001},
};

INSTANTIATE_TEST_SUITE_P(Menu, MenuDevice, ::testing::ValuesIn(DEVICE_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

using MenuLifeCycle = MenuTest;

TEST_F(MenuLifeCycle, OpeningMutesTheSoundButKeepsTheStoredVolume) {
    machine.settings.volume = 70;
    menu_enter();
    EXPECT_EQ(fake.volumes, std::vector<int32_t>{0});
    EXPECT_EQ(machine.menu.menu_volume, 70);
    EXPECT_EQ(machine.settings.volume, 70);
}

TEST_F(MenuLifeCycle, ResumeAppliesTheVolumeChosenOnTheAudioPage) {
    menu_enter();
    // Audio page, volume value, two steps down, back to the main page, RESUME GAME.
    run_keys("DOWN . DOWN . ENTER . ENTER . LEFT . LEFT . ESC . DOWN . DOWN . ENTER");
    EXPECT_EQ(machine.menu.menu_open, 0);
    EXPECT_EQ(machine.settings.volume, 60);
    EXPECT_EQ(fake.volumes.back(), 60);
    EXPECT_EQ(machine.app.quit_requested, 0);
}

TEST_F(MenuLifeCycle, QuitWritesTheSaveFileAndAsksToClose) {
    machine.board.backup_ram[10] = 0x41;
    machine.host.display.present_flip = 1;
    menu_enter();
    run_keys("UP . UP . ENTER");
    EXPECT_EQ(machine.menu.menu_open, 0);
    EXPECT_EQ(machine.app.quit_requested, 1);
    EXPECT_EQ(machine.host.display.present_flip, 0);
    EXPECT_EQ(fake.volumes.back(), 80);
    EXPECT_FALSE(read_file("qzb.sav").empty());
}

TEST_F(MenuLifeCycle, UnknownPageBecomesTheMainPage) {
    menu_enter();
    machine.menu.menu_page = 9;
    run_keys("DOWN");
    EXPECT_EQ(machine.menu.menu_page, PAGE_MAIN);
    EXPECT_EQ(machine.menu.menu_cursor, 1);
}

} // namespace
