#include <cstdio>
#include <cstring>

#include "host/platform/headless/headless.h"
#include "host/platform/headless/headless_internal.h"
#include "host/platform/platform.h"
#include "host/platform/platform_internal.h"

namespace {

struct HeadlessState {
    uint64_t clock = 0;
    uint64_t auto_advance = 10;
    bool counter_available = true;
    uint64_t slept_ms = 0;
    std::function<void()> pump_hook;
    bool window_fails = false;
    bool start_active = true;
    bool window_open = false;
    bool cpuid_override = false;
    bool cpuid_available = true;
    uint32_t leaf0[4] = {};
    uint32_t leaf1[4] = {};
    std::string messages;
    uint8_t keyboard[256] = {};
};

HeadlessState& state() {
    static HeadlessState s;
    return s;
}

bool headless_cpuid_override(uint32_t leaf, uint32_t regs[4], bool* available) {
    const HeadlessState& s = state();
    if (!s.cpuid_override) return false;
    *available = s.cpuid_available;
    const uint32_t* src = leaf == 0 ? s.leaf0 : leaf == 1 ? s.leaf1 : nullptr;
    for (int i = 0; i < 4; ++i) regs[i] = src ? src[i] : 0;
    return true;
}

} // namespace

void headless_reset() {
    state() = HeadlessState{};
    headless_display_reset();
    headless_input_reset();
    headless_sound_reset();
    platform_cpuid_hook = nullptr;
}
void headless_clock_set(uint64_t counter) { state().clock = counter; }
void headless_clock_advance(uint64_t counter_ticks) { state().clock += counter_ticks; }
uint64_t headless_clock_value() { return state().clock; }
void headless_clock_set_auto_advance(uint64_t counter_ticks) { state().auto_advance = counter_ticks; }
void headless_set_counter_available(bool available) { state().counter_available = available; }
uint64_t headless_slept_milliseconds() { return state().slept_ms; }
void headless_set_pump_hook(std::function<void()> hook) { state().pump_hook = std::move(hook); }
void headless_set_window_fails(bool fails) { state().window_fails = fails; }
void headless_set_start_active(bool active) { state().start_active = active; }
const std::string& headless_messages() { return state().messages; }
void headless_set_keyboard(const uint8_t keys[256]) { std::memcpy(state().keyboard, keys, sizeof state().keyboard); }
const uint8_t* headless_keyboard() { return state().keyboard; }

void headless_set_cpuid(bool available, const uint32_t leaf0[4], const uint32_t leaf1[4]) {
    HeadlessState& s = state();
    s.cpuid_override = true;
    s.cpuid_available = available;
    if (leaf0) std::memcpy(s.leaf0, leaf0, sizeof s.leaf0);
    if (leaf1) std::memcpy(s.leaf1, leaf1, sizeof s.leaf1);
    platform_cpuid_hook = headless_cpuid_override;
}

void headless_use_real_cpuid() {
    state().cpuid_override = false;
    platform_cpuid_hook = nullptr;
}


WindowHandle platform_window_create(const char* title) {
    (void)title;
    HeadlessState& s = state();
    if (s.window_fails) return 0;
    s.window_open = true;
    event_post(EVENT_CREATE, 0);
    if (s.start_active) event_post(EVENT_ACTIVATE, 1);
    return 1;
}

void platform_window_destroy(WindowHandle window) {
    (void)window;
    state().window_open = false;
}

void platform_pump_events() {
    HeadlessState& s = state();
    if (s.pump_hook) s.pump_hook();
}

void platform_message_box(const char* caption, const char* text) {
    state().messages += std::string(caption) + ": " + text;
    std::fprintf(stderr, "%s: %s", caption, text);
}

bool platform_counter_frequency(uint64_t* frequency) {
    if (!state().counter_available) return false;
    *frequency = HEADLESS_COUNTER_FREQUENCY;
    return true;
}

uint64_t platform_counter() {
    HeadlessState& s = state();
    s.clock += s.auto_advance;
    return s.clock;
}

uint32_t platform_milliseconds() {
    HeadlessState& s = state();
    s.clock += s.auto_advance;
    return static_cast<uint32_t>(s.clock / (HEADLESS_COUNTER_FREQUENCY / 1000));
}

void platform_sleep(uint32_t milliseconds) {
    HeadlessState& s = state();
    s.slept_ms += milliseconds;
    s.clock += static_cast<uint64_t>(milliseconds) * (HEADLESS_COUNTER_FREQUENCY / 1000);
}
