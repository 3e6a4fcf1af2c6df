// The Z80 sound CPU core.
// Touches: machine.sound_cpu (its own), the memory image it is given, the port handler lists.
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
