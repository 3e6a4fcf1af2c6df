// Resets of the headless devices, called by headless_reset.
#pragma once

void headless_display_reset();
void headless_input_reset();
void headless_sound_reset();
