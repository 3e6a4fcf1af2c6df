#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "board/board.h"
#include "machine.h"
#include "support/machine_fixture.h"

namespace {

class SoundPortTest : public MachineTest {};

uint32_t port_in(uint32_t port) {
    return sound_port_read_list[0].read(port, &sound_port_read_list[0]);
}
void port_out(uint32_t port, uint32_t value) {
    sound_port_write_list[0].write(port, value, &sound_port_write_list[0]);
}

TEST_F(SoundPortTest, ListsHoldOneEntryForAllPortsAndEnd) {
    EXPECT_EQ(sound_port_read_list[0].low, 0x0000);
    EXPECT_EQ(sound_port_read_list[0].high, 0xFFFE);
    EXPECT_NE(sound_port_read_list[0].read, nullptr);
    EXPECT_EQ(sound_port_read_list[1].low, 0xFFFF);
    EXPECT_EQ(sound_port_write_list[0].high, 0xFFFE);
    EXPECT_NE(sound_port_write_list[0].write, nullptr);
    EXPECT_EQ(sound_port_write_list[1].low, 0xFFFF);
}

TEST_F(SoundPortTest, CommandReadReturnsTheCommandAndRestoresTheReply) {
    machine.board.sound_command = 0x42;
    machine.board.command_copy = 0x99;
    machine.board.sound_reply = 0x19;
    EXPECT_EQ(port_in(0x3400), 0x42u) << "the high byte of the port does not matter";
    EXPECT_EQ(machine.board.sound_reply, 0x99);
}

struct PortReadCase {
    uint32_t port;
    uint32_t expected;
};

class OtherPortReadTest : public SoundPortTest, public ::testing::WithParamInterface<PortReadCase> {};

TEST_P(OtherPortReadTest, ReturnsThePortLowByte) {
    EXPECT_EQ(port_in(GetParam().port), GetParam().expected);
    EXPECT_EQ(machine.board.sound_reply, 0) << "only port 0 touches the reply";
}

INSTANTIATE_TEST_SUITE_P(Ports, OtherPortReadTest,
                         ::testing::Values(PortReadCase{0x1207, 0x07}, PortReadCase{0x000C, 0x0C},
                                           PortReadCase{0xFF18, 0x18}, PortReadCase{0x00FF, 0xFF},
                                           PortReadCase{0x8001, 0x01}));

struct WriteCase {
    uint32_t port;
    uint32_t value;
    uint32_t nmi_before;
    uint32_t nmi_after;
    uint8_t reply_after;
};

class PortWriteTest : public SoundPortTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(PortWriteTest, SetsReplyAndNmiEnable) {
    const WriteCase& c = GetParam();
    machine.board.nmi_enabled = c.nmi_before;
    machine.board.sound_reply = 0x11;
    port_out(c.port, c.value);
    EXPECT_EQ(machine.board.nmi_enabled, c.nmi_after);
    EXPECT_EQ(machine.board.sound_reply, c.reply_after);
}

INSTANTIATE_TEST_SUITE_P(
    Ports, PortWriteTest,
    ::testing::Values(WriteCase{0x0008, 0, 0, 1, 0x11}, WriteCase{0x5518, 0xFF, 1, 0, 0x11},
                      WriteCase{0x000C, 0x1A5, 0, 0, 0xA5}, WriteCase{0x000C, 0x80, 1, 1, 0x80},
                      WriteCase{0x0000, 0x77, 1, 1, 0x11}, WriteCase{0x0009, 0x77, 0, 0, 0x11}));

// Bank select: the port's high byte picks the bank; the window then shows the sound program from
// bank × window size.
struct BankCase {
    uint32_t port;
    uint32_t entry;
    uint32_t window_start;
    uint32_t window_size;
};

class SoundBankTest : public SoundPortTest, public ::testing::WithParamInterface<BankCase> {};

TEST_P(SoundBankTest, EveryBankNumberStaysInsideTheSoundProgram) {
    const BankCase& c = GetParam();
    for (uint32_t b = 0; b < 256; ++b) {
        EXPECT_EQ(port_in(b << 8 | c.port), 0u);
        const int64_t first = int64_t{c.window_start} + machine.sound_cpu.bank_offset[c.entry];
        EXPECT_GE(first, 0) << "bank " << b;
        EXPECT_LE(first + c.window_size, int64_t{SOUND_PROGRAM_SIZE}) << "bank " << b;
        EXPECT_EQ(first % c.window_size, 0) << "bank " << b;
        // Banks inside the program show it at bank × window size; the rest wrap onto it.
        EXPECT_EQ(first, int64_t{b} * c.window_size % SOUND_PROGRAM_SIZE) << "bank " << b;
    }
}

// The slot map the start-up builds: each window's addresses, and only those, select its entry of
// the offset table; the fixed parts below 0x8000 and from 0xF800 select entry 0, which never moves.
TEST_P(SoundBankTest, SlotMapSendsTheWindowThroughItsEntry) {
    const BankCase& c = GetParam();
    std::fill(std::begin(machine.sound_cpu.bank_offset), std::end(machine.sound_cpu.bank_offset), 123);
    build_sound_bank_map();
    for (int entry = 0; entry < 8; ++entry) EXPECT_EQ(machine.sound_cpu.bank_offset[entry], 0) << entry;
    const uint8_t* slot = machine.sound_cpu.bank_slot;
    EXPECT_NE(slot[c.window_start - 1], 4 * c.entry);
    for (uint32_t a = c.window_start; a < c.window_start + c.window_size; ++a) ASSERT_EQ(slot[a], 4 * c.entry) << a;
    EXPECT_NE(slot[c.window_start + c.window_size], 4 * c.entry);
    EXPECT_EQ(slot[0x0000], 0);
    EXPECT_EQ(slot[0x7FFF], 0);
    EXPECT_EQ(slot[0xF800], 0);
    EXPECT_EQ(slot[0xFFFF], 0);
}

INSTANTIATE_TEST_SUITE_P(Windows, SoundBankTest,
                         ::testing::Values(BankCase{0x08, 4, 0xF000, 0x0800},
                                           BankCase{0x09, 3, 0xE000, 0x1000},
                                           BankCase{0x0A, 2, 0xC000, 0x2000},
                                           BankCase{0x0B, 1, 0x8000, 0x4000}));

TEST_F(SoundPortTest, BankAtItsOwnAddressHasOffsetZero) {
    port_in(0x1E08);
    port_in(0x0E09);
    port_in(0x060A);
    port_in(0x020B);
    for (int entry = 0; entry < 8; ++entry)
        EXPECT_EQ(machine.sound_cpu.bank_offset[entry], 0) << entry;
    port_in(0x030B);
    EXPECT_EQ(machine.sound_cpu.bank_offset[1], 0x4000);
}

} // namespace
