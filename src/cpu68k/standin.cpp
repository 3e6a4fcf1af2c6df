// Stand-in until the core lands: the CPU executes nothing.
#include "cpu68k/cpu68k.h"

void main_cpu_reset() {}
void main_cpu_run(int32_t budget) { (void)budget; }
