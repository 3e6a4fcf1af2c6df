// Host picture: display modes, surfaces, presentation, the loading picture and its progress marks.
// Touches: machine.host.display, machine.settings.video_flags, the platform layer's display.
#pragma once
#include <cstdint>
#include "host/platform/platform.h"

int display_create(WindowHandle window);      // 0 on success
int display_set_mode(int width, int height, int depth, int buffers); // 0 on success
void display_release();
int display_present(int vsync);
int palette_upload(int first, int count);     // 1 on success
int apply_video_flags();                      // 1 on success
void display_show_loading_picture();
void display_progress_mark(int stage);        // stage 1..8
// Locks the target surface, runs the current scaler into it and unlocks it.
void display_draw_frame();
