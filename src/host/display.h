// Host picture: display modes, surfaces, presentation, the loading picture and its progress marks,
// and the mode selection with its scaler choice (scalers.h).
// Touches: machine.host.display (its own), machine.settings.video_flags, machine.video
// (first_visible_row, palette_changed_low/high), machine.menu.menu_open, the frame buffer in
// machine.app.work_block, machine.roms.fix_rom_base (glyphs), the platform layer's display;
// calls the video chip's video_use_format_16/8 and the frame driver's reset_pacing.
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

// Surfaces: lock (restores a lost surface once, waits while the device is still drawing) gives
// the first pixel and the pitch, or null; fill takes the low 16 bits of the colour.
uint8_t* surface_lock(PlatformSurface* surface, int32_t* pitch);
void surface_unlock(PlatformSurface* surface);
int surface_fill(PlatformSurface* surface, uint32_t colour); // 1 on success
int32_t surface_pitch(PlatformSurface* surface);             // 0 on failure
int palette_create();                                        // 1 on success
// Draws a glyph string straight into the primary surface (start-up only): glyph pixel 2 takes
// colour_b, every other pixel colour_a; with two_rows the lower glyph half follows 8 lines below.
void draw_text_direct(const char* text, int x, int y, uint32_t colour_a, uint32_t colour_b, int two_rows);
