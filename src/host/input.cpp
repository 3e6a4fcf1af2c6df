// Keyboard and joysticks: opening, reading with re-acquire, and the mapping of the controls onto
// the board's input bytes.
#include "host/input.h"

#include <cstring>

#include "host/flags.h"
#include "machine.h"

namespace {

constexpr uint32_t DEVICE_JOYSTICK = 0x20000;
constexpr int32_t CONTROL_NONE = 14;
constexpr int32_t FIRST_BUTTON_CONTROL = 4;

void release_joystick(int slot) {
    InputState& in = machine.host.input;
    if (in.joystick[slot]) joystick_device_release(in.joystick[slot]);
    in.joystick[slot] = nullptr;
}

bool key_down(const uint8_t* keys, uint8_t code) { return (keys[code] & 0x80) != 0; }

// A start or select control names button (control - 3); anything else names no button.
bool control_down(uint8_t control, const JoystickState& state) {
    if (control < FIRST_BUTTON_CONTROL || control >= CONTROL_NONE) return false;
    return (state.buttons[control - FIRST_BUTTON_CONTROL] & 0x80) != 0;
}

void map_joystick(int player, int slot, const JoystickState& state) {
    BoardState& board = machine.board;
    const JoystickMapping& m = machine.host.input.mapping[slot];
    uint8_t& p = player == 0 ? board.player1 : board.player2;
    if (control_down(m.start_control, state)) board.start_select = player == 0 ? 0xFE : 0xFB;
    if (control_down(m.select_control, state)) board.start_select = player == 0 ? 0xFD : 0xF7;
    for (int b = 0; b < 10; ++b)
        if (state.buttons[b] & 0x80) p &= m.buttons[b];
    if (state.x > 0) p &= m.right;
    else if (state.x < 0) p &= m.left;
    if (state.y > 0) p &= m.down;
    else if (state.y < 0) p &= m.up;
}

void map_keyboard_player(uint8_t& p, const uint8_t bindings[8], const uint8_t* keys) {
    for (int b = 0; b < 4; ++b)
        if (key_down(keys, bindings[b])) p &= static_cast<uint8_t>(~(0x10 << b));
    if (key_down(keys, bindings[4])) p &= 0xF7;      // right wins over left
    else if (key_down(keys, bindings[5])) p &= 0xFB;
    if (key_down(keys, bindings[6])) p &= 0xFD;      // down wins over up
    else if (key_down(keys, bindings[7])) p &= 0xFE;
}

} // namespace

int input_open(WindowHandle window) {
    InputState& in = machine.host.input;
    in.window = window;
    in.joystick_count = 0;
    in.mapping[0] = in.mapping[1] = JoystickMapping{};
    if (input_device_open(window) != PLATFORM_OK) return 1; // no input at all, but the game runs
    in.interface_open = 1;
    if (keyboard_device_create() != PLATFORM_OK) {
        input_close();
        return 0;
    }
    in.keyboard_device = 1;
    const int32_t offered = joystick_device_count();
    for (int32_t i = 0; i < offered && in.joystick_count < 2; ++i) {
        PlatformJoystick* j = joystick_device_create(i);
        if (j == nullptr) continue;
        if (joystick_device_setup(j) != PLATFORM_OK) {
            joystick_device_release(j);
            continue;
        }
        in.joystick[in.joystick_count++] = j;
    }
    for (int slot = 0; slot < 2; ++slot)
        if (in.joystick[slot] && joystick_device_acquire(in.joystick[slot]) != PLATFORM_OK) release_joystick(slot);
    return 1;
}

void input_close() {
    InputState& in = machine.host.input;
    if (in.keyboard_device) {
        keyboard_device_unacquire();
        keyboard_device_release();
        in.keyboard_device = 0;
    }
    release_joystick(0);
    release_joystick(1);
    if (in.interface_open) input_device_close();
    in.interface_open = 0;
}

int keyboard_set_exclusive(int exclusive) {
    if (!machine.host.input.keyboard_device) return 0;
    keyboard_device_unacquire();
    if (keyboard_device_set_level(exclusive != 0) != PLATFORM_OK) return 0;
    return keyboard_device_acquire() == PLATFORM_OK;
}

int keyboard_read(uint8_t* state) {
    if (!machine.host.input.keyboard_device) return 0;
    uint8_t fresh[256];
    int32_t result = keyboard_device_state(fresh);
    while (result == PLATFORM_INPUT_LOST) {
        if (keyboard_device_acquire() != PLATFORM_OK) return 0;
        result = keyboard_device_state(fresh);
    }
    if (result == PLATFORM_NOT_ACQUIRED) {
        if (keyboard_device_acquire() != PLATFORM_OK) return 0;
        result = keyboard_device_state(fresh);
    }
    if (result < 0) return 0; // the previous state stays
    std::memcpy(state, fresh, 256);
    return 1;
}

int input_joystick_count() { return machine.host.input.joystick_count; }

int joystick_read(int slot, JoystickState* state) {
    if (slot < 1 || slot > 2) return 0;
    PlatformJoystick* j = machine.host.input.joystick[slot - 1];
    if (j == nullptr) return 0;
    const int32_t result = joystick_device_state(j, state);
    if (result == PLATFORM_INPUT_LOST || result == PLATFORM_NOT_ACQUIRED) {
        joystick_device_acquire(j);
        return 0;
    }
    return result == PLATFORM_OK;
}

int input_poll() {
    InputState& in = machine.host.input;
    for (int player = 0; player < 2; ++player) {
        const uint32_t code = machine.settings.device_code[player];
        const int slot = static_cast<int>(code & 3);
        if (!(code & DEVICE_JOYSTICK) || (slot != 1 && slot != 2)) continue;
        JoystickState state;
        if (joystick_read(slot, &state)) map_joystick(player, slot - 1, state);
    }
    uint8_t* keys = in.keyboard;
    keyboard_read(keys);
    BoardState& board = machine.board;
    if (key_down(keys, 0x02)) board.start_select = 0xFE;
    if (key_down(keys, 0x03)) board.start_select = 0xFB;
    if (key_down(keys, 0x04)) board.start_select = 0xFD;
    if (key_down(keys, 0x05)) board.start_select = 0xF7;
    map_keyboard_player(board.player1, machine.settings.bindings[0], keys);
    map_keyboard_player(board.player2, machine.settings.bindings[1], keys);
    return 1;
}
