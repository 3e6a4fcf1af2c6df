// Host input: keyboard and joysticks mapped onto the board's input bytes.
// Touches: machine.host.input, machine.board (input bytes), machine.settings (bindings, devices).
#pragma once
#include <cstdint>
#include "host/platform/platform.h"

int input_open(WindowHandle window); // 1 on success
void input_close();
int keyboard_set_exclusive(int exclusive);
int input_poll();
