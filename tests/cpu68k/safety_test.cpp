// Instruction fetch stays inside the fetch regions' memory; re-basing happens only on absolute
// transfers; addresses are 24-bit while registers keep 32 bits.
#include <gtest/gtest.h>

#include <vector>

#include "cpu_fixture.h"

namespace {

constexpr uint16_t nop = 0x4E71;

class FetchSafetyTest : public MainCpuTest {
  protected:
    // A small region of exactly `bytes` heap bytes at 0x200000, so a read past it is caught by
    // the address sanitizer as well as by the checks below.
    std::vector<uint8_t> small;
    void small_region(std::initializer_list<uint16_t> words, size_t bytes) {
        small.assign(bytes, 0);
        size_t i = 0;
        for (uint16_t w : words) {
            small[i] = static_cast<uint8_t>(w);
            small[i + 1] = static_cast<uint8_t>(w >> 8);
            i += 2;
        }
        machine.bus.fetch[2] = FetchRegion{small.data(), 0x200000, static_cast<uint32_t>(bytes)};
    }
    static void jump_from_code_to(uint32_t target) { program(code, {0x4EF9, static_cast<uint16_t>(target >> 16), static_cast<uint16_t>(target)}); }
};

TEST_F(FetchSafetyTest, JumpIntoAnUnusableRegionHaltsTheCore) {
    boot();
    machine.bus.fetch[5] = FetchRegion{};
    jump_from_code_to(0x500000);
    main_cpu_run(1000);
    EXPECT_TRUE(machine.main_cpu.halted);
    EXPECT_EQ(machine.main_cpu.cycles_left, -1);
    // The saved PC pointer stays readable for whoever inspects it between slices.
    volatile uint16_t word = *reinterpret_cast<const volatile uint16_t*>(machine.main_cpu.pc_pointer);
    (void)word;
    // A halted core stays halted until reset.
    machine.main_cpu.regs[0] = 0x1234;
    main_cpu_run(1000);
    EXPECT_EQ(machine.main_cpu.cycles_left, -1);
    boot();
    EXPECT_FALSE(machine.main_cpu.halted);
}

TEST_F(FetchSafetyTest, VectorIntoAnUnusableRegionHaltsTheCore) {
    boot();
    machine.bus.fetch[5] = FetchRegion{};
    poke32(32 * 4, 0x500000);
    program(code, {0x4E40}); // TRAP #0
    main_cpu_run(1000);
    EXPECT_TRUE(machine.main_cpu.halted);
    EXPECT_EQ(peek32(stack - 4), code + 2); // the frame was still written
}

TEST_F(FetchSafetyTest, StraightLineExecutionStopsAtTheEndOfTheRegionsMemory) {
    boot();
    small_region({nop, nop, nop, nop, nop, nop, nop, nop}, 16);
    jump_from_code_to(0x200000);
    main_cpu_run(1000);
    EXPECT_TRUE(machine.main_cpu.halted);
    EXPECT_EQ(pc(), 0x200010u);
}

TEST_F(FetchSafetyTest, InstructionWhoseExtensionWordsCrossTheEndIsNotExecuted) {
    boot();
    machine.main_cpu.regs[0] = 0x55;
    // Six NOPs, then MOVE.L #imm,D0 with room for only one of its two immediate words.
    small_region({nop, nop, nop, nop, nop, nop, 0x203C, 0x1111}, 16);
    jump_from_code_to(0x200000);
    main_cpu_run(1000);
    EXPECT_TRUE(machine.main_cpu.halted);
    EXPECT_EQ(pc(), 0x20000Cu);
    EXPECT_EQ(machine.main_cpu.regs[0], 0x55u);
}

struct BranchCase {
    const char* name;
    uint16_t opcode, extension;
};

class RelativeBranchOutTest : public FetchSafetyTest, public ::testing::WithParamInterface<BranchCase> {};

TEST_P(RelativeBranchOutTest, HaltsInsteadOfFetchingOutsideTheMemory) {
    boot();
    small_region({nop, GetParam().opcode, GetParam().extension, nop}, 16);
    jump_from_code_to(0x200000);
    main_cpu_run(1000);
    main_cpu_run(1000); // a taken idle branch ends the first slice before the next fetch
    EXPECT_TRUE(machine.main_cpu.halted);
}

INSTANTIATE_TEST_SUITE_P(Branches, RelativeBranchOutTest,
                         ::testing::Values(BranchCase{"forward_word", 0x6000, 0x0200},    // BRA.W +0x200
                                           BranchCase{"backward_byte", 0x60F0, nop},      // BRA.S -16
                                           BranchCase{"idle_forward", 0xA040, nop},       // idle BRA +0x40, then fetch
                                           BranchCase{"dbra_backward", 0x51C8, 0xFF00}), // DBRA D0,-256
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FetchSafetyTest, BankSwitchIsSeenOnlyAfterAReBasingTransfer) {
    std::vector<uint8_t> bank_a(0x100), bank_b(0x100);
    auto put = [](std::vector<uint8_t>& bank, uint32_t offset, std::initializer_list<uint16_t> words) {
        for (uint16_t w : words) {
            bank[offset] = static_cast<uint8_t>(w);
            bank[offset + 1] = static_cast<uint8_t>(w >> 8);
            offset += 2;
        }
    };
    // Bank A: switch the bank, branch (relative), MOVEQ #1,D1, JMP to 0x100012.
    put(bank_a, 0x00, {0x13C0, 0x0033, 0x0000}); // MOVE.B D0,$330000: the bank switch
    put(bank_a, 0x06, {0x6002, nop});              // BRA.S to 0x0A
    put(bank_a, 0x0A, {0x7201});                   // MOVEQ #1,D1
    put(bank_a, 0x0C, {0x4EF9, 0x0010, 0x0012});   // JMP $100012
    put(bank_a, 0x12, {0x7403});                   // MOVEQ #3,D2 (must not run)
    put(bank_b, 0x0A, {0x7202});                   // MOVEQ #2,D1 (must not run)
    put(bank_b, 0x12, {0x7404, 0x4E72, 0x2700});   // MOVEQ #4,D2; STOP
    static std::vector<uint8_t>* next_bank;
    next_bank = &bank_b;
    machine.bus.write_byte[0x33] = [](uint32_t, uint32_t) { machine.bus.fetch[1].memory = next_bank->data(); };
    machine.bus.fetch[1] = FetchRegion{bank_a.data(), 0x100000, 0x100};
    poke32(0, stack);
    poke32(4, 0x100000);
    main_cpu_reset();
    main_cpu_run(1000);
    EXPECT_FALSE(machine.main_cpu.halted);
    EXPECT_EQ(machine.main_cpu.regs[1], 1u);
    EXPECT_EQ(machine.main_cpu.regs[2], 4u);
}

uint32_t last_word_read;
uint32_t logging_read_word(uint32_t address) {
    last_word_read = address;
    return 0xBEEF;
}

TEST_F(FetchSafetyTest, AddressesAre24BitWhileRegistersKeepTheirTopByte) {
    boot();
    machine.bus.read_word[0x00] = logging_read_word;
    machine.main_cpu.regs[8] = 0xFF001235;          // A0, an odd address with a top byte
    program(code, {0x3018}); // MOVE.W (A0)+,D0
    step();
    EXPECT_EQ(last_word_read, 0x001235u);           // masked, and odd addresses pass unchanged
    EXPECT_EQ(machine.main_cpu.regs[0] & 0xFFFF, 0xBEEFu);
    EXPECT_EQ(machine.main_cpu.regs[8], 0xFF001237u); // the register keeps all 32 bits
}

TEST_F(FetchSafetyTest, PcKeepsItsTopByteAcrossAJump) {
    boot();
    machine.main_cpu.regs[8] = 0xFF002000;
    program(code, {0x4ED0});         // JMP (A0)
    program(0x2000, {0x7005});       // MOVEQ #5,D0
    step();
    EXPECT_EQ(pc(), 0xFF002000u);
    step();
    EXPECT_EQ(machine.main_cpu.regs[0], 5u);
    EXPECT_EQ(pc(), 0xFF002002u);
}

} // namespace
