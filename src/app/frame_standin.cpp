// Stand-in until the frame driver lands.
#include "app/frame.h"

void timer_init() {}
uint32_t timer_now() { return 0; }
void timer_end() {}
void reset_pacing() {}
void frame_step() {}
void emulate_frame() {}
void draw_frame() {}
