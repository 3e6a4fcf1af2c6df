// State of the host side: the display context, the input devices and the audio stream
// (one instance, inside the machine state).
#pragma once
#include <cstdint>

struct DisplayContext {
    int32_t created = 0;
    int32_t pitch = 1280;
    int32_t height = 480;
    int32_t depth = 16;
    int32_t width = 640;
    int32_t flip_mode = 0;
    int32_t starting = 0;     // 1 while the start-up stages run
    int32_t present_flip = 0; // 1 when frames are drawn into the back buffer and flipped
    // Channel masks of the current 16-bit mode's pixels.
    uint32_t red_mask = 0xF800;
    uint32_t green_mask = 0x07E0;
    uint32_t blue_mask = 0x001F;
    uint8_t entries[256][4] = {}; // 8-bit palette: red, green, blue, flags
};

struct InputState {
    uint8_t keyboard[256] = {}; // indexed by scan code, non-zero while the key is down
};

struct AudioStreamState {
    int32_t open = 0;
    int32_t playing = 0;
    int32_t saved_primary_volume = -1;
};

struct HostState {
    DisplayContext display;
    InputState input;
    AudioStreamState audio;
};
