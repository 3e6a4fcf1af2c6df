// Keyboard and joystick mapping onto the board's input bytes, device set-up and lost input.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/input.h"
#include "host/platform/headless/headless.h"
#include "machine.h"
#include "support/machine_fixture.h"

namespace {

struct Joy {
    int index; // attached joystick 0 or 1
    int x, y;
    uint32_t buttons;
};

struct MappingCase {
    const char* name;
    std::vector<int> keys;
    std::vector<Joy> joysticks;
    int attached;
    uint32_t device1, device2;
    uint8_t player1, player2, start_select;
};
void PrintTo(const MappingCase& c, std::ostream* os) { *os << c.name; }

class InputMapping : public MachineTest, public testing::WithParamInterface<MappingCase> {};

TEST_P(InputMapping, SetsTheBoardBytes) {
    const MappingCase& c = GetParam();
    headless_input_switches().joysticks_attached = c.attached;
    ASSERT_EQ(input_open(1), 1);
    ASSERT_EQ(keyboard_set_exclusive(1), 1);
    machine.settings.device_code[0] = c.device1;
    machine.settings.device_code[1] = c.device2;
    for (int k : c.keys) headless_key(k, true);
    for (const Joy& j : c.joysticks) headless_joystick(j.index, j.x, j.y, j.buttons);
    machine.board.player1 = machine.board.player2 = machine.board.start_select = 0xFF;
    EXPECT_EQ(input_poll(), 1);
    EXPECT_EQ(machine.board.player1, c.player1);
    EXPECT_EQ(machine.board.player2, c.player2);
    EXPECT_EQ(machine.board.start_select, c.start_select);
    input_close();
}

constexpr uint32_t KB = 0x10000;
constexpr uint32_t J1 = 0x20001;
constexpr uint32_t J2 = 0x20002;
constexpr uint32_t NO_JOY = 0x20000;
INSTANTIATE_TEST_SUITE_P(
    Cases, InputMapping,
    testing::Values(
        MappingCase{"idle", {}, {}, 0, NO_JOY, KB, 0xFF, 0xFF, 0xFF},
        MappingCase{"p1_buttons", {0x1E, 0x1F, 0x20, 0x21}, {}, 0, NO_JOY, KB, 0x0F, 0xFF, 0xFF},
        MappingCase{"right_wins_over_left", {0x25, 0x23}, {}, 0, NO_JOY, KB, 0xF7, 0xFF, 0xFF},
        MappingCase{"down_wins_over_up", {0x24, 0x16}, {}, 0, NO_JOY, KB, 0xFD, 0xFF, 0xFF},
        MappingCase{"left_and_up", {0x23, 0x16}, {}, 0, NO_JOY, KB, 0xFA, 0xFF, 0xFF},
        MappingCase{"p2_keys", {0xD2, 0x4D, 0x48}, {}, 0, NO_JOY, KB, 0xFF, 0xE6, 0xFF},
        MappingCase{"start_1_and_2_gives_p2_start", {0x02, 0x03}, {}, 0, NO_JOY, KB, 0xFF, 0xFF, 0xFB},
        MappingCase{"select_4_is_last", {0x02, 0x05}, {}, 0, NO_JOY, KB, 0xFF, 0xFF, 0xF7},
        MappingCase{"joystick1_for_p1", {}, {{0, 700, -700, 0x1}}, 1, J1, KB, 0xE6, 0xFF, 0xFF},
        MappingCase{"joystick_dead_zone_presses_nothing", {}, {{0, 0, 0, 0}}, 1, J1, KB, 0xFF, 0xFF, 0xFF},
        MappingCase{"joystick_buttons_5_to_10_press_nothing", {}, {{0, 0, 0, 0x0F0}}, 1, J1, KB, 0xFF, 0xFF, 0xFF},
        MappingCase{"joystick_start_and_select", {}, {{0, 0, 0, 0x100}, {1, 0, 0, 0x200}}, 2, J1, J2, 0xFF, 0xFF, 0xF7},
        MappingCase{"keyboard_start_after_joystick", {0x02}, {{1, 0, 0, 0x100}}, 2, NO_JOY, J2, 0xFF, 0xFF, 0xFE},
        MappingCase{"joystick2_with_one_joystick", {0x4B}, {{0, 900, 900, 0xF}}, 1, KB, J2, 0xFF, 0xFB, 0xFF},
        MappingCase{"no_joystick_selected", {}, {{0, 900, 900, 0xF}}, 1, NO_JOY, KB, 0xFF, 0xFF, 0xFF},
        MappingCase{"joystick_and_keyboard_together", {0x1E}, {{0, -900, 900, 0x2}}, 1, J1, KB, 0xC9, 0xFF, 0xFF}),
    [](const testing::TestParamInfo<MappingCase>& info) { return std::string(info.param.name); });

class InputTest : public MachineTest {};

TEST_F(InputTest, SharedBindingPressesEveryControlBoundToIt) {
    ASSERT_EQ(input_open(1), 1);
    keyboard_set_exclusive(1);
    machine.settings.bindings[0][1] = 0x1E; // B on A's key
    machine.settings.bindings[1][0] = 0x1E; // and player 2's A too
    headless_key(0x1E, true);
    input_poll();
    EXPECT_EQ(machine.board.player1, 0xCF);
    EXPECT_EQ(machine.board.player2, 0xEF);
    input_close();
}

TEST_F(InputTest, LostKeyboardIsReacquiredAndAFailedReadKeepsThePreviousState) {
    ASSERT_EQ(input_open(1), 1);
    keyboard_set_exclusive(1);
    headless_key(0x1E, true);
    headless_input_switches().keyboard_lost = 1;
    input_poll();
    EXPECT_EQ(machine.board.player1, 0xEF); // re-acquired and read
    headless_key(0x1E, false);
    headless_input_switches().keyboard_lost = 1;
    headless_input_switches().reacquire_fails = true;
    machine.board.player1 = 0xFF;
    input_poll();
    EXPECT_EQ(machine.board.player1, 0xEF); // the previous state is used
    input_close();
}

TEST_F(InputTest, UnacquiredKeyboardIsAcquiredOnRead) {
    ASSERT_EQ(input_open(1), 1); // never made exclusive, so never acquired
    headless_key(0x02, true);
    input_poll();
    EXPECT_EQ(machine.board.start_select, 0xFE);
    input_close();
}

TEST_F(InputTest, LostJoystickGivesNothingForOneFrame) {
    headless_input_switches().joysticks_attached = 1;
    ASSERT_EQ(input_open(1), 1);
    machine.settings.device_code[0] = 0x20001;
    headless_joystick(0, 900, 0, 0);
    headless_input_switches().joystick_lost = 1;
    input_poll();
    EXPECT_EQ(machine.board.player1, 0xFF);
    input_poll();
    EXPECT_EQ(machine.board.player1, 0xF7);
    input_close();
}

TEST_F(InputTest, AJoystickThatFailsSetUpLeavesItsSlotToTheNext) {
    headless_input_switches().joysticks_attached = 3;
    headless_input_switches().joystick_setup_fails = 0;
    ASSERT_EQ(input_open(1), 1);
    EXPECT_EQ(machine.host.input.joystick_count, 2);
    machine.settings.device_code[0] = 0x20001;
    headless_joystick(0, 900, 0, 0);
    headless_joystick(1, -900, 0, 0);
    input_poll();
    EXPECT_EQ(machine.board.player1, 0xFB); // slot 1 holds attached joystick 1
    input_close();
}

TEST_F(InputTest, OpeningFailures) {
    headless_input_switches().interface_fails = true;
    EXPECT_EQ(input_open(1), 1); // no input system: the game runs without input
    EXPECT_EQ(input_poll(), 1);
    EXPECT_EQ(machine.board.player1, 0xFF);
    input_close();
    headless_input_switches().interface_fails = false;
    headless_input_switches().keyboard_fails = true;
    EXPECT_EQ(input_open(1), 0);
    input_close(); // safe a second time
}

TEST_F(InputTest, ExclusiveKeyboardFallsBackToShared) {
    headless_input_switches().exclusive_fails = true;
    ASSERT_EQ(input_open(1), 1);
    EXPECT_EQ(keyboard_set_exclusive(1), 0);
    EXPECT_EQ(keyboard_set_exclusive(0), 1);
    EXPECT_FALSE(headless_keyboard_exclusive());
    input_close();
}

TEST(KeyNames, NamedAndUnnamedCodes) {
    EXPECT_STREQ(key_name(0x00), "UNDEF.");
    EXPECT_STREQ(key_name(0x01), "ESCAPE");
    EXPECT_STREQ(key_name(0x2B), "\\");
    EXPECT_STREQ(key_name(0x54), "UNDEF.");
    EXPECT_STREQ(key_name(0x97), "UNLABEL");
    EXPECT_STREQ(key_name(0xDF), "SLEEP");
    EXPECT_STREQ(key_name(0xFF), "UNDEF.");
    EXPECT_STREQ(device_names[2], "JOYSTICK2");
}

} // namespace
