// Stand-ins until the host devices land: the display accepts every mode, there is no input
// device and no sound card.
#include "host/audio.h"
#include "host/display.h"
#include "host/input.h"

int display_create(WindowHandle) { return 0; }
int display_set_mode(int, int, int, int) { return 0; }
void display_release() {}
int display_present(int) { return 0; }
int palette_upload(int, int) { return 1; }
int apply_video_flags() { return 1; }
void display_show_loading_picture() {}
void display_progress_mark(int) {}
void display_draw_frame() {}

int input_open(WindowHandle) { return 1; }
void input_close() {}
int keyboard_set_exclusive(int) { return 1; }
int input_poll() { return 1; }
int keyboard_read(uint8_t*) { return 0; }
const char* key_name(uint8_t) { return "UNDEF."; }
int input_joystick_count() { return 0; }

int audio_restart(int) { return 0; }
void audio_stop(int) {}
void audio_close() {}
int audio_send_block() { return 0; }
void audio_set_volume(int32_t) {}
int32_t audio_get_primary_volume() { return 0; }
void audio_set_primary_volume(int32_t) {}
