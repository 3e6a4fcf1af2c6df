// Charged costs where the core departs from the published timing or where the count varies,
// with the results that go with them. The external vectors cover the published costs.
#include <gtest/gtest.h>

#include <vector>

#include "cpu_fixture.h"

namespace {

struct CostCase {
    const char* name;
    std::vector<uint16_t> code;
    uint32_t d0, d1, a0;
    uint32_t ccr;
    int32_t cost;
    uint32_t want_d0; // D0 afterwards
};

class ChargedCostTest : public MainCpuTest, public ::testing::WithParamInterface<CostCase> {};

TEST_P(ChargedCostTest, ChargesAndComputes) {
    const CostCase& c = GetParam();
    boot();
    poke32(5 * 4, 0x4000);
    poke32(6 * 4, 0x4000);
    poke32(7 * 4, 0x4000);
    uint32_t address = code;
    for (uint16_t w : c.code) {
        poke16(address, w);
        address += 2;
    }
    machine.main_cpu.regs[0] = c.d0;
    machine.main_cpu.regs[1] = c.d1;
    machine.main_cpu.regs[8] = c.a0;
    set_ccr(c.ccr);
    EXPECT_EQ(step(), c.cost);
    EXPECT_EQ(machine.main_cpu.regs[0], c.want_d0);
}

INSTANTIATE_TEST_SUITE_P(
    Departures, ChargedCostTest,
    ::testing::Values(
        CostCase{"clr_long_dreg", {0x4280}, 0x12345678, 0, 0, 0, 8, 0},
        CostCase{"andi_long_dreg", {0x0280, 0x0000, 0xFFFF}, 0x12345678, 0, 0, 0, 14, 0x5678},
        CostCase{"ori_long_dreg", {0x0080, 0x0000, 0x0001}, 0x10, 0, 0, 0, 16, 0x11},
        CostCase{"divu_fixed", {0x80C1}, 100, 7, 0, 0, 133, 2 << 16 | 14},
        CostCase{"divs_fixed", {0x81C1}, static_cast<uint32_t>(-100), 7, 0, 0, 150, 0xFFFEFFF2},
        CostCase{"divu_by_zero_traps", {0x80C1}, 100, 0, 0, 0, 38, 100},
        CostCase{"divs_overflow_keeps_register", {0x81C1}, 0x80000000, 0xFFFF, 0, 0, 150, 0x80000000},
        CostCase{"mulu_by_ffff", {0xC0C1}, 3, 0xFFFF, 0, 0, 70, 3 * 0xFFFF},
        CostCase{"mulu_by_zero", {0xC0C1}, 3, 0, 0, 0, 38, 0},
        CostCase{"muls_alternating", {0xC1C1}, 1, 0x5555, 0, 0, 38 + 2 * 16, 0x5555},
        CostCase{"trapv_traps", {0x4E76}, 0, 0, 0, 0x02, 38, 0},
        CostCase{"chk_traps_below_zero", {0x4181}, 0xFFFF, 10, 0, 0, 40, 0xFFFF},
        CostCase{"reset_does_nothing", {0x4E70}, 1, 0, 0, 0, 4, 1},
        CostCase{"dbt_is_a_no_op", {0x50C8, 0xFFF0}, 5, 0, 0, 0, 12, 5},
        CostCase{"lsl_by_40_clears", {0xE368}, 0xFFFF, 40, 0, 0, 6 + 80, 0},
        CostCase{"lsl_by_16_clears", {0xE368}, 0xFFFF, 16, 0, 0, 6 + 32, 0},
        CostCase{"lsr_long_by_register_count_mod_64", {0xE2A8}, 0x80000000, 65, 0, 0, 8 + 2, 0x40000000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChargedCostTest, ShiftCountsAtAndBeyondTheWidthSetCarryAndExtend) {
    struct Case {
        uint32_t count, value;
        uint8_t carry;
    };
    for (Case c : {Case{16, 0x0001, 1}, Case{17, 0xFFFF, 0}, Case{40, 0xFFFF, 0}}) {
        boot();
        program(code, {0xE368}); // LSL.W D1,D0
        machine.main_cpu.regs[0] = c.value;
        machine.main_cpu.regs[1] = c.count;
        step();
        EXPECT_EQ(machine.main_cpu.regs[0] & 0xFFFF, 0u) << c.count;
        EXPECT_EQ(machine.main_cpu.saved_flags >> 24 & 1, c.carry) << c.count;
        EXPECT_EQ(machine.main_cpu.saved_flags & 1, c.carry) << c.count; // X
    }
}

int word_reads, word_writes;
uint32_t counting_read(uint32_t) {
    ++word_reads;
    return 0xFFFF;
}
void counting_write(uint32_t, uint32_t value) {
    ++word_writes;
    EXPECT_EQ(value, 0u);
}

TEST_F(ChargedCostTest, ClrToMemoryWritesWithoutReading) {
    boot();
    machine.bus.read_word[0x02] = counting_read;
    machine.bus.write_word[0x02] = counting_write;
    machine.main_cpu.regs[8] = 0x20000;
    program(code, {0x4250}); // CLR.W (A0)
    word_reads = word_writes = 0;
    EXPECT_EQ(step(), 6 + 4);
    EXPECT_EQ(word_reads, 0);
    EXPECT_EQ(word_writes, 1);
}

TEST_F(ChargedCostTest, MovemPredecrementStoresA6HighestAndChargesPerRegister) {
    boot();
    for (int i = 0; i < 15; ++i) machine.main_cpu.regs[i] = 0x100 + i;
    program(code, {0x48E7, 0xFFFE}); // MOVEM.L D0-D7/A0-A6,-(A7)
    EXPECT_EQ(step(), 8 + 15 * 8);
    EXPECT_EQ(machine.main_cpu.regs[15], stack - 60);
    EXPECT_EQ(peek32(stack - 4), 0x10Eu); // A6
    EXPECT_EQ(peek32(stack - 60), 0x100u); // D0
}

TEST_F(ChargedCostTest, AddqWordToAnAddressRegisterChangesTheWholeRegister) {
    boot();
    machine.main_cpu.regs[8] = 0x0000FFFF;
    program(code, {0x5248}); // ADDQ.W #1,A0
    EXPECT_EQ(step(), 8);
    EXPECT_EQ(machine.main_cpu.regs[8], 0x00010000u);
}

TEST_F(ChargedCostTest, TrapAndIllegalFramesPointPastAndAtTheInstruction) {
    boot();
    poke32(35 * 4, 0x4000);
    poke32(4 * 4, 0x5000);
    program(code, {0x4E43});   // TRAP #3
    program(0x4000, {0x4AFC}); // ILLEGAL
    EXPECT_EQ(step(), 34);
    EXPECT_EQ(peek32(stack - 4), code + 2);
    EXPECT_EQ(pc(), 0x4000u);
    EXPECT_EQ(step(), 34);
    EXPECT_EQ(peek32(stack - 10), 0x4000u);
    EXPECT_EQ(pc(), 0x5000u);
}

} // namespace
