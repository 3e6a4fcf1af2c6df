// A fixture with the sound chip initialised at 8 MHz / 22050 Hz over a test sample ROM, with
// register helpers and rendering into plain sample vectors.
#pragma once
#include <cstdint>
#include <vector>

#include "host/flags.h"
#include "machine.h"
#include "sound/sound.h"
#include "support/machine_fixture.h"

inline constexpr int32_t CHIP_CLOCK = 8'000'000;
inline constexpr int32_t OUTPUT_RATE = 22050;

// Register writes through the chip's ports: first pair (ports 0/1) and second pair (2/3).
void write_first(int reg, uint8_t value);
void write_second(int reg, uint8_t value);

class SoundChipTest : public MachineTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Initialises the chip over `rom` (both ADPCM kinds read it).
    void start_chip();

    // Renders `count` samples in the given format with the given section flags.
    static std::vector<int16_t> render16(int32_t count, int32_t channels = 2,
                                         uint32_t flags = AF_FM_SSG | AF_ADPCM);
    static std::vector<uint8_t> render8(int32_t count, int32_t channels = 2,
                                        uint32_t flags = AF_FM_SSG | AF_ADPCM);
    // One lane (0 left, 1 right) of interleaved stereo.
    static std::vector<int16_t> lane(const std::vector<int16_t>& stereo, int which);

    std::vector<uint8_t> rom = std::vector<uint8_t>(0x10000, 0x08); // nibble 0/8 pairs: near silence
};

// A scripted stand-in for the sound CPU: it executes instructions of a fixed length and performs
// port writes at given cycles of the frame, keeping the core's counters the way the core does.
struct ScriptedCore {
    struct Action {
        int32_t cycle;
        void (*perform)();
    };
    int32_t instruction = 4;
    int32_t budget = 0, cycles_left = 0, cut_off = 0;
    std::vector<Action> actions;
    size_t next_action = 0;
    uint32_t result = 0x80000000u;
    bool set_ei_pending = false;
    bool halted = false;             // runs execute nothing and report 0 cycles
    std::vector<int32_t> runs;       // length asked for by each run
    int64_t frame_base = 0;          // cycles of the frames before the current one
    uint8_t acknowledge_mode = 0;    // non-zero: written to 0x27 as soon as the line rises
    std::vector<int64_t> irq_raised; // cycle (frame_base + frame cycle) of each set_irq_line(1)
    std::vector<int64_t> irq_lowered;
    int interrupts = 0;
};

extern ScriptedCore scripted;
// Installs the scripted core as the sound CPU (the fixture removes it again).
void use_scripted_core();
// Frame cycle the scripted core has reached.
int32_t scripted_now();
// Runs whole frames as the frame driver does (run, then sound time back by one frame).
void run_frames(int count);

// Measured frequency of a signal by its rising zero crossings around its mean (interpolated).
double measured_frequency(const std::vector<int16_t>& samples, double rate);
