// Board memory map and I/O registers: fills the main CPU's handler tables and fetch regions,
// serves the input bytes, system status, sound command latch and system latch, and the sound
// CPU's port map.
// Touches: machine.board (its own), machine.bus, machine.roms (program ROM, BIOS), the video
// chip's register handlers, the sound side's command path.
#pragma once
#include <cstdint>

#include "cpuz80/cpuz80.h"

void fill_handler_tables();

// The sound CPU's two port handler lists (one entry each, ports 0x0000-0xFFFE).
extern const PortHandlerEntry sound_port_read_list[];
extern const PortHandlerEntry sound_port_write_list[];
