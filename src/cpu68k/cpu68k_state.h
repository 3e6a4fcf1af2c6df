// State of the 68000 main CPU core (one instance, inside the machine state).
#pragma once
#include <cstdint>

struct MainCpuState {
    // D0-D7 then A0-A7: a 4-bit register number indexes them as one array (A7 = active stack).
    uint32_t regs[16] = {};
    uint32_t inactive_stack_pointer = 0; // USP while supervisor, SSP while user
    uint32_t reset_pc = 0;
    uint16_t sr = 0;                     // only the system byte (T, S, mask) is live
    uint8_t x_byte = 0;
    // Remaining cycles of the slice. While a slice runs this is the live counter: a handler may
    // read it and lower it, and the core sees the change.
    int32_t cycles_left = 0;
    uint32_t saved_flags = 0;            // condition byte << 24 | V byte << 16 | X byte
    const uint8_t* pc_pointer = nullptr; // host address of the next instruction word
    intptr_t pc_base = 0;                // host address minus 68000 address of the current region
};
