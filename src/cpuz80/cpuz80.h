// The Z80 sound CPU core: an interpreter over six dispatch tables generated at build time
// (gen/generate_tables.cpp), run in slices against a T-state budget, with banked reads, flat
// writes, port handler lists and the idle opcodes ED 00 - ED 0B.
// Owns: src/cpuz80 and machine.sound_cpu. Touches: the memory image named by its context (reads
// through bank_slot and bank_offset, writes flat) and the port handler lists it is given.
#pragma once
#include <cstdint>
#include "cpuz80/cpuz80_state.h"

using PortReadRoutine = uint32_t (*)(uint32_t port, const PortHandlerEntry* entry);
using PortWriteRoutine = void (*)(uint32_t port, uint32_t value, const PortHandlerEntry* entry);

// One entry of a port handler list; a list ends at the first entry whose low port is 0xFFFF.
struct PortHandlerEntry {
    uint16_t low;
    uint16_t high;
    PortReadRoutine read;   // set in read lists
    PortWriteRoutine write; // set in write lists
    uint32_t user;
};

inline constexpr uint32_t SOUND_CPU_RUN_OK = 0x80000000u;

void sound_cpu_set_context(const SoundCpuContext* context);
void sound_cpu_reset();
// Runs for `cycles` T-states (plus the carried-over remainder). Returns SOUND_CPU_RUN_OK, or the
// position of an opcode the tables do not implement.
uint32_t sound_cpu_run(int32_t cycles);
// T-states executed by the current or last run; a non-zero `clear` then zeroes the counters.
int32_t sound_cpu_elapsed(int clear);
// Called from a port routine: the run stops at the next check, elapsed still counts what ran.
void sound_cpu_release_slice();
int sound_cpu_interrupt(int data); // 0 when accepted, 1 when interrupts are disabled
int sound_cpu_nmi();
void sound_cpu_set_irq_line(int level);
