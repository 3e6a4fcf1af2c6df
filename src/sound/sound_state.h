// State of the sound chip, its timing against the sound CPU, and the ring of rendered sample
// blocks (one instance each, inside the machine state).
#pragma once
#include <cstdint>

inline constexpr int32_t SOUND_CPU_RATE = 813 * 15360 / 3;          // 4,162,560 cycles per second
inline constexpr int32_t SOUND_CYCLES_PER_FRAME = SOUND_CPU_RATE / 60; // 69,376
inline constexpr int32_t RING_BLOCKS = 8;

// The sound chip's own record.
struct SoundChipState {
    int32_t initialised = 0;
};

struct SoundTiming {
    int32_t cpu_rate = 0;         // set at the machine reset when sound is on
    double seconds_per_cycle = 0; // its reciprocal
    int32_t cycles_per_frame = 0;
    int32_t sound_time = 0;       // sound CPU cycles run in the current frame
};

// The ring of eight one-frame blocks that the sound chip renders into and the audio stream sends.
struct AudioRing {
    uint8_t* ring = nullptr;   // RING_BLOCKS blocks of block_samples frames, plus 4 spare bytes
    uint32_t ring_bytes = 0;
    int32_t bits = 8;          // 8 or 16
    int32_t channels = 1;      // 1 or 2
    int32_t stereo = 0;
    int32_t device_rate = 22050;
    int32_t ring_rate = 22050;
    int32_t block_samples = 367;
    int32_t render_block = 0;
    int32_t rendered = 0;
    int32_t send_block = 1;
};
