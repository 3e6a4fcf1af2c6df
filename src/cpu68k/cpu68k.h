// The 68000 main CPU core: reset from the vector table and run slices of a cycle budget.
// Owns machine.main_cpu (registers, SR, flags, the live cycle counter, the PC pointer and the
// fetch bounds). Calls the handler tables of machine.bus for every data access and fetches
// instructions straight from the memory of machine.bus.fetch (read only).
// Files: core.cpp (slice loop, re-basing, exceptions, interrupt offer), core_access.h (fetch,
// memory, flags, effective addresses), flag_ops.h (condition codes of the arithmetic), ops_*.h
// (the opcode routines), gen/ (the generator of the opcode table, run at build time).
#pragma once
#include <cstdint>

// Clears the registers, enters supervisor mode with mask 7, loads SSP and PC from the longs at
// 0 and 4 of fetch region 0 and sets cycles_left to 0.
void main_cpu_reset();
// Offers the level-1 interrupt, then runs instructions until the budget plus the previous
// slice's remainder is used up; the (negative) overshoot stays in cycles_left.
void main_cpu_run(int32_t budget);
