// State of the sound chip, its timing against the sound CPU, and the ring of rendered sample
// blocks (one instance each, inside the machine state). The chip record lives in place; only its
// two mixing buffers are heap blocks, made by chip_initialise and freed by chip_free.
#pragma once
#include <cstdint>

inline constexpr int32_t SOUND_CPU_RATE = 813 * 15360 / 3;             // 4,162,560 cycles per second
inline constexpr int32_t SOUND_CYCLES_PER_FRAME = SOUND_CPU_RATE / 60; // 69,376
inline constexpr int32_t RING_BLOCKS = 8;

inline constexpr int FM_CHANNELS = 6;
inline constexpr int ADPCM_A_CHANNELS = 6;
inline constexpr int DECLICK_CHANNELS = ADPCM_A_CHANNELS + 1; // the six ADPCM-A and the ADPCM-B
inline constexpr int EVENT_QUEUE_SIZE = 32;

// Bits of SoundChipState::section_mute.
inline constexpr uint8_t SECTION_MUTE_FM = 1;
inline constexpr uint8_t SECTION_MUTE_SSG = 2;
inline constexpr uint8_t SECTION_MUTE_ADPCM_A = 4;
inline constexpr uint8_t SECTION_MUTE_ADPCM_B = 8;

// Tables of the FM section, built from `freqbase` at initialisation.
struct FmTables {
    int32_t freqbase = 0;
    int32_t level[16384] = {}; // 8192 attenuation steps, then the same negated
    int16_t sine[2048] = {};   // indexes into `level`
    int16_t envelope_curve[8193] = {};
    int32_t frequency[2048] = {};
    int32_t detune[8][32] = {};
    uint32_t attack_rates[94] = {};
    uint32_t decay_rates[94] = {};
    int32_t multiple[16] = {};
    uint32_t sustain_level[16] = {};
    // ADPCM-A: 49 rows of 16 signal deltas.
    int16_t adpcm_a_deltas[49][16] = {};
};

// Envelope states, in the order the key logic compares them.
enum : uint8_t { ENV_OFF = 0, ENV_RELEASE = 1, ENV_SUSTAIN = 2, ENV_DECAY = 3, ENV_ATTACK = 4 };

struct FmOperator {
    uint8_t detune_row = 0;
    uint8_t ks_shift = 3;
    uint8_t ksr = 0; // key code >> ks_shift
    int32_t multiple = 1;
    int32_t tl = 0;          // attenuation index added to the envelope
    int32_t tl_held = 0;     // the last TL written (applied at the CSM key-on while CSM holds it)
    int16_t attack_row = -1; // -1: the all-zero row
    int16_t decay_row = -1;
    int16_t sustain_row = -1;
    int16_t release_row = 2;
    uint32_t attack_rate = 0, decay_rate = 0, sustain_rate = 0, release_rate = 0;
    uint32_t sustain_end = 0x10000000;
    uint32_t phase = 0;
    uint32_t phase_step = 0;
    uint8_t state = ENV_OFF;
    uint32_t env_counter = 0x20000000;
    uint32_t env_end = 0x20000001;
    uint32_t env_step = 0;
};

struct FmChannel {
    uint8_t algorithm = 0;
    uint8_t feedback_shift = 0;
    uint8_t pan = 3;
    uint8_t frequency_latch = 0;
    uint8_t ams_pms = 0;
    int32_t fc = 0;
    int32_t key_code = 0;
    int32_t feedback = 0;
    uint8_t recalc = 1;
    FmOperator op[4]; // register order: operator 1, 3, 2, 4
};

struct AdpcmAChannel {
    uint8_t playing = 0;
    uint8_t end_bit = 0;
    uint32_t start = 0, end = 0; // byte addresses from the registers
    uint32_t play_end = 0;       // end clamped to the sample ROM when the channel started
    uint32_t position = 0;       // nibble position
    uint32_t fraction = 0;       // nibble fraction, one nibble = 0x80000000
    int32_t signal = 0;
    int32_t step_row = 0; // step index × 16
    int32_t attenuation = 0;
    int32_t volume = 0;
    uint8_t pan = 3;
    int32_t output = 0;
};

struct AdpcmBChannel {
    uint8_t playing = 0;
    uint8_t repeat = 0;
    uint32_t start = 0, end = 0;
    uint32_t play_start = 0, play_end = 0; // fixed when the channel started (end within the ROM)
    uint32_t position = 0;                 // nibble position
    uint32_t fraction = 0;                 // 16.16 nibbles
    uint32_t delta_n = 0;
    uint32_t step = 0; // 16.16 nibbles per output sample
    int32_t volume = 0;
    int32_t slope = 0;
    uint8_t pan = 3;
    int32_t signal = 0;
    int32_t step_size = 127;
    int32_t target = 0; // interpolation target of the newest nibble
    int32_t previous_target = 0;
    int32_t output = 0;
};

struct Declick {
    int32_t value = 0;
    uint8_t active = 0;
    uint8_t pan = 3;
};

