// The 68000 main CPU core: reset from the vector table and run slices of a cycle budget.
// Touches: machine.main_cpu (its own state), machine.bus (calls handlers, reads fetch regions).
#pragma once
#include <cstdint>

void main_cpu_reset();
void main_cpu_run(int32_t budget);
