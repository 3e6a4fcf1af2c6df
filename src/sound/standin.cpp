// Stand-in until the sound chip lands.
#include "sound/sound.h"

void chip_write(int, uint8_t) {}
uint8_t chip_read(int) { return 0; }
void ssg_reset() {}
int chip_initialise(int32_t, int32_t, const uint8_t*, const uint8_t*, uint32_t, uint32_t, TimerCallback) { return 1; }
void chip_free() {}
void sound_timer_callback(int, int32_t) {}
void set_sound_clocks() {}
void sound_timeline_reset() {}
void run_sound_cpu(int32_t, bool) {}
void audio_render_to_now(int32_t, bool) {}
