// The recording the audio flags can ask for: every sent block, at the ring's own format, appended
// to "qzb-rec.wav" in the current folder.
// Touches: machine.host.audio (recording, recorded_bytes), machine.audio_ring (its format).
#pragma once
#include <cstdint>

inline constexpr const char* RECORDING_FILE_NAME = "qzb-rec.wav";

// Opens the file on the first block; when it cannot be opened, the sound plays unrecorded.
void recording_append(const uint8_t* block, uint32_t bytes);
// Writes the sizes into the header and closes the file.
void recording_close();
