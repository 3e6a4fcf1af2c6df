// Keyboard from SDL key events, joysticks through SDL's joystick interface (pads plugged in
// while the program runs are offered at the next start).
#include <cstdlib>
#include <cstring>

#include "host/platform/platform.h"
#include "host/platform/sdl/sdl_internal.h"

struct PlatformJoystick {
    SDL_Joystick* device = nullptr;
    bool acquired = false;
};

namespace {

constexpr int32_t MAX_JOYSTICKS = 2;
constexpr int32_t AXIS_TRAVEL = 1000;
constexpr int32_t DEAD_ZONE = AXIS_TRAVEL / 2; // half the travel, as a dead zone of 5000 is

struct SdlInput {
    bool open = false;
    bool keyboard = false;
    bool acquired = false;
    uint8_t down[256] = {};
    uint8_t pressed[256] = {}; // pressed since the last read
    PlatformJoystick sticks[MAX_JOYSTICKS];
};

SdlInput input;

int32_t scaled_axis(Sint16 raw) {
    const int32_t v = static_cast<int32_t>(raw) * AXIS_TRAVEL / 32767;
    if (std::abs(v) < DEAD_ZONE) return 0;
    return v > AXIS_TRAVEL ? AXIS_TRAVEL : v < -AXIS_TRAVEL ? -AXIS_TRAVEL : v;
}

} // namespace

void sdl_keyboard_event(SDL_Scancode code, bool down) {
    const uint8_t c = sdl_scan_code(code);
    if (c == 0) return;
    input.down[c] = down ? 0x80 : 0;
    if (down) input.pressed[c] = 0x80;
}

void sdl_keyboard_clear() {
    std::memset(input.down, 0, sizeof input.down);
    std::memset(input.pressed, 0, sizeof input.pressed);
}

int32_t input_device_open(WindowHandle) {
    if (sdl_window() == nullptr) return PLATFORM_FAILED;
    input.open = true;
    return PLATFORM_OK;
}

void input_device_close() { input = SdlInput{}; }

int32_t keyboard_device_create() {
    if (!input.open) return PLATFORM_FAILED;
    input.keyboard = true;
    return PLATFORM_OK;
}

void keyboard_device_release() { input.keyboard = false; }

int32_t keyboard_device_set_level(bool exclusive) {
    if (!input.keyboard) return PLATFORM_FAILED;
    // Exclusive use keeps the system's own shortcuts away while the game has the keyboard.
    SDL_SetWindowKeyboardGrab(sdl_window(), exclusive ? SDL_TRUE : SDL_FALSE);
    return PLATFORM_OK;
}

int32_t keyboard_device_acquire() {
    if (!input.keyboard) return PLATFORM_FAILED;
    input.acquired = true;
    return PLATFORM_OK;
}

void keyboard_device_unacquire() { input.acquired = false; }

int32_t keyboard_device_state(uint8_t state[256]) {
    if (!input.keyboard) return PLATFORM_FAILED;
    if (!input.acquired) return PLATFORM_NOT_ACQUIRED;
    for (int i = 0; i < 256; ++i) state[i] = input.down[i] | input.pressed[i];
    std::memset(input.pressed, 0, sizeof input.pressed);
    return PLATFORM_OK;
}

int32_t joystick_device_count() { return input.open ? SDL_NumJoysticks() : 0; }

PlatformJoystick* joystick_device_create(int32_t index) {
    for (PlatformJoystick& j : input.sticks) {
        if (j.device != nullptr) continue;
        j.device = SDL_JoystickOpen(index);
        return j.device ? &j : nullptr;
    }
    return nullptr;
}

int32_t joystick_device_setup(PlatformJoystick* joystick) {
    // The state read below needs two axes; anything else is not a joystick for this machine.
    if (joystick == nullptr || SDL_JoystickNumAxes(joystick->device) < 2) return PLATFORM_FAILED;
    return PLATFORM_OK;
}

int32_t joystick_device_acquire(PlatformJoystick* joystick) {
    if (joystick == nullptr || !SDL_JoystickGetAttached(joystick->device)) return PLATFORM_FAILED;
    joystick->acquired = true;
    return PLATFORM_OK;
}

void joystick_device_release(PlatformJoystick* joystick) {
    if (joystick == nullptr) return;
    if (joystick->device) SDL_JoystickClose(joystick->device);
    *joystick = PlatformJoystick{};
}

int32_t joystick_device_state(PlatformJoystick* joystick, JoystickState* state) {
    if (joystick == nullptr || !joystick->acquired) return PLATFORM_NOT_ACQUIRED;
    if (!SDL_JoystickGetAttached(joystick->device)) return PLATFORM_INPUT_LOST;
    SDL_JoystickUpdate();
    *state = JoystickState{};
    state->x = scaled_axis(SDL_JoystickGetAxis(joystick->device, 0));
    state->y = scaled_axis(SDL_JoystickGetAxis(joystick->device, 1));
    const int buttons = SDL_JoystickNumButtons(joystick->device);
    for (int b = 0; b < buttons && b < 32; ++b)
        state->buttons[b] = SDL_JoystickGetButton(joystick->device, b) ? 0x80 : 0;
    return PLATFORM_OK;
}
