// State of the host side: the display context, the input devices and the audio stream
// (one instance, inside the machine state). Owned by src/host; the shell reads `starting`,
// `present_flip` and `saved_primary_volume`, the video chip writes the 8-bit `entries`.
#pragma once
#include <cstdint>
#include <cstdio>

#include "host/platform/platform.h"

using ScalerRoutine = void (*)();

struct DisplayContext {
    int32_t created = 0;
    PlatformSurface* primary = nullptr;
    PlatformSurface* back = nullptr; // back buffer of the flip chain; only valid in flip mode
    int32_t palette = 0;             // 1 while an 8-bit palette is attached to the primary surface
    uint32_t halving_mask = 0;       // twice: each channel mask without its lowest bit
    int32_t pitch = 1280;
    int32_t height = 480;
    int32_t depth = 16;
    int32_t width = 640;
    int32_t flip_mode = 0;
    int32_t starting = 0;     // 1 while the start-up stages run
    int32_t present_flip = 0; // 1 when frames are drawn into the back buffer and flipped
    // Channel masks of the current 16-bit mode's pixels (read after each mode set).
    uint32_t red_mask = 0xF800;
    uint32_t green_mask = 0x07E0;
    uint32_t blue_mask = 0x001F;
    uint8_t entries[256][4] = {}; // 8-bit palette: red, green, blue, flags
    ScalerRoutine scaler = nullptr; // chosen at every mode selection
    uint8_t* target = nullptr;      // the locked surface the scaler writes, and its pitch
    int32_t target_pitch = 0;
};

// What a joystick slot's controls press (masks ANDed into the player byte) and which of its
// buttons are start and select (control numbers 4..13 are buttons 1..10, 14 is none).
struct JoystickMapping {
    uint8_t up = 0xFE, down = 0xFD, left = 0xFB, right = 0xF7;
    uint8_t buttons[10] = {0xEF, 0xDF, 0xBF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    uint8_t start_control = 12;
    uint8_t select_control = 13;
};

struct InputState {
    uint8_t keyboard[256] = {}; // indexed by scan code, non-zero while the key is down
    int32_t interface_open = 0;
    int32_t keyboard_device = 0;
    PlatformJoystick* joystick[2] = {}; // slots 1 and 2
    int32_t joystick_count = 0;
    JoystickMapping mapping[2];
    WindowHandle window = 0;
};

struct AudioStreamState {
    int32_t open = 0;
    PlatformSoundBuffer* primary = nullptr;
    PlatformSoundBuffer* stream = nullptr; // primary in direct mode, else the secondary buffer
    int32_t direct = 0;
    int32_t playing = 0;
    uint32_t buffer_bytes = 0;
    uint32_t send_pos = 0;
    uint32_t lead = 0;
    int32_t saved_primary_volume = -1;
    int32_t last_stereo = -1, last_bits = -1, last_ring_rate = -1; // format when last stopped
    WindowHandle window = 0;
    std::FILE* recording = nullptr; // "qzb-rec.wav" while AudioFlags asks for a recording
    uint32_t recorded_bytes = 0;
    // Health of the stream since the machine started, in ring blocks (defined in audio.cpp).
    uint64_t blocks_sent = 0;
    uint64_t blocks_dropped = 0;
    uint64_t blocks_repeated = 0;
    // What the counters follow: each ring block's state, the last render position seen, the
    // bytes written to the device and not yet played, the last play position, and device bytes
    // played stale that do not yet make a whole block.
    uint8_t ring_block_state[8] = {};
    int32_t seen_render_block = 0;
    uint32_t unplayed_bytes = 0;
    uint32_t last_play = 0;
    uint32_t stale_bytes = 0;
};

struct HostState {
    DisplayContext display;
    InputState input;
    AudioStreamState audio;
};
