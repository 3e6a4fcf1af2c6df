// Host sound: the audio device and the stream of ring blocks sent to it.
// Touches: machine.host.audio (its own), machine.audio_ring (allocates the ring, sets its format
// and send position; the sound chip renders into it), machine.settings (audio flags, volume),
// machine.app.window, the platform layer's sound device.
#pragma once
#include <cstdint>

int audio_restart(int reuse);         // 1 when sound runs
void audio_stop(int keep_ring);
void audio_close();
int audio_send_block();               // 1 when a block went to the device
void audio_set_volume(int32_t volume);
int32_t audio_get_primary_volume();
void audio_set_primary_volume(int32_t volume);

#include "host/platform/platform.h"
// The device at `rate` (44100 or 22050) in the format the audio flags ask for; the flags are then
// rewritten to the format the device accepted. 1 on success.
int audio_open(WindowHandle window, int32_t rate, int check_driver);
// Allocates the ring for the device format (or keeps it when `reuse` and the format is unchanged).
int audio_prepare_ring(int reuse);
// The buffer volume in hundredths of a decibel for a main volume of 0..100.
int32_t audio_volume_level(int32_t volume);
