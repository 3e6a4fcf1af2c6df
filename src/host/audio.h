// Host sound: the audio device and the stream of ring blocks sent to it.
// Touches: machine.host.audio, machine.audio_ring, machine.settings (audio flags, volume).
#pragma once
#include <cstdint>

int audio_restart(int reuse);         // 1 when sound runs
void audio_stop(int keep_ring);
void audio_close();
int audio_send_block();               // 1 when a block went to the device
void audio_set_volume(int32_t volume);
int32_t audio_get_primary_volume();
void audio_set_primary_volume(int32_t volume);
