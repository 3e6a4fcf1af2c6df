// Throughput of the sound CPU core on a fixed program mix: loads and stores through the bank map,
// 8-bit arithmetic, an indexed read, stack traffic, DJNZ, CALL, a CB form and RET. Goal: at least
// 150 million emulated instructions per second on one core.
#include <benchmark/benchmark.h>

#include <vector>

#include "cpuz80/cpuz80.h"
#include "machine.h"

namespace {

// One pass of the outer loop: 166 instructions and 1,411 T-states.
constexpr double INSTRUCTIONS_PER_PASS = 166;
constexpr double T_STATES_PER_PASS = 1411;

const uint8_t PROGRAM[] = {
    0x06, 0x10,             // 0000 LD B,16
    0x7E,                   // 0002 LD A,(HL)
    0x81,                   //      ADD A,C
    0x12,                   //      LD (DE),A
    0x23,                   //      INC HL
    0x1C,                   //      INC E
    0xDD, 0x4E, 0x01,       //      LD C,(IX+1)
    0xA8,                   //      XOR B
    0xF5,                   //      PUSH AF
    0xF1,                   //      POP AF
    0x10, 0xF3,             // 000D DJNZ 0002
    0xCD, 0x15, 0x00,       // 000F CALL 0015
    0xC3, 0x00, 0x00,       // 0012 JP 0000
    0x07,                   // 0015 RLCA
    0xCB, 0xC1,             //      SET 0,C
    0xC9,                   //      RET
};

void BM_SoundCpuProgramMix(benchmark::State& state) {
    machine_reset_state();
    std::vector<uint8_t> memory(0x20000, 0);
    std::copy(std::begin(PROGRAM), std::end(PROGRAM), memory.begin());
    SoundCpuContext context{};
    context.memory = memory.data();
    sound_cpu_set_context(&context);
    sound_cpu_reset();
    machine.sound_cpu.context.sp = 0xF000;
    machine.sound_cpu.context.de = 0x8000;
    machine.sound_cpu.context.ix = 0x4000;
    // Check the pass constants by stepping one pass an instruction at a time (a budget of 1 runs one).
    int instructions = 0, pass_t_states = 0;
    do {
        sound_cpu_run(1);
        pass_t_states += sound_cpu_elapsed(1);
        ++instructions;
    } while (machine.sound_cpu.context.pc != 0);
    if (instructions != INSTRUCTIONS_PER_PASS || pass_t_states != T_STATES_PER_PASS) {
        state.SkipWithError("the program mix no longer matches its pass constants");
        return;
    }
    int64_t t_states = 0;
    for (auto _ : state) {
        sound_cpu_run(70'000); // about one frame's slice
        t_states += sound_cpu_elapsed(1);
    }
    double passes = static_cast<double>(t_states) / T_STATES_PER_PASS;
    state.counters["instructions/s"] = benchmark::Counter(passes * INSTRUCTIONS_PER_PASS, benchmark::Counter::kIsRate);
    state.counters["T-states/s"] = benchmark::Counter(static_cast<double>(t_states), benchmark::Counter::kIsRate);
    // Every instruction sound_cpu_run ran, the checking pass included (bench/callgrind.sh divides
    // the run's host instructions by it).
    state.counters["emulated_instructions"] = passes * INSTRUCTIONS_PER_PASS + instructions;
}
BENCHMARK(BM_SoundCpuProgramMix);

} // namespace
