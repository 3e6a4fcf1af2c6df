// The in-game menu and its text drawing.
// Touches: machine.menu (its own), the frame buffer, machine.settings, the host display,
// audio and keyboard.
#pragma once
#include <cstdint>

void menu_enter();
void menu_leave();
void menu_frame();
// Draws text into the frame buffer with two fixed colours (glyph pixel 2 takes colour_b).
void draw_text_fixed(const char* text, int x, int y, uint32_t colour_a, uint32_t colour_b, int two_rows);
