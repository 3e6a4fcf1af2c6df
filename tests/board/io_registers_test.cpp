#include <gtest/gtest.h>

#include <vector>

#include "app/rom_images.h"
#include "board_fixture.h"
#include "cpuz80/cpuz80.h"
#include "sound/sound.h"

namespace {

// ---- system status and its pulse ---------------------------------------------------------------

uint32_t status() {
    return bus_read(Size::byte, 0x320001);
}
bool pulse(uint32_t status_byte) {
    return (status_byte & 0x40) == 0;
}

TEST_F(BoardTest, PulseComesAfter64FramesThenEvery63WhenPolledEveryFrame) {
    machine.board.pulse_counter = 0;
    std::vector<int> pulse_frames;
    for (int frame = 1; frame <= 200; ++frame) {
        ++machine.board.pulse_counter; // what each emulated frame does
        if (pulse(status())) pulse_frames.push_back(frame);
    }
    EXPECT_EQ(pulse_frames, (std::vector<int>{64, 127, 190}));
}

TEST_F(BoardTest, UnpolledCounterPulsesOnceThenRestarts) {
    machine.board.pulse_counter = 100; // bit 6 set: 64..127
    EXPECT_TRUE(pulse(status()));
    EXPECT_EQ(machine.board.pulse_counter, 1u);
    EXPECT_FALSE(pulse(status())) << "the first read restarted the counter";
    machine.board.pulse_counter = 128; // bit 6 clear again
    EXPECT_FALSE(pulse(status()));
    EXPECT_EQ(machine.board.pulse_counter, 128u);
}

TEST_F(BoardTest, StatusCarriesTheCoinBitsAndOnes) {
    for (uint8_t coin : {0x00, 0x01, 0x02, 0x03}) {
        machine.board.coin = coin;
        machine.board.pulse_counter = 0;
        EXPECT_EQ(status(), 0xFCu | coin);
        machine.board.pulse_counter = 64;
        EXPECT_EQ(status(), 0xBCu | coin);
    }
}

// ---- the system latch ---------------------------------------------------------------------------

enum class Action { none, bios_vectors, game_vectors, lock, unlock, palette_1, palette_0 };

struct LatchState {
    bool bios_vectors;
    uint32_t palette_bank;
    bool locked;
    bool operator==(const LatchState&) const = default;
};

std::ostream& operator<<(std::ostream& out, const LatchState& s) {
    return out << (s.bios_vectors ? "bios" : "game") << " vectors, palette bank " << s.palette_bank
               << (s.locked ? ", locked" : ", unlocked");
}

LatchState apply(Action action, LatchState s) {
    switch (action) {
    case Action::bios_vectors:
        s.bios_vectors = true;
        break;
    case Action::game_vectors:
        s.bios_vectors = false;
        break;
    case Action::lock:
        s.locked = true;
        break;
    case Action::unlock:
        s.locked = false;
        break;
    case Action::palette_1:
        s.palette_bank = 1;
        break;
    case Action::palette_0:
        s.palette_bank = 0;
        break;
    case Action::none:
        break;
    }
    return s;
}

Action latch_action(uint32_t reg) {
    switch (reg) {
    case 0x03:
    case 0x0B:
        return Action::bios_vectors;
    case 0x0D:
        return Action::lock;
    case 0x0F:
        return Action::palette_1;
    case 0x13:
    case 0x1B:
        return Action::game_vectors;
    case 0x1D:
        return Action::unlock;
    case 0x1F:
        return Action::palette_0;
    default:
        return Action::none;
    }
}

class SystemLatchTest : public BoardTest, public ::testing::WithParamInterface<uint32_t> {
  protected:
    void SetUp() override {
        BoardTest::SetUp();
        poke_word(machine.roms.program_rom, 0, 0x6A6E); // the game's own first vector word
        poke_word(machine.roms.bios, 0, 0xB105);
        install_bios_vectors();
    }

    void enter(const LatchState& s) {
        if (s.bios_vectors)
            select_bios_vectors();
        else
            select_game_vectors();
        set_palette_bank(s.palette_bank);
        if (s.locked)
            lock_backup_ram();
        else
            unlock_backup_ram();
    }

