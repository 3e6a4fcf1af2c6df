// The sound CPU's run, budget, interrupt and port contracts, and the behaviours that are this
// system's own: block instructions completing in one execution, the idle opcodes, LD A,R's
// pseudo-random R and the unknown-opcode stop.
#include <gtest/gtest.h>

#include "z80_fixture.h"

namespace {

using CoreTest = Z80Test;

TEST_F(CoreTest, HaltedCpuExecutesNothingAndReportsNoTime) {
    poke(0, {0x76, 0x00});
    EXPECT_EQ(sound_cpu_run(1000), SOUND_CPU_RUN_OK);
    EXPECT_EQ(sound_cpu_elapsed(0), 4);
    EXPECT_EQ(ctx().pc, 1);
    EXPECT_NE(ctx().halted, 0u);
    EXPECT_EQ(sound_cpu_run(1000), SOUND_CPU_RUN_OK);
    EXPECT_EQ(sound_cpu_elapsed(0), 0);
    EXPECT_EQ(ctx().pc, 1);
    // An interrupt wakes it.
    cpu().iff1 = 1;
    ctx().sp = 0x8000;
    EXPECT_EQ(sound_cpu_interrupt(0), 0);
    EXPECT_EQ(ctx().halted, 0u);
    EXPECT_EQ(ctx().pc, 0x38);
    EXPECT_EQ(peek(0x7FFE), 1);
}

TEST_F(CoreTest, FirstInstructionRunsEvenWithoutBudget) {
    cpu().cycles_left = -10; // overshoot carried over from an earlier run
    EXPECT_EQ(sound_cpu_run(5), SOUND_CPU_RUN_OK);
    EXPECT_EQ(ctx().pc, 1);
    EXPECT_EQ(sound_cpu_elapsed(0), 4);
    EXPECT_EQ(cpu().cycles_left, -9);
}

TEST_F(CoreTest, BudgetCarriesOvershootIntoNextRun) {
    poke(0, {0x21, 0x00, 0x00, 0x21, 0x00, 0x00}); // LD HL,nn twice: 10 each, then NOPs
    sound_cpu_run(15);
    EXPECT_EQ(sound_cpu_elapsed(0), 20);
    EXPECT_EQ(cpu().cycles_left, -5);
    sound_cpu_run(8); // 3 left after the overshoot: one NOP
    EXPECT_EQ(sound_cpu_elapsed(0), 4);
    EXPECT_EQ(ctx().pc, 7);
    sound_cpu_elapsed(1);
    EXPECT_EQ(cpu().cycles_left, 0) << "clearing zeroes the counters";
    sound_cpu_run(8);
    EXPECT_EQ(sound_cpu_elapsed(0), 8);
}

TEST_F(CoreTest, EiWithRaisedLineRunsOneMoreInstruction) {
    poke(0, {0xFB, 0x00, 0x00, 0x00});
    ctx().sp = 0x8000;
    sound_cpu_set_irq_line(1); // interrupts disabled: only recorded
    EXPECT_EQ(ctx().pc, 0);
    EXPECT_EQ(sound_cpu_run(1000), SOUND_CPU_RUN_OK);
    EXPECT_EQ(cpu().ei_pending, 1);
    EXPECT_EQ(sound_cpu_elapsed(0), 8);
    EXPECT_EQ(ctx().pc, 2);
    EXPECT_EQ(sound_cpu_interrupt(0), 0);
    EXPECT_EQ(ctx().pc, 0x38);
    EXPECT_EQ(cpu().interrupt_accepted, 1u);
    EXPECT_EQ(cpu().iff1, 0);
}

TEST_F(CoreTest, EiWithLowLineKeepsRunning) {
    poke(0, {0xFB, 0x00, 0x00, 0x76});
    sound_cpu_run(1000);
    EXPECT_EQ(cpu().ei_pending, 0);
    EXPECT_EQ(ctx().pc, 4);
    EXPECT_EQ(cpu().iff1, 1);
    EXPECT_EQ(cpu().iff2, 1);
}

TEST_F(CoreTest, IrqLineAcceptsAndChargesWhenEnabled) {
    cpu().iff1 = cpu().iff2 = 1;
    ctx().sp = 0x8000;
    ctx().pc = 0x1234;
    cpu().cycles_left = 100;
    sound_cpu_set_irq_line(1);
    EXPECT_EQ(cpu().cycles_left, 87);
    EXPECT_EQ(ctx().pc, 0x38);
    EXPECT_EQ(peek(0x7FFE), 0x34);
    EXPECT_EQ(peek(0x7FFF), 0x12);
    EXPECT_EQ(cpu().iff1, 0);
    EXPECT_EQ(sound_cpu_interrupt(0), 1) << "now disabled";
}

TEST_F(CoreTest, ModeTwoReadsVectorFromTable) {
    poke(0x2010, {0xCD, 0xAB});
    ctx().interrupt_mode = 2;
    ctx().i = 0x20;
    ctx().sp = 0x8000;
    cpu().iff1 = 1;
    EXPECT_EQ(sound_cpu_interrupt(0x10), 0);
    EXPECT_EQ(ctx().pc, 0xABCD);
}

TEST_F(CoreTest, NmiSavesIff1InIff2) {
    cpu().iff1 = cpu().iff2 = 1;
    ctx().sp = 0x8000;
    ctx().pc = 0x0100;
    EXPECT_EQ(sound_cpu_nmi(), 0);
    EXPECT_EQ(ctx().pc, 0x66);
    EXPECT_EQ(cpu().iff1, 0);
    EXPECT_EQ(cpu().iff2, 1);
    // RETN restores IFF1 from IFF2.
    poke(0x66, {0xED, 0x45, 0x76});
    sound_cpu_run(14);
    EXPECT_EQ(ctx().pc, 0x0100);
    EXPECT_EQ(cpu().iff1, 1);
}

TEST_F(CoreTest, NestedNmiKeepsInterruptsEnabledAfterBothReturns) {
    cpu().iff1 = cpu().iff2 = 1;
    ctx().sp = 0x8000;
    ctx().pc = 0x0100;
    poke(0x0100, {0x00, 0x76});
    poke(0x66, {0xED, 0x45});
    sound_cpu_nmi();
    sound_cpu_nmi(); // the second command's NMI arrives before the handler ran an instruction
    EXPECT_EQ(cpu().iff1, 0);
    EXPECT_EQ(cpu().iff2, 1);
    sound_cpu_run(14); // inner RETN
    EXPECT_EQ(ctx().pc, 0x66);
    EXPECT_EQ(cpu().iff1, 1);
    sound_cpu_run(14); // outer RETN
    EXPECT_EQ(ctx().pc, 0x0100);
    EXPECT_EQ(cpu().iff1, 1);
    EXPECT_EQ(cpu().iff2, 1);
}

TEST_F(CoreTest, RetnTakesPendingInterruptAtOnce) {
    poke(0x0200, {0xED, 0x45});
    poke(0x7FFE, {0x00, 0x30});
    ctx().pc = 0x0200;
    ctx().sp = 0x7FFE;
    cpu().iff2 = 1;
    sound_cpu_set_irq_line(1);
    sound_cpu_run(1);
    EXPECT_EQ(sound_cpu_elapsed(0), 14 + 13);
    EXPECT_EQ(ctx().pc, 0x38);
    EXPECT_EQ(ctx().sp, 0x7FFE);
    EXPECT_EQ(peek(0x7FFE), 0x00);
    EXPECT_EQ(peek(0x7FFF), 0x30) << "the return address of the RETN is pushed";
}

TEST_F(CoreTest, InOfImmediatePortUsesAccumulatorAsHighByte) {
    poke(0, {0x3E, 0x12, 0xDB, 0x04});
    port_log.read_values = {0x5A};
    sound_cpu_run(18);
    ASSERT_EQ(port_log.accesses.size(), 1u);
    EXPECT_EQ(port_log.accesses[0], (PortAccess{0x1204, 0x5A, 'r'}));
    EXPECT_EQ(ctx().af >> 8, 0x5A);
}

TEST_F(CoreTest, PortsWithoutHandlerReadAllOnesAndIgnoreWrites) {
    ctx().port_read_list = empty_port_list;
    ctx().port_write_list = empty_port_list;
    poke(0, {0x3E, 0x12, 0xD3, 0x04, 0xDB, 0x04});
    sound_cpu_run(29);
    EXPECT_EQ(ctx().af >> 8, 0xFF);
}

// A list is searched in order, the first entry whose range holds the key winning; the (n) forms
// search with n alone.
uint32_t read_first(uint32_t, const PortHandlerEntry*) { return 0x11; }
uint32_t read_second(uint32_t, const PortHandlerEntry*) { return 0x22; }
const PortHandlerEntry two_entries[] = {{0x0004, 0x0007, read_first, nullptr, 0},
                                        {0x0000, 0xFFFE, read_second, nullptr, 0},
                                        {0xFFFF, 0xFFFF, nullptr, nullptr, 0}};

TEST_F(CoreTest, PortSearchUsesFirstMatchingEntryAndKey) {
    ctx().port_read_list = two_entries;
    poke(0, {0x3E, 0x12, 0xDB, 0x05, 0x47, 0x01, 0x05, 0x12, 0xED, 0x78});
    sound_cpu_run(18);
    EXPECT_EQ(ctx().af >> 8, 0x11) << "key 0x05 for IN A,(n)";
    sound_cpu_run(26);
    EXPECT_EQ(ctx().af >> 8, 0x22) << "key BC = 0x1205 for IN A,(C)";
}

// A write routine may change BC, HL and the PC in the context, raise the interrupt line or give
// up the rest of the slice; the run goes on from what it left.
void port_routine_effects(uint32_t port, uint32_t value) {
    SoundCpuState& s = machine.sound_cpu;
    if (value == 1) {
        s.context.bc = 0xBEEF;
        s.context.hl = 0x1234;
        s.context.pc = 0x0300;
    } else if (value == 2) {
        sound_cpu_set_irq_line(1);
    } else if (value == 3) {
        sound_cpu_release_slice();
    }
    (void)port;
}

TEST_F(CoreTest, PortRoutineMayRedirectRegistersAndPc) {
    port_log.on_write = port_routine_effects;
    poke(0, {0x3E, 0x01, 0xD3, 0x00, 0x76});
    poke(0x0300, {0x76});
    sound_cpu_run(1000);
    EXPECT_EQ(ctx().bc, 0xBEEF);
    EXPECT_EQ(ctx().hl, 0x1234);
    EXPECT_EQ(ctx().pc, 0x0301);
}

TEST_F(CoreTest, InterruptRaisedByPortRoutineTakesEffectAtNextInstruction) {
    port_log.on_write = port_routine_effects;
    poke(0, {0x3E, 0x02, 0xD3, 0x00, 0x76});
    poke(0x38, {0x76});
    ctx().sp = 0x8000;
    cpu().iff1 = 1;
    sound_cpu_run(1000);
    EXPECT_EQ(ctx().pc, 0x39);
    EXPECT_EQ(peek(0x7FFE), 0x04) << "return address after the OUT";
    EXPECT_EQ(sound_cpu_elapsed(0), 7 + 11 + 13 + 4);
}

TEST_F(CoreTest, ReleaseSliceStopsRunButCountsWhatRan) {
    port_log.on_write = port_routine_effects;
    poke(0, {0x3E, 0x03, 0xD3, 0x00, 0x00, 0x00});
    EXPECT_EQ(sound_cpu_run(1000), SOUND_CPU_RUN_OK);
    EXPECT_EQ(ctx().pc, 4);
    EXPECT_EQ(sound_cpu_elapsed(0), 18);
}

TEST_F(CoreTest, BankedReadsAndFlatWrites) {
    cpu().bank_slot[0x9000] = 4; // slot 1
    cpu().bank_offset[1] = 0x10000;
    memory_[0x19000] = 0xA5;
    poke(0, {0x3E, 0x55, 0x32, 0x00, 0x90, 0x3A, 0x00, 0x90, 0x76});
    sound_cpu_run(1000);
    EXPECT_EQ(peek(0x9000), 0x55) << "writes go to the flat image";
    EXPECT_EQ(ctx().af >> 8, 0xA5) << "reads go through the bank";
}

TEST_F(CoreTest, FetchOffsetFollowsAbsoluteJumpsOnly) {
    for (uint32_t a = 0x8000; a < 0xC000; ++a) cpu().bank_slot[a] = 4;
    cpu().bank_offset[1] = 0x10000;
    poke(0, {0xC3, 0x00, 0x80});  // JP 0x8000: fetches come from the bank
    memory_[0x18000] = 0x18;     // JR -3 to 0x7FFF keeps the bank's fetch offset
    memory_[0x18001] = 0xFD;
    memory_[0x17FFF] = 0x76;     // HALT as seen through the bank
    poke(0x7FFF, {0x3C});        // INC A in the flat image: not reached
    sound_cpu_run(1000);
    EXPECT_NE(ctx().halted, 0u);
    EXPECT_EQ(ctx().pc, 0x8000);
    EXPECT_EQ(ctx().af >> 8, 0);
}

TEST_F(CoreTest, LdirResumesAcrossRuns) {
    poke(0, {0x21, 0x00, 0x10, 0x11, 0x00, 0x20, 0x01, 0x03, 0x00}); // HL, DE, BC: 30 T-states
    poke(9, {0xED, 0xB0, 0x76});
    poke(0x1000, {1, 2, 3});
    sound_cpu_run(30);
    sound_cpu_elapsed(1);
    sound_cpu_run(30);
    EXPECT_EQ(sound_cpu_elapsed(1), 42);
    EXPECT_EQ(ctx().bc, 1);
    EXPECT_EQ(ctx().pc, 9);
    EXPECT_EQ(peek(0x2000), 1);
    EXPECT_EQ(peek(0x2001), 2);
    EXPECT_EQ(peek(0x2002), 0);
    sound_cpu_run(1);
    EXPECT_EQ(sound_cpu_elapsed(0), 16);
    EXPECT_EQ(peek(0x2002), 3);
    EXPECT_EQ(ctx().bc, 0);
    EXPECT_EQ(ctx().hl, 0x1003);
    EXPECT_EQ(ctx().de, 0x2003);
    EXPECT_EQ(ctx().pc, 11);
    EXPECT_EQ(ctx().af & 0x16, 0) << "H, N and P/V cleared";
}

TEST_F(CoreTest, LddrStartTestMovesNothingWhenBudgetIsShort) {
    ctx().hl = 0x1002;
    ctx().de = 0x2002;
    ctx().bc = 3;
    poke(0, {0xED, 0xB8});
    poke(0x1000, {7, 8, 9});
    cpu().cycles_left = -5;
    sound_cpu_run(10);
    EXPECT_EQ(sound_cpu_elapsed(1), 21);
    EXPECT_EQ(ctx().pc, 0);
    EXPECT_EQ(ctx().bc, 3);
    sound_cpu_run(21);
    EXPECT_EQ(sound_cpu_elapsed(0), 21 + 21 * 3);
    EXPECT_EQ(peek(0x2000), 7);
    EXPECT_EQ(peek(0x2002), 9);
    EXPECT_EQ(ctx().bc, 0);
    EXPECT_EQ(ctx().pc, 2);
}

TEST_F(CoreTest, CpirStopsAtMatch) {
    ctx().af = 0x3300;
    ctx().hl = 0x1000;
    ctx().bc = 10;
    poke(0x1000, {0x11, 0x22, 0x33, 0x44});
    poke(0, {0xED, 0xB1});
    sound_cpu_run(1);
    EXPECT_EQ(sound_cpu_elapsed(0), 63);
    EXPECT_EQ(ctx().hl, 0x1003);
    EXPECT_EQ(ctx().bc, 7);
    EXPECT_EQ(ctx().af & 0xC7, 0x40 | 0x04 | 0x02) << "Z, P/V (BC != 0), N";
}

TEST_F(CoreTest, OtirSendsAllBytesForSixteen) {
    ctx().bc = 200 << 8 | 0x06;
    ctx().hl = 0x1000;
    for (int i = 0; i < 200; ++i) memory_[0x1000 + i] = static_cast<uint8_t>(i);
    poke(0, {0xED, 0xB3});
    sound_cpu_run(1);
    EXPECT_EQ(sound_cpu_elapsed(0), 16);
    ASSERT_EQ(port_log.accesses.size(), 200u);
    EXPECT_EQ(port_log.accesses[0], (PortAccess{0x0006, 0, 'w'}));
    EXPECT_EQ(port_log.accesses[199], (PortAccess{0x0006, 199, 'w'}));
    EXPECT_EQ(ctx().bc >> 8, 0);
    EXPECT_EQ(ctx().hl, 0x1000 + 200);
    EXPECT_NE(ctx().af & 0x40, 0) << "Z set at the end";
}

TEST_F(CoreTest, InirReadsAllBytesForTwentyOne) {
    ctx().bc = 3 << 8 | 0x40;
    ctx().hl = 0x1000;
    port_log.read_values = {9, 8, 7};
    poke(0, {0xED, 0xB2});
    sound_cpu_run(1);
    EXPECT_EQ(sound_cpu_elapsed(0), 21);
    EXPECT_EQ(peek(0x1002), 7);
    EXPECT_EQ(port_log.accesses[2].port, 0x0040);
}

TEST_F(CoreTest, LdAFromRIsPseudoRandom) {
    ctx().r = 0x10;
    ctx().hl = 0x0005;
    ctx().bc = 0x0300;
    poke(0, {0xED, 0x5F, 0x47, 0xED, 0x5F});
    sound_cpu_run(9);
    EXPECT_EQ(ctx().af >> 8, 0x10);
    EXPECT_EQ(ctx().r, ((0x10 + 5 + 3 + 1) & 0xFF) ^ 0x10);
    sound_cpu_run(13);
    EXPECT_NE(ctx().af >> 8, 0x10);
    EXPECT_EQ(ctx().af >> 8, ((0x10 + 5 + 3 + 1) & 0xFF) ^ 0x10);
}

TEST_F(CoreTest, AddSetsOverflowHalfCarryAndSign) {
    poke(0, {0x3E, 0x7F, 0x06, 0x01, 0x80});
    sound_cpu_run(18);
    EXPECT_EQ(ctx().af, 0x8094); // S, H, P/V; N = C = 0
}

struct StopCase {
    const char* name;
    std::vector<uint8_t> code; // placed at 0x0100
    uint32_t position;         // expected return
};
class UnknownOpcodeTest : public Z80Test, public ::testing::WithParamInterface<StopCase> {};

TEST_P(UnknownOpcodeTest, StopsAtPrefixWithoutCharging) {
    const StopCase& c = GetParam();
    ctx().pc = 0x00FF;
    poke(0x00FF, {0x00});
    for (size_t i = 0; i < c.code.size(); ++i) memory_[0x100 + i] = c.code[i];
    EXPECT_EQ(sound_cpu_run(1000), c.position);
    EXPECT_EQ(sound_cpu_elapsed(0), 4) << "only the NOP before it";
    EXPECT_EQ(ctx().pc, c.position);
}
INSTANTIATE_TEST_SUITE_P(Forms, UnknownOpcodeTest,
                         ::testing::Values(StopCase{"DD00", {0xDD, 0x00}, 0x100},
                                           StopCase{"FD_LD_A_n", {0xFD, 0x3E, 0x01}, 0x100},
                                           StopCase{"DD_DD", {0xDD, 0xDD, 0x21}, 0x100},
                                           StopCase{"ED80", {0xED, 0x80}, 0x100},
                                           StopCase{"EDFF", {0xED, 0xFF}, 0x100}),
                         [](const auto& info) { return info.param.name; });

TEST_F(CoreTest, UnknownOpcodeReportsPositionWithFetchOffset) {
    for (uint32_t a = 0x8000; a < 0xC000; ++a) cpu().bank_slot[a] = 4;
    cpu().bank_offset[1] = 0x10000;
    poke(0, {0xC3, 0x10, 0x80});
    memory_[0x18010] = 0xDD;
    memory_[0x18011] = 0x00;
    EXPECT_EQ(sound_cpu_run(1000), 0x18010u);
    EXPECT_EQ(ctx().pc, 0x8010);
}

// Costs of representative instructions, prefixes included.
struct CostCase {
    const char* name;
    std::vector<uint8_t> code;
    uint8_t flags; // F before the instruction
    int cost;
};
class CostTest : public Z80Test, public ::testing::WithParamInterface<CostCase> {};

TEST_P(CostTest, ChargesPublishedTStates) {
    const CostCase& c = GetParam();
    for (size_t i = 0; i < c.code.size(); ++i) memory_[0x100 + i] = c.code[i];
    ctx().pc = 0x100;
    ctx().sp = 0x8000;
    ctx().af = c.flags;
    ctx().bc = 0x0201;
    sound_cpu_run(1);
    EXPECT_EQ(sound_cpu_elapsed(0), c.cost);
}
INSTANTIATE_TEST_SUITE_P(
    Instructions, CostTest,
    ::testing::Values(CostCase{"LD_A_IXd", {0xDD, 0x7E, 0x01}, 0, 19}, CostCase{"SET_IXd", {0xDD, 0xCB, 1, 0xC6}, 0, 23},
                      CostCase{"BIT_IYd", {0xFD, 0xCB, 1, 0x46}, 0, 20}, CostCase{"EX_SP_IX", {0xDD, 0xE3}, 0, 23},
                      CostCase{"LD_nn_BC", {0xED, 0x43, 0, 0x10}, 0, 20}, CostCase{"IN_A_n", {0xDB, 0x01}, 0, 11},
                      CostCase{"IN_B_C", {0xED, 0x40}, 0, 12}, CostCase{"JR_NZ_taken", {0x20, 0x05}, 0, 12},
                      CostCase{"JR_NZ_not", {0x20, 0x05}, 0x40, 7}, CostCase{"DJNZ_taken", {0x10, 0x05}, 0, 13},
                      CostCase{"RET_Z_taken", {0xC8}, 0x40, 11}, CostCase{"RET_Z_not", {0xC8}, 0, 5},
                      CostCase{"CALL_C_taken", {0xDC, 0, 0x10}, 1, 17}, CostCase{"CALL_C_not", {0xDC, 0, 0x10}, 0, 10},
                      CostCase{"JP_PE", {0xEA, 0, 0x10}, 0, 10}, CostCase{"LD_IXH_B", {0xDD, 0x60}, 0, 9},
                      CostCase{"INC_IYL", {0xFD, 0x2C}, 0, 9}, CostCase{"ADD_A_IXL", {0xDD, 0x85}, 0, 9},
                      CostCase{"INC_IXd", {0xDD, 0x34, 0}, 0, 23}, CostCase{"RLD", {0xED, 0x6F}, 0, 18},
                      CostCase{"PUSH_IY", {0xFD, 0xE5}, 0, 15}, CostCase{"LDI", {0xED, 0xA0}, 0, 16}),
    [](const auto& info) { return info.param.name; });

} // namespace
