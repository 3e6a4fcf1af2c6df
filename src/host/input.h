// Host input: keyboard and joysticks mapped onto the board's input bytes.
// Touches: machine.host.input, machine.board (input bytes), machine.settings (bindings, devices).
#pragma once
#include <cstdint>
#include "host/platform/platform.h"

int input_open(WindowHandle window); // 1 on success
void input_close();
int keyboard_set_exclusive(int exclusive);
int input_poll();

struct JoystickState;
// Reads the keyboard into a 256-byte state (re-acquiring lost input); 1 when it was read, else
// the state keeps its previous contents.
int keyboard_read(uint8_t* state, int32_t size);
// Reads joystick slot 1 or 2; 0 when the slot is empty or the joystick gives nothing this frame.
int joystick_read(int slot, JoystickState* state);

// Names of the scan codes for the menu (7 characters at most), and of the device codes'
// low two bits (0 keyboard, 1 and 2 the joysticks).
const char* key_name(int32_t code);
extern const char device_names[3][10];
