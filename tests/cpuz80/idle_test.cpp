// The idle opcodes ED 00 - ED 0B: where each one continues, when it ends the run, and what it
// charges. Memory outside the code is HALT, so a run that goes on stops one instruction later.
#include <gtest/gtest.h>

#include <utility>

#include "z80_fixture.h"

namespace {

struct IdleCase {
    const char* name;
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> code; // the run starts at 0x0100
    uint8_t a;
    uint8_t f;
    uint16_t pc; // where the idle opcode leaves the PC
    bool ends;   // the run ended there (elapsed = the whole budget); else the HALT at pc ran
    int cost;    // T-states up to and including the idle opcode, when it does not end the run
};

constexpr uint8_t Z = 0x40;

class IdleOpcodeTest : public Z80Test, public ::testing::WithParamInterface<IdleCase> {};

TEST_P(IdleOpcodeTest, JumpsEndsAndCharges) {
    const IdleCase& c = GetParam();
    std::fill(memory_.begin(), memory_.begin() + 0x10000, 0x76);
    for (const auto& [address, bytes] : c.code)
        for (size_t i = 0; i < bytes.size(); ++i) memory_[address + i] = bytes[i];
    poke(0x7FFE, {0x5C, 0x01}); // return address 0x015C on the stack
    ctx().sp = 0x7FFE;
    ctx().pc = 0x0100;
    ctx().af = static_cast<uint16_t>(c.a << 8 | c.f);
    constexpr int budget = 100;
    EXPECT_EQ(sound_cpu_run(budget), SOUND_CPU_RUN_OK);
    if (c.ends) {
        EXPECT_EQ(ctx().pc, c.pc);
        EXPECT_EQ(ctx().halted, 0u);
        EXPECT_EQ(sound_cpu_elapsed(0), budget);
    } else {
        EXPECT_EQ(ctx().pc, c.pc + 1) << "the HALT at the target ran";
        EXPECT_NE(ctx().halted, 0u);
        EXPECT_EQ(sound_cpu_elapsed(0), c.cost + 4);
    }
}

const std::vector<uint8_t> CP_A = {0xBF};

INSTANTIATE_TEST_SUITE_P(
    Opcodes, IdleOpcodeTest,
    ::testing::Values(
        IdleCase{"ED00_ZeroLoopsBack", {{0x100, {0xED, 0x00}}}, 0, Z, 0x102 - 32, false, 7},
        IdleCase{"ED00_NotZeroContinues", {{0x100, {0xED, 0x00}}}, 0, 0, 0x102, false, 7},
        IdleCase{"ED00_StateEndsRun", {{0x100, {0xED, 0x01, 0xBF, 0xED, 0x00}}}, 0xFF, 0, 0x105 - 32, true, 0},
        IdleCase{"ED01_MasksIntoState", {{0x100, {0xED, 0x01}}}, 0xFF, 0, 0x102, false, 7},
        IdleCase{"ED02_ZeroEndsAtOnce", {{0x100, {0xED, 0x02}}}, 0, Z, 0x102 - 11, true, 0},
        IdleCase{"ED02_NotZeroContinues", {{0x100, {0xED, 0x02}}}, 0, 0, 0x102, false, 7},
        IdleCase{"ED03_EightContinues", {{0x100, {0xED, 0x03, 0x99}}}, 8, 0, 0x103, false, 7},
        IdleCase{"ED03_OtherEnds", {{0x100, {0xED, 0x03, 0x99}}}, 5, 0, 0x103, true, 0},
        IdleCase{"ED04_ZeroReturnsAndEnds", {{0x100, {0xED, 0x04}}}, 0, 0, 0x015C, true, 0},
        IdleCase{"ED04_NonZeroContinues", {{0x100, {0xED, 0x04}}}, 1, Z, 0x102, false, 9},
        IdleCase{"ED05_NotZeroSkipsByte", {{0x100, {0xED, 0x05}}}, 0, 0, 0x103, false, 12},
        IdleCase{"ED05_ZeroWithMarkerEnds", {{0x100, {0xED, 0x05}}}, 0, Z, 0x102, true, 0},
        IdleCase{"ED06_ZeroEnds", {{0x100, {0xED, 0x06}}}, 0, Z, 0x102 - 10, true, 0},
        IdleCase{"ED07_ZeroJumpsAbsolute", {{0x100, {0xED, 0x07, 0x00}}}, 0, Z, 0x1E5B, true, 0},
        IdleCase{"ED07_NotZeroContinues", {{0x100, {0xED, 0x07, 0x00}}}, 0, 0, 0x103, false, 10},
        IdleCase{"ED08_ZeroEnds", {{0x100, {0xED, 0x08}}}, 0, Z, 0x102 - 6, true, 0},
        IdleCase{"ED09_ZeroEnds", {{0x100, {0xED, 0x09}}}, 0, Z, 0x102 - 27, true, 0},
        IdleCase{"ED0A_NotZeroJumps", {{0x100, {0xED, 0x0A}}}, 0, 0, 0x102 + 25, false, 12},
        IdleCase{"ED0A_ZeroContinues", {{0x100, {0xED, 0x0A}}}, 0, Z, 0x102, false, 7},
        IdleCase{"ED0B_NotZeroJumps", {{0x100, {0xED, 0x0B}}}, 0, 0, 0x102 + 26, false, 12},
        // ED 0A taken leaves state bit 0 set, so a later ED 09 with Z set goes on.
        IdleCase{"ED0A_ThenED09Continues", {{0x100, {0xED, 0x0A}}, {0x11B, {0xBF, 0xED, 0x09}}}, 0, 0, 0x11E,
                 false, 12 + 4 + 7}),
    [](const auto& info) { return info.param.name; });

TEST_F(Z80Test, Ed05WithoutMarkerContinues) {
    std::fill(memory_.begin(), memory_.begin() + 0x10000, 0x76);
    poke(0x100, {0xED, 0x05});
    poke(0x7FFE, {0x00, 0x02});
    ctx().sp = 0x7FFE;
    ctx().pc = 0x100;
    ctx().af = Z;
    sound_cpu_run(100);
    EXPECT_EQ(ctx().pc, 0x103);
    EXPECT_EQ(sound_cpu_elapsed(0), 11);
}

TEST_F(Z80Test, Ed01SetsFlagsAsAnd) {
    poke(0, {0xED, 0x01, 0x76});
    ctx().af = 0xE0FF;
    sound_cpu_run(100);
    EXPECT_EQ(ctx().af, 0x0054) << "zero result: Z, H, P set; S, N, C clear";
    EXPECT_EQ(cpu().idle_state, 0);
}

} // namespace
