#include "menu/menu_host.h"

#include "host/audio.h"
#include "host/display.h"
#include "host/input.h"

// Constant-initialised, so it holds the real calls before any code runs.
MenuHostCalls menu_host = {keyboard_read,    apply_video_flags, audio_restart,
                           audio_set_volume, palette_upload,    input_joystick_count};

void menu_host_reset() {
    menu_host = MenuHostCalls{keyboard_read,    apply_video_flags, audio_restart,
                              audio_set_volume, palette_upload,    input_joystick_count};
}
