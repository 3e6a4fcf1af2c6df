// Internal entry points of the slice loop, for the core itself and for tests that need to run
// instructions without the level-1 interrupt offer (single-instruction checks).
#pragma once
#include <cstdint>

namespace m68k {

// main_cpu_run without step 2: adds the budget, subtracts 1 and runs until the counter is negative.
void run_without_interrupt(int32_t budget);
// Bases the PC on the fetch region of a 32-bit PC value (halts the core when it is unusable).
// Returns the new PC pointer.
const uint8_t* set_pc(uint32_t pc);

} // namespace m68k
