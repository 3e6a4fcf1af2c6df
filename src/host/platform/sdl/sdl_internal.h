// What the parts of the SDL back end share: the window, the keyboard state the events keep, and
// the display's redraw after the window system uncovered the window.
#pragma once
#include <SDL.h>

#include <cstdint>

SDL_Window* sdl_window();
// DirectInput-style scan code for an SDL scan code, 0 when the key has none.
uint8_t sdl_scan_code(SDL_Scancode code);
// Keyboard events as they arrive; a read sees every key pressed since the previous read, even
// one already released again.
void sdl_keyboard_event(SDL_Scancode code, bool down);
void sdl_keyboard_clear();
void sdl_display_redraw();
