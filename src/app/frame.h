// The frame driver: the 10 kHz timer, pacing, frame skipping, one emulated frame and its drawing.
// Touches: the frame driver's own timer fields, and through their calls the CPUs, video chip,
// sound side, input, menu and display.
#pragma once
#include <cstdint>

void timer_init();
uint32_t timer_now();
void timer_end();
void reset_pacing();
void frame_step();
// The two halves of a frame without pacing, for batch runs: one emulated frame of the board
// (main CPU, video tick, sound, inputs), and drawing it (palettes, sprites, fix layer, menu, display).
void emulate_frame();
void draw_frame();
