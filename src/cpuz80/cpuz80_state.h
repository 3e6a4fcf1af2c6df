// State of the Z80 sound CPU core (one instance, inside the machine state at machine.sound_cpu).
// Owned by src/cpuz80; the sound chip reads ei_pending and interrupt_accepted (and clears the
// latter), the start-up code fills bank_slot and the board's port routines change bank_offset.
#pragma once
#include <cstdint>

struct PortHandlerEntry;

// The record copied in whole by sound_cpu_set_context.
struct SoundCpuContext {
    uint8_t* memory = nullptr; // 64 KiB image (reads may be banked beyond it)
    const PortHandlerEntry* port_read_list = nullptr;
    const PortHandlerEntry* port_write_list = nullptr;
    uint32_t spare0 = 0;
    uint32_t interrupt_mode = 0;
    uint32_t spare1 = 0;
    uint32_t halted = 0;
    uint16_t af = 0, bc = 0, de = 0, hl = 0;
    uint16_t ix = 0, iy = 0;
    uint16_t sp = 0, pc = 0;
    uint16_t af2 = 0, bc2 = 0, de2 = 0, hl2 = 0;
    uint16_t interrupt_address = 0x0038;
    uint16_t nmi_address = 0x0066;
    uint8_t i = 0;
    uint8_t r = 0;
};

// The registers a run keeps apart from the context: loaded when a run starts, stored into the
// context when it ends (and BC, HL and PC around every port call).
struct SoundCpuRunRegisters {
    uint8_t a = 0, f = 0;
    uint8_t b = 0, c = 0;
    uint8_t h = 0, l = 0;
    uint16_t pc = 0;
};

struct SoundCpuState {
    SoundCpuContext context;
    uint8_t iff1 = 0, iff2 = 0;
    uint8_t irq_line = 0;
    uint8_t ei_pending = 0;
    uint32_t interrupt_accepted = 0;
    int32_t budget = 0;
    int32_t cycles_left = 0;
    int32_t cut_off = 0;
    int32_t fetch_offset = 0;
    uint8_t idle_state = 0;
    // Banked reads: host address of a read at a = memory + a + bank_offset[bank_slot[a] / 4].
    uint8_t bank_slot[0x10000] = {};
    int32_t bank_offset[8] = {};

    // Working state of a run.
    SoundCpuRunRegisters run;
    uint16_t index_address = 0;  // IX + d or IY + d of the four-byte indexed bit forms
    uint8_t stopped = 0;         // an unknown opcode ended the run
    uint32_t stop_position = 0;  // what sound_cpu_run returns for that opcode
};