    // Observed through the bus, as the game would see it.
    static LatchState observe() {
        const uint32_t vector = bus_read(Size::word, 0x000000);
        EXPECT_TRUE(vector == 0xB105 || vector == 0x6A6E) << std::hex << vector;
        const uint32_t before = bus_read(Size::word, 0xD00100);
        bus_write(Size::word, 0xD00100, before ^ 0xFFFF);
        const bool locked = bus_read(Size::word, 0xD00100) == before;
        bus_write(Size::word, 0xD00100, before);
        const uint32_t bank = machine.board.palette_bank;
        EXPECT_EQ(machine.board.palette_bank_flag, bank ? 0xFF : 0x00);
        return LatchState{vector == 0xB105, bank, locked};
    }
};

TEST_P(SystemLatchTest, RegisterSelectsItsActionWhateverTheValue) {
    const uint32_t reg = GetParam();
    for (const LatchState start : {LatchState{false, 0, false}, LatchState{true, 1, true}}) {
        enter(start);
        ASSERT_EQ(observe(), start);
        // Only address bits 4-0 select the register; the value is not used.
        bus_write(Size::byte, 0x3A0000 | (reg * 0x20 + 0x0400) | reg, reg * 37);
        EXPECT_EQ(observe(), apply(latch_action(reg), start)) << "from " << start;
    }
}

INSTANTIATE_TEST_SUITE_P(AllRegisters, SystemLatchTest, ::testing::Range(0u, 32u));

TEST_F(BoardTest, SystemLatchIgnoresWordsAndLongs) {
    bus_write(Size::word, 0x3A000D, 0);
    bus_write(Size::lng, 0x3A000C, 0);
    bus_write(Size::word, 0x3A000F, 0);
    EXPECT_FALSE(machine.board.backup_ram_locked);
    EXPECT_EQ(machine.board.palette_bank, 0u);
}

// ---- the sound command latch --------------------------------------------------------------------

struct CommandCase {
    const char* what;
    Size size;
    uint32_t address;
    uint32_t value;
    bool is_command;
    uint8_t command;
};

std::ostream& operator<<(std::ostream& out, const CommandCase& c) {
    return out << c.what;
}

class SoundCommandTest : public BoardTest, public ::testing::WithParamInterface<CommandCase> {};

// With sound off the game reads back its own command, and each command costs 200 cycles.
TEST_P(SoundCommandTest, SoundOffRepliesWithTheCommandAndCharges) {
    const CommandCase& c = GetParam();
    machine.app.sound_enabled = 0;
    machine.board.sound_reply = 0x55;
    machine.board.command_copy = 0x66;
    machine.main_cpu.cycles_left = 1000;
    bus_write(c.size, c.address, c.value);
    if (c.is_command) {
        EXPECT_EQ(bus_read(Size::byte, 0x320000), c.command);
        EXPECT_EQ(machine.board.command_copy, c.command);
        EXPECT_EQ(machine.main_cpu.cycles_left, 800);
    } else {
        EXPECT_EQ(bus_read(Size::byte, 0x320000), 0x55u);
        EXPECT_EQ(machine.board.command_copy, 0x66);
        EXPECT_EQ(machine.main_cpu.cycles_left, 1000);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Writes, SoundCommandTest,
    ::testing::Values(CommandCase{"byte", Size::byte, 0x320000, 0x9A, true, 0x9A},
                      CommandCase{"word takes its high byte", Size::word, 0x320000, 0xAB12, true, 0xAB},
                      CommandCase{"byte at 0x320001", Size::byte, 0x320001, 0x9A, false, 0},
                      CommandCase{"word at 0x320002", Size::word, 0x320002, 0x9A9A, false, 0},
                      CommandCase{"long", Size::lng, 0x320000, 0x9A9A9A9A, false, 0}));

struct TargetCase {
    int32_t cycles_left;
    int32_t target;
};

class SoundCatchUpTest : public ::testing::TestWithParam<TargetCase> {};

// Early in a frame run the target is held at 0 instead of wrapping to a huge value.
TEST_P(SoundCatchUpTest, TargetFollowsTheMainCpuPosition) {
    EXPECT_EQ(sound_catch_up_target(GetParam().cycles_left), GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(Positions, SoundCatchUpTest,
                         ::testing::Values(TargetCase{208'192, 0}, TargetCase{208'189, 1},
                                           TargetCase{208'190, 0}, TargetCase{208'333, 0},
                                           TargetCase{500'000, 0}, TargetCase{0, 69'397},
                                           TargetCase{-3, 69'398}));

// Sound on: the sound CPU gets an NMI with the command, the reply loses bit 7, and the NMI costs
// the sound side 11 cycles. Writing at the reference point makes the catch-up run empty.
class SoundOnTest : public BoardTest {
  protected:
    void SetUp() override {
        BoardTest::SetUp();
        sound_program_.assign(SOUND_PROGRAM_SIZE, 0);
        SoundCpuContext context{};
        context.memory = sound_program_.data();
        context.port_read_list = sound_port_read_list;
        context.port_write_list = sound_port_write_list;
        sound_cpu_set_context(&context);
        sound_cpu_reset();
        set_sound_clocks();
        sound_timeline_reset();
        machine.app.sound_enabled = 1;
        machine.main_cpu.cycles_left = SOUND_SYNC_REFERENCE;
    }
    std::vector<uint8_t> sound_program_;
};

TEST_F(SoundOnTest, CommandDeliversNmiAndClearsReplyBit7) {
    machine.board.nmi_enabled = 1;
    bus_write(Size::byte, 0x320000, 0xC3);
    EXPECT_EQ(bus_read(Size::byte, 0x320000), 0x43u);
    EXPECT_EQ(machine.board.sound_command, 0xC3);
    EXPECT_EQ(machine.board.command_copy, 0xC3);
    EXPECT_EQ(machine.sound_timing.sound_time, SOUND_NMI_CYCLES);
    EXPECT_EQ(machine.main_cpu.cycles_left, SOUND_SYNC_REFERENCE - 200);
}

TEST_F(SoundOnTest, DisabledNmiLatchesNoCommand) {
    machine.board.nmi_enabled = 0;
    machine.board.sound_command = 0x01;
    bus_write(Size::byte, 0x320000, 0xC3);
    EXPECT_EQ(bus_read(Size::byte, 0x320000), 0x43u);
    EXPECT_EQ(machine.board.sound_command, 0x01);
    EXPECT_EQ(machine.sound_timing.sound_time, 0);
    EXPECT_EQ(machine.main_cpu.cycles_left, SOUND_SYNC_REFERENCE - 200);
}

} // namespace
