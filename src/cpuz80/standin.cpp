// Stand-in until the core lands.
#include "cpuz80/cpuz80.h"
#include "machine.h"

void sound_cpu_set_context(const SoundCpuContext* context) { machine.sound_cpu.context = *context; }
void sound_cpu_reset() {}
uint32_t sound_cpu_run(int32_t) { return SOUND_CPU_RUN_OK; }
int32_t sound_cpu_elapsed(int) { return 0; }
void sound_cpu_release_slice() {}
int sound_cpu_interrupt(int) { return 1; }
int sound_cpu_nmi() { return 0; }
void sound_cpu_set_irq_line(int) {}
