// Speed of the main CPU core on a fixed program mix: moves, ALU, branches, memory through the
// board's handler tables, MOVEM, MULU/DIVU and a shift, in a loop, run in frame-sized slices.
// Reports emulated instructions and cycles per second. Goal: 150 M instructions per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "board/board.h"
#include "cpu68k/cpu68k.h"
#include "machine.h"

namespace {

// Every loop below runs 20 instructions per turn: its body, then ADDQ.L #1,D5 (D5 counts the
// turns) and DBRA D7 back to the body (the BRA after it is reached once every 65536 turns).
constexpr int instructions_per_turn = 20;

// The program mix; the NOP is always branched over.
const std::vector<uint16_t> program_mix = {
    0x303C, 0x1234, // MOVE.W #$1234,D0
    0x2200,         // MOVE.L D0,D1
    0xD041,         // ADD.W D1,D0
    0x9282,         // SUB.L D2,D1
    0x0240, 0x0FFF, // ANDI.W #$0FFF,D0
    0xB182,         // EOR.L D0,D2
    0x30C0,         // MOVE.W D0,(A0)+
    0x2610,         // MOVE.L (A0),D3
    0xD860,         // ADD.W -(A0),D4
    0xB040,         // CMP.W D0,D0
    0x6702,         // BEQ.S +2 (always taken)
    0x4E71,         // NOP (skipped)
    0x48D0, 0x000F, // MOVEM.L D0-D3,(A0)
    0x4CD0, 0x000F, // MOVEM.L (A0),D0-D3
    0xC2C0,         // MULU D0,D1
    0x3C3C, 0x0007, // MOVE.W #7,D6
    0x82C6,         // DIVU D6,D1
    0xE58A,         // LSL.L #2,D2
    0x4A83,         // TST.L D3
};

// Eighteen NOPs: what every instruction costs before it does anything (charge and test the
// cycles, check the fetch bound, fetch the next opcode and jump to its routine).
const std::vector<uint16_t> nop_loop(18, 0x4E71);

// The program runs from the program ROM and works in work RAM through the board's own memory
// map, so its data accesses take the handlers the game's do.
void build_machine(const std::vector<uint16_t>& body) {
    std::memset(machine.roms.program_rom, 0, sizeof machine.roms.program_rom);
    machine.roms.program_rom_size = 0x10000;
    fill_handler_tables();

    std::vector<uint16_t> words = {
        0x0010, 0xFFF0, 0x0000, 0x0400, // vectors: SSP 0x10FFF0, PC 0x400
    };
    std::vector<uint16_t> program = {
        0x41F9, 0x0010, 0x0100, // LEA $100100,A0
        0x7E00,                 // MOVEQ #0,D7
    };
    program.insert(program.end(), body.begin(), body.end()); // loop:
    program.insert(program.end(), {
                                      0x5285,         // ADDQ.L #1,D5
                                      0x51CF, 0x0000, // DBRA D7,loop (patched below)
                                      0x6000,         // BRA.S loop (patched below)
                                  });
    auto put = [](uint32_t address, uint16_t w) { std::memcpy(&machine.roms.program_rom[address], &w, 2); };
    for (size_t i = 0; i < words.size(); ++i) put(static_cast<uint32_t>(2 * i), words[i]);
    constexpr uint32_t start = 0x400, loop = start + 8;
    uint32_t address = start;
    for (uint16_t w : program) {
        put(address, w);
        address += 2;
    }
    uint32_t dbra = address - 6, bra = address - 2;
    put(dbra + 2, static_cast<uint16_t>(loop - (dbra + 2)));
    put(bra, static_cast<uint16_t>(0x6000 | ((loop - (bra + 2)) & 0xFF)));
    main_cpu_reset();
}

void run_slices(benchmark::State& state, const std::vector<uint16_t>& body) {
    build_machine(body);
    uint32_t turns_before = machine.main_cpu.regs[5];
    int64_t cycles = 0;
    for (auto _ : state) {
        main_cpu_run(208333);
        cycles += 208333;
    }
    uint32_t turns = machine.main_cpu.regs[5] - turns_before;
    double instructions = static_cast<double>(turns) * instructions_per_turn;
    state.counters["instructions_per_second"] = benchmark::Counter(instructions, benchmark::Counter::kIsRate);
    state.counters["cycles_per_second"] = benchmark::Counter(static_cast<double>(cycles), benchmark::Counter::kIsRate);
    // Per slice, so that it matches one call of main_cpu_run however many iterations ran.
    state.counters["emulated_instructions"] = benchmark::Counter(instructions, benchmark::Counter::kAvgIterations);
}

void BM_MainCpuProgramMix(benchmark::State& state) { run_slices(state, program_mix); }
BENCHMARK(BM_MainCpuProgramMix)->Unit(benchmark::kMillisecond);

void BM_MainCpuNopLoop(benchmark::State& state) { run_slices(state, nop_loop); }
BENCHMARK(BM_MainCpuNopLoop)->Unit(benchmark::kMillisecond);

} // namespace
