// Hooks between the shared platform code and the back ends.
#pragma once
#include <cstdint>

// When set, answers CPUID in place of the processor (a back end uses it to simulate processors).
// Returns false to let the processor answer; otherwise *available tells whether CPUID exists.
using CpuidHook = bool (*)(uint32_t leaf, uint32_t regs[4], bool* available);
extern CpuidHook platform_cpuid_hook;

// The one or two parts of a looping sound buffer of `size` bytes that a lock of `bytes` from
// `offset` covers: the second part is the wrap to the buffer's start. False when the range does
// not fit the buffer.
bool sound_ring_lock_parts(uint8_t* data, uint32_t size, uint32_t offset, uint32_t bytes, uint8_t** part1,
                           uint32_t* bytes1, uint8_t** part2, uint32_t* bytes2);
