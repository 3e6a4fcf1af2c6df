// The host calls the menu makes whose outcome depends on the devices: reading the keyboard,
// setting a display mode, restarting the sound, the volume, palette uploads and the joystick
// count. They go through this table so that tests can stand in a display that refuses a mode,
// a sound card that refuses a format, or a keyboard with keys held.
#pragma once
#include <cstdint>

struct MenuHostCalls {
    int (*keyboard_read)(uint8_t* state);
    int (*apply_video_flags)();
    int (*audio_restart)(int reuse);
    void (*audio_set_volume)(int32_t volume);
    int (*palette_upload)(int first, int count);
    int (*input_joystick_count)();
};

extern MenuHostCalls menu_host;
// Puts the real host calls back.
void menu_host_reset();
