// The slice loop, the interrupt offer, idle branches, STOP and the live cycle counter.
#include <gtest/gtest.h>

#include "cpu_fixture.h"

namespace {

constexpr uint16_t nop = 0x4E71;
constexpr uint32_t interrupt_handler = 0x3000;

class SliceTest : public MainCpuTest {};

TEST_F(SliceTest, ResetLoadsStackAndPcFromTheVectorsAndEntersSupervisorMode) {
    boot();
    EXPECT_EQ(machine.main_cpu.regs[15], stack);
    EXPECT_EQ(machine.main_cpu.reset_pc, code);
    EXPECT_EQ(machine.main_cpu.sr, 0x2700);
    EXPECT_EQ(pc(), code);
    EXPECT_EQ(machine.main_cpu.cycles_left, 0);
}

TEST_F(SliceTest, OvershootOfTheLastInstructionCarriesIntoTheNextSlice) {
    boot();
    program(code, {nop, nop, nop, nop, nop, nop, nop, nop});
    machine.main_cpu.cycles_left = -5;
    main_cpu_run(20); // 20 - 5 - 1 = 14: NOPs at 14, 10, 6, 2 run; the fourth ends at -2
    EXPECT_EQ(pc(), code + 8);
    EXPECT_EQ(machine.main_cpu.cycles_left, -2);
    main_cpu_run(7); // -2 + 7 - 1 = 4: one NOP reaches 0, the next ends at -4
    EXPECT_EQ(pc(), code + 12);
    EXPECT_EQ(machine.main_cpu.cycles_left, -4);
}

TEST_F(SliceTest, NoBudgetLeftRunsNoInstructionButStillOffersTheInterrupt) {
    boot(0x2000);
    poke32(0x64, interrupt_handler);
    program(code, {nop});
    program(interrupt_handler, {nop});
    machine.main_cpu.cycles_left = -10;
    main_cpu_run(10);
    EXPECT_EQ(pc(), interrupt_handler);
    EXPECT_EQ(machine.main_cpu.sr & 0x0700, 0x0100);
    EXPECT_EQ(machine.main_cpu.cycles_left, -1);
}

struct OfferCase {
    uint16_t sr;
    bool taken;
};

class InterruptOfferTest : public MainCpuTest, public ::testing::WithParamInterface<OfferCase> {};

// Level 1 is taken only above the mask, as on the 68000: mask 1 refuses it like 2-7.
TEST_P(InterruptOfferTest, TakenOnlyWhenTheMaskIsBelowLevelOne) {
    boot(GetParam().sr);
    poke32(0x64, interrupt_handler);
    program(code, {nop, nop});
    program(interrupt_handler, {nop});
    main_cpu_run(1); // 1 - 1 = 0: exactly one NOP
    EXPECT_EQ(pc(), GetParam().taken ? interrupt_handler + 2 : code + 2);
    // A refused offer is not remembered: with the mask still up the next slice runs on.
    if (!GetParam().taken) {
        main_cpu_run(5); // -4 + 5 - 1 = 0: one more NOP
        EXPECT_EQ(pc(), code + 4);
    }
}

INSTANTIATE_TEST_SUITE_P(Masks, InterruptOfferTest,
                         ::testing::Values(OfferCase{0x2000, true}, OfferCase{0x0000, true}, OfferCase{0x2100, false},
                                           OfferCase{0x2200, false}, OfferCase{0x2300, false}, OfferCase{0x2700, false}));

TEST_F(SliceTest, InterruptFromUserModeSwitchesStacksAndRteRestoresThem) {
    boot(0x2700);
    machine.main_cpu.inactive_stack_pointer = 0x6000; // USP
    machine.main_cpu.sr = 0x0000;                    // user mode, mask 0: A7 must be the USP
    machine.main_cpu.regs[15] = 0x6000;
    machine.main_cpu.inactive_stack_pointer = stack;
    poke32(0x64, interrupt_handler);
    program(code, {nop});
    program(interrupt_handler, {0x4E73}); // RTE
    set_ccr(0x05);
    main_cpu_run(1); // interrupt entry, then the RTE
    EXPECT_EQ(peek16(stack - 6), 0x0005);   // user SR with mask 0 and its flags
    EXPECT_EQ(peek32(stack - 4), code);     // the instruction that would have run next
    EXPECT_EQ(pc(), code);
    EXPECT_EQ(machine.main_cpu.sr & 0xFF00, 0x0000);
    EXPECT_EQ(machine.main_cpu.regs[15], 0x6000u);
    EXPECT_EQ(machine.main_cpu.inactive_stack_pointer, stack);
    EXPECT_EQ(machine.main_cpu.saved_flags >> 24 & 0xC1, 0x41u); // Z and C back
}

TEST_F(SliceTest, TakenIdleBranchEndsTheSliceAtItsTarget) {
    boot();
    program(code, {nop, 0xA0FC}); // NOP; idle BRA back to the NOP
    main_cpu_run(1000);
    EXPECT_EQ(machine.main_cpu.cycles_left, -1);
    EXPECT_EQ(pc(), code);
}

struct IdleCase {
    uint16_t opcode;
    uint32_t ccr;
    bool taken;
    int32_t cost; // when not taken
};

class IdleBranchTest : public MainCpuTest, public ::testing::WithParamInterface<IdleCase> {};

TEST_P(IdleBranchTest, FollowsTheBranchConditions) {
    const IdleCase& c = GetParam();
    boot();
    program(code, {c.opcode, 0x0010});
    set_ccr(c.ccr);
    int32_t cost = step();
    if (c.taken) {
        EXPECT_EQ(machine.main_cpu.cycles_left, -1);
        EXPECT_EQ(pc(), (c.opcode & 0xFF) ? code + 2 + static_cast<int8_t>(c.opcode & 0xFF) : code + 2 + 0x10);
    } else {
        EXPECT_EQ(cost, c.cost);
        EXPECT_EQ(pc(), (c.opcode & 0xFF) ? code + 2 : code + 4);
    }
}

INSTANTIATE_TEST_SUITE_P(Conditions, IdleBranchTest,
                         ::testing::Values(IdleCase{0xA6FE, 0x04, false, 8},  // NE with Z set
                                           IdleCase{0xA6FE, 0x00, true, 0},   // NE with Z clear
                                           IdleCase{0xA700, 0x00, false, 12}, // EQ word form, not taken
                                           IdleCase{0xA700, 0x04, true, 0},   // EQ word form, taken
                                           IdleCase{0xAD08, 0x08, true, 0},   // LT: N != V
                                           IdleCase{0xAF08, 0x00, false, 8})); // LE: Z = 0, N = V

TEST_F(SliceTest, LineAColumnOneRaisesTheLineAException) {
    boot();
    poke32(10 * 4, 0x4000);
    program(code, {0xA123});
    EXPECT_EQ(step(), 34);
    EXPECT_EQ(pc(), 0x4000u);
    EXPECT_EQ(peek32(stack - 4), code);
}

TEST_F(SliceTest, StopLoadsSrAndEndsTheSliceWithoutWaiting) {
    boot();
    program(code, {0x4E72, 0x2015, nop});
    main_cpu_run(1000);
    EXPECT_EQ(machine.main_cpu.cycles_left, -1);
    EXPECT_EQ(pc(), code + 4);
    EXPECT_EQ(machine.main_cpu.sr, 0x2015);
    // Mask 0 now: the next slice's offer is the wake-up.
    poke32(0x64, interrupt_handler);
    program(interrupt_handler, {nop});
    main_cpu_run(1); // -1 + 1 - 1: no instruction, but the interrupt is taken
    EXPECT_EQ(pc(), interrupt_handler);
}

TEST_F(SliceTest, StopInUserModeIsAPrivilegeViolation) {
    boot(0x0000);
    machine.main_cpu.regs[15] = 0x6000;
    machine.main_cpu.inactive_stack_pointer = stack;
    poke32(8 * 4, 0x4000);
    program(code, {0x4E72, 0x2700});
    EXPECT_EQ(step(), 34);
    EXPECT_EQ(pc(), 0x4000u);
    EXPECT_EQ(peek32(stack - 4), code); // the frame points at the STOP itself
    EXPECT_EQ(machine.main_cpu.inactive_stack_pointer, 0x6000u);
}

TEST_F(SliceTest, MoveToSrClearingSupervisorExchangesTheStacksAtOnce) {
    boot();
    machine.main_cpu.inactive_stack_pointer = 0x6000;
    program(code, {0x46FC, 0x0000}); // MOVE #0,SR
    EXPECT_EQ(step(), 16);
    EXPECT_EQ(machine.main_cpu.regs[15], 0x6000u);
    EXPECT_EQ(machine.main_cpu.inactive_stack_pointer, stack);
}

// A handler sees the live counter (after the previous instruction's charge) and may lower it.
uint32_t seen_cycles_left;
void latch_write(uint32_t, uint32_t) {
    seen_cycles_left = static_cast<uint32_t>(machine.main_cpu.cycles_left);
    machine.main_cpu.cycles_left -= 200;
}

TEST_F(SliceTest, HandlersReadAndLowerTheLiveCycleCounter) {
    boot();
    machine.bus.write_byte[0x32] = latch_write;
    // NOP; MOVE.B D0,$320000.L; loop: ADDQ.W #1,D1; BRA.S loop (14 cycles a turn)
    program(code, {nop, 0x13C0, 0x0032, 0x0000, 0x5241, 0x60FC});
    main_cpu_run(400);
    EXPECT_EQ(seen_cycles_left, 400u - 1 - 4);
    // 395 - 200 - 16 (the MOVE) = 179 left: 12 whole turns, then the 13th ADDQ and its BRA.
    EXPECT_EQ(machine.main_cpu.regs[1], 13u);
    EXPECT_EQ(machine.main_cpu.cycles_left, -3);
}

} // namespace
