// Hooks between the shared platform code and the back ends.
#pragma once
#include <cstdint>

// When set, answers CPUID in place of the processor (a back end uses it to simulate processors).
// Returns false to let the processor answer; otherwise *available tells whether CPUID exists.
using CpuidHook = bool (*)(uint32_t leaf, uint32_t regs[4], bool* available);
extern CpuidHook platform_cpuid_hook;
