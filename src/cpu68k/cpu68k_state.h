// State of the 68000 main CPU core (one instance, inside the machine state).
// Owned by the main CPU core (src/cpu68k). Other parts may read the registers between slices and
// the video chip reads and rewrites the program image at pc_pointer between slices.
#pragma once
#include <cstdint>

struct MainCpuState {
    // D0-D7 then A0-A7: a 4-bit register number indexes them as one array (A7 = active stack).
    uint32_t regs[16] = {};
    uint32_t inactive_stack_pointer = 0; // USP while supervisor, SSP while user
    uint32_t reset_pc = 0;
    uint16_t sr = 0;                     // only the system byte (T, S, mask) is live
    // The X flag in bit 8, where C sits in the live flags word below, so an operation that sets X
    // to its carry stores the word it got; the other bits are don't-care. Packed into saved_flags
    // at slice exit as the X byte.
    uint16_t x_flag = 0;
    // Remaining cycles of the slice. While a slice runs this is the live counter: a handler may
    // read it and lower it, and the core sees the change.
    int32_t cycles_left = 0;
    uint32_t saved_flags = 0;            // condition byte << 24 | V byte << 16 | X byte
    const uint8_t* pc_pointer = nullptr; // host address of the next instruction word
    intptr_t pc_base = 0;                // host address minus 68000 address of the current region

    // Live condition codes while a slice runs (packed into saved_flags at slice exit and unpacked
    // at entry): the condition byte (N bit 7, Z bit 6, C bit 0) in bits 15-8 and the V byte (0
    // or 1) in bits 7-0; the other bits are don't-care. See flag_ops.h.
    uint16_t flags = 0;
    // Set when the PC left usable fetch memory (an unusable region, or an instruction that would
    // run past the end of its region's memory). A halted core executes nothing until reset; a
    // core that was never reset is halted too, so a slice before reset touches nothing.
    bool halted = true;
    // The memory of the region the PC was last based in: instructions are fetched only from
    // [fetch_low, fetch_low + fetch_span). Below fetch_fast_end (a host address) a whole
    // instruction of the longest form (10 bytes) fits, so the common case needs one compare; a
    // relative transfer below fetch_low clears fetch_fast_end, so the next fetch takes the
    // checked path.
    uintptr_t fetch_low = 0;
    uintptr_t fetch_span = 0;
    uintptr_t fetch_fast_end = 0;
};
