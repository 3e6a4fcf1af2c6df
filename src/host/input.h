// Host input: keyboard and joysticks mapped onto the board's input bytes.
// Touches: machine.host.input (its own), machine.board (player1, player2, start_select),
// machine.settings (bindings, device codes), the platform layer's keyboard and joysticks.
#pragma once
#include <cstdint>
#include "host/platform/platform.h"

int input_open(WindowHandle window); // 1 on success
void input_close();
int keyboard_set_exclusive(int exclusive);
int input_poll();
// Reads the keyboard into `state` (256 bytes by scan code, re-acquiring lost input); 1 when it
// was read, else the state keeps its previous contents.
int keyboard_read(uint8_t* state);
// Name of a scan code for the menu (7 characters at most; "UNDEF." for codes without one).
const char* key_name(uint8_t scan_code);
// Number of joysticks obtained at start (0..2).
int input_joystick_count();

struct JoystickState;
// Reads joystick slot 1 or 2; 0 when the slot is empty or the joystick gives nothing this frame.
int joystick_read(int slot, JoystickState* state);
// Names of the device codes' low two bits (0 keyboard, 1 and 2 the joysticks).
extern const char device_names[3][10];
