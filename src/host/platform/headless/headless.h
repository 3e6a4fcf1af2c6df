// Controls of the headless back end, for tests and batch runs: a virtual clock, scripted window
// events, a record of what the machine showed the player, and the display, input and sound
// devices in memory with switches that make them fail the way real devices do.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/platform/platform.h"

// Counter frequency of the virtual clock: ten million ticks per second.
inline constexpr uint64_t HEADLESS_COUNTER_FREQUENCY = 10'000'000;

// Puts every control back to its default: clock at 0 advancing 10 counter ticks (1 µs) per
// reading, a counter present, no pump hook, CPUID from the processor, no messages recorded,
// and the display, input and sound devices empty with every failure switch off.
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

// ---- display ----------------------------------------------------------------------------------

// Failure switches of the headless display; every one is off after headless_reset.
struct HeadlessDisplaySwitches {
    bool open_fails = false;
    bool refuse_all_modes = false;
    bool refuse_60hz = false;        // modes set only at the default refresh rate
    bool refuse_320_wide = false;
    bool refuse_flip_chains = false;
    bool refuse_palette = false;
    int32_t extra_pitch = 64;        // bytes added to each surface row beyond its width
    uint32_t red_mask = 0xF800, green_mask = 0x07E0, blue_mask = 0x001F; // 16-bit pixel format
};
HeadlessDisplaySwitches& headless_display_switches();
// The next `count` locks, fills or flips report a lost surface; restores fail while
// `restore_fails` is set.
void headless_display_lose_surfaces(int32_t count, bool restore_fails);
// The next `count` locks and fills report that the device is still drawing.
void headless_display_still_drawing(int32_t count);

struct HeadlessSurfaceView {
    const uint8_t* pixels = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;
};
// The surface the player sees now (the front of the chain), and every surface of the chain in
// order (0 = front).
HeadlessSurfaceView headless_display_front();
int32_t headless_display_chain_length();
HeadlessSurfaceView headless_display_chain(int32_t index);
// The last mode set, its refresh (0 = default), flips done and the palette the display holds.
struct HeadlessModeRecord {
    int32_t width = 0, height = 0, depth = 0, refresh = -1;
    int32_t mode_sets = 0;
    int32_t flips = 0;
    int32_t flips_waited = 0;
};
const HeadlessModeRecord& headless_display_mode();
const uint8_t (*headless_display_palette())[4];
bool headless_display_has_palette();

// ---- input ------------------------------------------------------------------------------------

struct HeadlessInputSwitches {
    bool interface_fails = false;
    bool keyboard_fails = false;
    bool exclusive_fails = false;
    int32_t keyboard_lost = 0;        // next keyboard reads that report lost input
    bool reacquire_fails = false;
    int32_t joysticks_attached = 0;   // 0..4 offered by the enumeration
    int32_t joystick_setup_fails = -1; // index of an attached joystick whose set-up fails
    int32_t joystick_lost = 0;        // next joystick reads that report lost input
};
HeadlessInputSwitches& headless_input_switches();
void headless_key(int32_t scan_code, bool down);
void headless_keys_clear();
// Sets what attached joystick `index` reports (axes already in -1000..1000, dead zone applied).
void headless_joystick(int32_t index, int32_t x, int32_t y, uint32_t button_bits);
bool headless_keyboard_exclusive();

// ---- sound ------------------------------------------------------------------------------------

struct HeadlessSoundSwitches {
    bool no_device = false;
    bool emulated_driver = true;    // false: a real driver, written through the primary buffer
    bool only_8bit_mono = false;    // the primary buffer keeps 8-bit mono 22050 whatever is asked
    bool refuse_44k = false;
    bool refuse_stream = false;
    uint32_t primary_bytes = 65536; // size of the primary buffer of a real driver
    int32_t primary_volume = -600;
    // Keep every byte the device plays (headless_sound_played). Long batch runs turn it off: an
    // hour of 16-bit stereo would hold over 300 MB.
    bool keep_played = true;
};
HeadlessSoundSwitches& headless_sound_switches();
// The next position reads or locks report a lost buffer.
void headless_sound_lose_buffer(int32_t count);
// The buffer being played (the stream, or the primary buffer of a real driver): its bytes, its
// format and its rate, and the play position, which advances with the virtual clock.
struct HeadlessSoundView {
    const uint8_t* bytes = nullptr;
    uint32_t size = 0;
    AudioFormat format;
    int32_t frequency = 0;
    int32_t volume = 0;
    int32_t pan = 0;
    bool playing = false;
    uint32_t position = 0;
    int32_t created = 0; // streams created so far
};
HeadlessSoundView headless_sound_stream();
// Sets the play position of the playing buffer directly (the clock then moves it on from there).
void headless_sound_set_position(uint32_t byte_offset);
// What the device has played so far, recorded as the play position passes (for the runner's WAV).
const std::vector<uint8_t>& headless_sound_played();
