// Board memory map and I/O registers: fills the main CPU's handler tables and fetch regions,
// serves the input bytes, system status, sound command latch and system latch, and the sound
// CPU's port map.
// Owns: machine.board (memories, palette bank and dirty flags, ROM bank, input bytes, latches).
// Touches: machine.bus (fills it; the bank select, palette bank and backup RAM lock re-point
// entries), machine.roms (program ROM, BIOS, vector swap through select_*_vectors),
// machine.main_cpu.cycles_left (the sound command write reads and lowers it), the video chip's
// register handlers, the sound side (run_sound_cpu, sound_cpu_nmi, chip_read/chip_write,
// machine.sound_timing.sound_time, machine.sound_cpu.bank_offset), machine.app.sound_enabled.
#pragma once
#include <cstdint>

#include "cpuz80/cpuz80.h"

// Builds all six handler tables and the fetch regions (called once by the machine reset, after
// the ROM images are in place and before main_cpu_reset).
void fill_handler_tables();

// The system latch's actions on the memory map.
void set_palette_bank(uint32_t bank);
void lock_backup_ram();
void unlock_backup_ram();

// Window 0x200000-0x2FFFFF: selects program ROM bank `value` & 3 (ignored when the program ROM
// is 1 MiB or smaller).
void select_rom_bank(uint32_t value);

// I/O registers the handlers of pages 0x30-0x3A reach.
uint32_t system_status_read();
void sound_command_write(uint8_t value);
// Sound CPU cycles of the frame that match the main CPU's position, from its cycles left.
int32_t sound_catch_up_target(int32_t cycles_left);
void system_latch_write(uint32_t address);

// Fills the sound CPU's bank slot map (the four bank windows onto their offset table entries) and
// clears the offsets, so every window starts on the program's own addresses.
void build_sound_bank_map();

// The sound CPU's two port handler lists (one entry each, ports 0x0000-0xFFFE).
extern const PortHandlerEntry sound_port_read_list[];
extern const PortHandlerEntry sound_port_write_list[];
uint32_t sound_port_read(uint32_t port, const PortHandlerEntry* entry);
void sound_port_write(uint32_t port, uint32_t value, const PortHandlerEntry* entry);

// Main CPU cycles left in a frame run at which a sound command finds the sound CPU at the start of
// its frame, and the main-to-sound cycle ratio.
inline constexpr int32_t SOUND_SYNC_REFERENCE = 208'192;
inline constexpr int32_t MAIN_TO_SOUND_RATIO = 3;
// Extra main CPU cycles a sound command write costs.
inline constexpr int32_t SOUND_COMMAND_CHARGE = 200;
// Sound cycles the command's NMI takes.
inline constexpr int32_t SOUND_NMI_CYCLES = 11;
