#include "app/shell.h"
#include "host/flags.h"
#include "machine.h"

void cpu_feature_check() {
    uint32_t leaf0[4];
    if (!platform_cpuid(0, leaf0)) return;
    uint32_t& flags = machine.settings.video_flags;
    if (leaf0[0] == 0) {
        flags |= VF_NOT_FAMILY5;
        return;
    }
    uint32_t leaf1[4];
    platform_cpuid(1, leaf1);
    const bool has_mmx = (leaf1[3] >> 23) & 1;
    if (!has_mmx) {
        flags |= VF_NOT_FAMILY5;
        return;
    }
    flags |= VF_MMX;
    const bool genuine_intel = leaf0[1] == 0x756E6547; // "Genu"
    const uint32_t family = (leaf1[0] >> 8) & 0xF;
    if (!(genuine_intel && family == 5)) flags |= VF_NOT_FAMILY5;
}