struct SsgState {
    uint8_t regs[16] = {};
    uint8_t address = 0;
    int32_t volume_table[32] = {};
    int32_t tone_period[3] = {2890, 2890, 2890};
    int32_t tone_counter[3] = {2890, 2890, 2890};
    uint8_t tone_output[3] = {};
    int32_t noise_period = 2890;
    int32_t noise_counter = 2890;
    uint32_t noise_shift = 1;
    uint8_t mixer = 0;
    int32_t amplitude[3] = {};
    uint8_t use_envelope[3] = {};
    int32_t envelope_period = 1445;
    int32_t envelope_counter = 1445;
    int32_t envelope_step = 31;
    int32_t envelope_mask = 0; // 31 while rising
    uint8_t envelope_hold = 1;
    uint8_t envelope_alternate = 0;
    uint8_t envelope_ended = 0;
    int32_t envelope_volume = 0;
};

// The sound chip's own record.
struct SoundChipState {
    int32_t initialised = 0;
    int32_t clock = 0;
    int32_t rate = 0;
    const uint8_t* adpcm_a_rom = nullptr;
    const uint8_t* adpcm_b_rom = nullptr;
    uint32_t adpcm_a_length = 0;
    uint32_t adpcm_b_length = 0;
    void (*timer_callback)(int index, int32_t count) = nullptr;
    double timer_unit = 0; // seconds per timer count (144 / clock)

    // Mixing buffers of rate / 60 + 1 samples each (heap blocks).
    int32_t* mix_left = nullptr;
    int32_t* mix_right = nullptr;
    int32_t mix_samples = 0;

    uint8_t address_a = 0, address_b = 0;
    int32_t timer_a_value = 0, timer_b_value = 0;
    uint8_t timer_mode = 0;
    uint8_t status_a = 0;
    uint8_t interrupt_mask = 3;
    uint8_t interrupt_raised = 0;
    int32_t timer_a_running = 0, timer_b_running = 0;
    uint8_t status_b = 0;
    uint8_t status_b_mask = 0xBF;

    FmChannel fm[FM_CHANNELS];
    uint8_t special_latch[3] = {}; // channel 3's extra frequency latches (slots 0-2)
    int32_t special_fc[3] = {};
    int32_t special_key_code[3] = {};

    uint8_t adpcm_a_regs[0x30] = {};
    int32_t adpcm_a_master = 0;
    AdpcmAChannel adpcm_a[ADPCM_A_CHANNELS];
    uint8_t adpcm_b_regs[0x20] = {};
    AdpcmBChannel adpcm_b;
    Declick declick[DECLICK_CHANNELS];

    SsgState ssg;
    FmTables tables;

    // Test hook: sections whose output is dropped from the mix (SECTION_MUTE_* bits). A muted
    // section still runs, so the chip's state and the sound CPU's view of it stay the same.
    uint8_t section_mute = 0;
};

// The sound CPU calls the slicer makes; null means the Z80 core itself. Tests put a scripted core
// here to drive the slicing cycle by cycle.
struct SoundCpuCalls {
    uint32_t (*run)(int32_t cycles);
    int32_t (*elapsed)(int clear);
    void (*release_slice)();
    int (*interrupt)(int data);
    void (*set_irq_line)(int level);
};

struct SoundEvent {
    int32_t time = 0;
    uint32_t handle = 0;
    int32_t argument = 0;
    void (*routine)(int32_t argument) = nullptr;
};

struct SoundTiming {
    int32_t cpu_rate = 0;         // set at the machine reset when sound is on
    double seconds_per_cycle = 0; // its reciprocal
    int32_t cycles_per_frame = 0;
    int32_t sound_time = 0; // sound CPU cycles run in the current frame

    SoundEvent events[EVENT_QUEUE_SIZE]; // sorted by time, first `event_count` in use
    int32_t event_count = 0;
    uint32_t next_handle = 1;
    uint32_t timer_event[2] = {}; // pending event handle of timer A and B, 0 when none
    int32_t slice_end = 0;        // length of the current run, counted from run_start
    int32_t run_start = 0;        // sound time when the current run began
    uint8_t in_run = 0;           // 1 while sound_cpu_run executes
    uint8_t event_inserted = 0;
    uint8_t failed = 0;          // the sound CPU stopped on an opcode it does not know
    int64_t emulated_cycles = 0; // sound CPU cycles of whole frames within the current second
    int64_t emulated_seconds = 0;
    const SoundCpuCalls* cpu = nullptr;
};

// The ring of eight one-frame blocks that the sound chip renders into and the audio stream sends.
struct AudioRing {
    uint8_t* ring = nullptr; // RING_BLOCKS blocks of block_samples frames, plus 4 spare bytes
    uint32_t ring_bytes = 0;
    int32_t bits = 8;     // 8 or 16
    int32_t channels = 1; // 1 or 2
    int32_t stereo = 0;
    int32_t device_rate = 22050;
    int32_t ring_rate = 22050;
    int32_t block_samples = 367;
    int32_t render_block = 0;
    int32_t rendered = 0;
    int32_t send_block = 1;
};
