// The sound chip (FM, SSG, ADPCM-A/B, two timers) and the slicing of the sound CPU against its
// timer events; renders the audio ring up to the current emulated time.
// Touches: machine.sound_chip and machine.sound_timing (its own), machine.audio_ring (renders into
// the ring the host allocated), machine.settings.audio_flags (read), the sound CPU core through
// its calls and machine.sound_cpu.ei_pending, machine.app.sound_enabled (cleared when the sound CPU
// fails).
#pragma once
#include <cstdint>

using TimerCallback = void (*)(int index, int32_t count);

// The chip's four ports as the sound CPU reaches them (ports 4-7 of its port map).
void chip_write(int port, uint8_t value);
uint8_t chip_read(int port);

void ssg_reset();
int chip_initialise(int32_t clock, int32_t rate, const uint8_t* adpcm_a_rom, const uint8_t* adpcm_b_rom,
                    uint32_t adpcm_a_length, uint32_t adpcm_b_length, TimerCallback callback);
void chip_free();
// Puts the chip back to its power-on registers (chip_initialise does it once).
void chip_reset();
// The timer callback the machine hands to chip_initialise.
void sound_timer_callback(int index, int32_t count);
// Sets the sound CPU clock constants (done at the machine reset when sound is on).
void set_sound_clocks();
// Empties the event queue and restarts sound time at 0.
void sound_timeline_reset();
// Runs the sound CPU up to `target` cycles of the current frame, interleaved with timer events.
void run_sound_cpu(int32_t target, bool end_of_frame);
void audio_render_to_now(int32_t min_pending, bool end_of_frame);

// Renders `count` samples in the ring's format (bits, channels) with the sections that
// machine.settings.audio_flags enables, less those machine.sound_chip.section_mute drops (a test hook).
void render_sound(uint8_t* output, int32_t count);

// Event queue: inserts an event (a 33rd simultaneous event is dropped, its handle still given)
// and removes one by handle.
uint32_t sound_event_insert(int32_t time, int32_t argument, void (*routine)(int32_t argument));
void sound_event_remove(uint32_t handle);
