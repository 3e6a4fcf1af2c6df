// The headless input devices: a scripted keyboard and up to four scripted joysticks, with
// switches for missing devices and lost input.
#include <cstring>

#include "host/platform/headless/headless.h"
#include "host/platform/headless/headless_internal.h"
#include "host/platform/platform.h"

struct PlatformJoystick {
    int32_t index = 0;
    bool set_up = false;
    bool acquired = false;
};

namespace {

constexpr int32_t MAX_JOYSTICKS = 4;

struct InputDevices {
    HeadlessInputSwitches switches;
    bool open = false;
    bool keyboard = false;
    bool exclusive = false;
    bool acquired = false;
    JoystickState sticks[MAX_JOYSTICKS];
    PlatformJoystick handles[MAX_JOYSTICKS];
};

InputDevices& devices() {
    static InputDevices d;
    return d;
}

} // namespace

void headless_input_reset() { devices() = InputDevices{}; }
HeadlessInputSwitches& headless_input_switches() { return devices().switches; }
void headless_key(int32_t scan_code, bool down) {
    uint8_t keys[256];
    std::memcpy(keys, headless_keyboard(), sizeof keys);
    keys[scan_code & 0xFF] = down ? 0x80 : 0;
    headless_set_keyboard(keys);
}
void headless_keys_clear() {
    const uint8_t none[256] = {};
    headless_set_keyboard(none);
}
bool headless_keyboard_exclusive() { return devices().exclusive; }

void headless_joystick(int32_t index, int32_t x, int32_t y, uint32_t button_bits) {
    if (index < 0 || index >= MAX_JOYSTICKS) return;
    JoystickState& s = devices().sticks[index];
    s.x = x;
    s.y = y;
    for (int b = 0; b < 32; ++b) s.buttons[b] = (button_bits >> b) & 1 ? 0x80 : 0;
}

int32_t input_device_open(WindowHandle) {
    if (devices().switches.interface_fails) return PLATFORM_FAILED;
    devices().open = true;
    return PLATFORM_OK;
}

void input_device_close() {
    devices().open = false;
    devices().keyboard = false;
}

int32_t keyboard_device_create() {
    InputDevices& d = devices();
    if (!d.open || d.switches.keyboard_fails) return PLATFORM_FAILED;
    d.keyboard = true;
    return PLATFORM_OK;
}

void keyboard_device_release() { devices().keyboard = false; }

int32_t keyboard_device_set_level(bool exclusive) {
    InputDevices& d = devices();
    if (!d.keyboard) return PLATFORM_FAILED;
    if (exclusive && d.switches.exclusive_fails) return PLATFORM_FAILED;
    d.exclusive = exclusive;
    return PLATFORM_OK;
}

int32_t keyboard_device_acquire() {
    InputDevices& d = devices();
    if (!d.keyboard || d.switches.reacquire_fails) return PLATFORM_FAILED;
    d.acquired = true;
    return PLATFORM_OK;
}

void keyboard_device_unacquire() { devices().acquired = false; }

int32_t keyboard_device_state(uint8_t state[256]) {
    InputDevices& d = devices();
    if (!d.keyboard) return PLATFORM_FAILED;
    if (d.switches.keyboard_lost > 0) {
        --d.switches.keyboard_lost;
        d.acquired = false;
        return PLATFORM_INPUT_LOST;
    }
    if (!d.acquired) return PLATFORM_NOT_ACQUIRED;
    // Scripts may mark a key with any non-zero byte; the device reports the high bit.
    const uint8_t* keys = headless_keyboard();
    for (int i = 0; i < 256; ++i) state[i] = keys[i] ? 0x80 : 0;
    return PLATFORM_OK;
}

int32_t joystick_device_count() {
    InputDevices& d = devices();
    if (!d.open) return 0;
    return d.switches.joysticks_attached < MAX_JOYSTICKS ? d.switches.joysticks_attached : MAX_JOYSTICKS;
}

PlatformJoystick* joystick_device_create(int32_t index) {
    if (index < 0 || index >= joystick_device_count()) return nullptr;
    PlatformJoystick* j = &devices().handles[index];
    *j = PlatformJoystick{index, false, false};
    return j;
}

int32_t joystick_device_setup(PlatformJoystick* joystick) {
    if (joystick == nullptr || devices().switches.joystick_setup_fails == joystick->index) return PLATFORM_FAILED;
    joystick->set_up = true;
    return PLATFORM_OK;
}

int32_t joystick_device_acquire(PlatformJoystick* joystick) {
    if (joystick == nullptr || !joystick->set_up) return PLATFORM_FAILED;
    joystick->acquired = true;
    return PLATFORM_OK;
}

void joystick_device_release(PlatformJoystick* joystick) {
    if (joystick) *joystick = PlatformJoystick{};
}

int32_t joystick_device_state(PlatformJoystick* joystick, JoystickState* state) {
    InputDevices& d = devices();
    if (joystick == nullptr || !joystick->acquired) return PLATFORM_NOT_ACQUIRED;
    if (d.switches.joystick_lost > 0) {
        --d.switches.joystick_lost;
        return PLATFORM_INPUT_LOST;
    }
    *state = d.sticks[joystick->index];
    return PLATFORM_OK;
}
