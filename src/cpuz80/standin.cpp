// Stand-in until the core lands.
#include "cpuz80/cpuz80.h"
#include "machine.h"

void sound_cpu_set_context(const SoundCpuContext* context) { machine.sound_cpu.context = *context; }
void sound_cpu_reset() {}
