// The in-game menu: its life cycle, the per-frame dispatcher of its pages, the keyboard
// navigation events, the dimming of the frozen picture and the drawing of text into the frame
// buffer with the fix layer's glyphs.
// Owns: machine.menu. Touches: the frame buffer in machine.app.work_block (first MiB),
// machine.app.quit_requested, machine.roms.fix_rom_base (glyphs, read only),
// machine.video.first_visible_row (read only), machine.settings (video and audio flags, device
// codes, key bindings, volume), machine.host.display (palette entries, channel masks,
// present_flip), machine.host.input.keyboard (the keyboard state the menu reads into).
// Calls the host through menu_host (menu_host.h).
#pragma once
#include <cstdint>

void menu_enter();
void menu_leave();
void menu_frame();
// Builds the colour ramps; in 8-bit format also the menu palette (entries 1..32) and the dim
// table.
void menu_build_colours();
// Draws a NUL-terminated string (at most 80 characters) in the colour ramp `colour_index`
// (0 title, 1 item, 2 selected), 8 pixels per character and 16 rows high.
void menu_text(const char* text, int x, int y, int colour_index);
// Draws text into the frame buffer with two fixed colours (glyph pixel 2 takes colour_b).
void draw_text_fixed(const char* text, int x, int y, uint32_t colour_a, uint32_t colour_b, int two_rows);

// The page routines, one per page; menu_frame calls the one of menu_page.
void page_main();
void page_controls();
void page_keyboard();
void page_video();
void page_audio();
