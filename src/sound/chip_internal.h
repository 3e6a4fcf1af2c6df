// Routines shared by the files of the sound chip; not called from outside it.
#pragma once
#include <cstdint>

#include "sound/sound_state.h"

// FM section.
void fm_build_tables(FmTables& tables, int32_t clock, int32_t rate);
void fm_reset();
void fm_register_write(int reg, uint8_t value, bool second_port);
void fm_key_write(uint8_t value);
// Called after a write of the timer mode register (channel 3's special mode and CSM).
void fm_mode_changed(uint8_t old_mode, uint8_t new_mode);
void fm_csm_key_on();
// Adds the current sample of channels 1, 2, 4 and 5 into the pan accumulators.
void fm_render_sample(int64_t& left_only, int64_t& right_only, int64_t& both);
bool fm_any_sounding();

// ADPCM section.
void adpcm_build_tables(FmTables& tables);
void adpcm_reset();
void adpcm_a_register_write(int reg, uint8_t value);
void adpcm_b_register_write(int reg, uint8_t value);
// Adds `count` samples of the seven ADPCM channels to `output` (ring format).
void adpcm_render(uint8_t* output, int32_t count, int32_t bits, int32_t channels);

// SSG section.
void ssg_build_volume_table();
void ssg_write(int address, uint8_t value);
uint8_t ssg_read();
// Writes `count` samples of the SSG to `output` (ring format).
void ssg_render(uint8_t* output, int32_t count, int32_t bits, int32_t channels);

// Timers: the routine of a timer's pending event (argument 0 = timer A, 1 = timer B).
void chip_timer_expired(int32_t index);
// Sound CPU cycles run in the current slice (0 between runs).
int32_t sound_cycles_in_slice();
// The sound CPU calls in use (the core's, or a test's scripted core).
const SoundCpuCalls& sound_cpu_calls();
