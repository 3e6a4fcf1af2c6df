// Controls of the headless back end, for tests and batch runs: a virtual clock, scripted window
// events and a record of what the machine showed the player.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

// Counter frequency of the virtual clock: ten million ticks per second.
inline constexpr uint64_t HEADLESS_COUNTER_FREQUENCY = 10'000'000;

// Puts every control back to its default: clock at 0 advancing 10 counter ticks (1 µs) per
// reading, a counter present, no pump hook, CPUID from the processor, no messages recorded.
void headless_reset();

void headless_clock_set(uint64_t counter);
void headless_clock_advance(uint64_t counter_ticks);
uint64_t headless_clock_value();
// Counter ticks the clock moves forward at every reading (so spinning waits always end).
void headless_clock_set_auto_advance(uint64_t counter_ticks);
// Without a counter the machine falls back to the millisecond clock.
void headless_set_counter_available(bool available);
// Milliseconds slept so far.
uint64_t headless_slept_milliseconds();

// Called whenever the machine takes the host's events; a test posts events from it.
void headless_set_pump_hook(std::function<void()> hook);
// Whether window creation succeeds, and whether it reports the program active at once.
void headless_set_window_fails(bool fails);
void headless_set_start_active(bool active);

// Replaces CPUID: `available` false reports a processor without it; otherwise leaf 0 and leaf 1
// return the given registers.
void headless_set_cpuid(bool available, const uint32_t leaf0[4], const uint32_t leaf1[4]);
void headless_use_real_cpuid();

// The keyboard as the next keyboard read finds it: 256 bytes by scan code, non-zero = down.
void headless_set_keyboard(const uint8_t state[256]);
const uint8_t* headless_keyboard();

// Messages the machine showed, as "caption: text".
const std::string& headless_messages();
