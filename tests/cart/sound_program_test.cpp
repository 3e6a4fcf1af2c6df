// The cartridge's sound program on the sound CPU core, with port routines that record what it
// writes to the sound chip: it starts up, takes commands on the NMI, and on timer interrupts plays
// the notes, drums, effects and voice it was asked for.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cartridge.h"
#include "cpuz80/cpuz80.h"
#include "machine.h"
#include "support/machine_fixture.h"

namespace {

struct ChipWrite {
    int port_pair; // 0 first (ports 4/5), 1 second (ports 6/7), -1 another port
    int reg;
    int value;
    bool operator==(const ChipWrite&) const = default;
};

uint8_t command_latch;
uint8_t address[2];
std::vector<ChipWrite> writes;

uint32_t read_port(uint32_t port, const PortHandlerEntry*) {
    return (port & 0xFF) == 0 ? command_latch : 0;
}

void write_port(uint32_t port, uint32_t value, const PortHandlerEntry*) {
    port &= 0xFF;
    if (port == 4 || port == 6) {
        address[port == 6] = static_cast<uint8_t>(value);
    } else if (port == 5 || port == 7) {
        const int pair = port == 7;
        writes.push_back({pair, address[pair], static_cast<int>(value)});
        if (pair == 0 && address[0] == 0x27) sound_cpu_set_irq_line(0); // the timer flag reset
    } else {
        writes.push_back({-1, static_cast<int>(port), static_cast<int>(value)});
    }
}

const PortHandlerEntry kReadList[] = {{0, 0xFFFE, read_port, nullptr, 0}, {0xFFFF, 0, nullptr, nullptr, 0}};
const PortHandlerEntry kWriteList[] = {{0, 0xFFFE, nullptr, write_port, 0}, {0xFFFF, 0, nullptr, nullptr, 0}};

class CartSoundProgram : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
#if !defined(QZB_CART_IMAGE_DIR)
        GTEST_SKIP() << "the demo cartridge was not built (cross tools missing)";
#elif defined(QZB_CPUZ80_IS_STANDIN)
        GTEST_SKIP() << "the sound CPU core is still a stand-in";
#else
        ASSERT_TRUE(cart::read_file(std::string(QZB_CART_IMAGE_DIR) + "/108.bin", program_));
        program_[0x13C] = 0xED; // the machine's idle hook
        program_[0x13D] = 0x02;
        writes.clear();
        command_latch = 0;
        context_.memory = program_.data();
        context_.port_read_list = kReadList;
        context_.port_write_list = kWriteList;
        sound_cpu_set_context(&context_);
        sound_cpu_reset();
        run(60000); // start-up
#endif
    }

    static void run(int cycles) {
        ASSERT_EQ(sound_cpu_run(cycles), SOUND_CPU_RUN_OK);
        sound_cpu_elapsed(1);
    }
    static void command(uint8_t value) {
        command_latch = value;
        sound_cpu_nmi();
        run(2000);
    }
    static void timer_tick() {
        sound_cpu_set_irq_line(1);
        run(4000);
    }
    static bool wrote(const ChipWrite& w) {
        for (const ChipWrite& x : writes)
            if (x == w) return true;
        return false;
    }

    std::vector<uint8_t> program_;
    SoundCpuContext context_{};
};

TEST_F(CartSoundProgram, StartsTheTimerAndWaitsInTheHookedLoop) {
    EXPECT_TRUE(wrote({0, 0x26, 220}));
    EXPECT_TRUE(wrote({0, 0x27, 0x2A}));
    EXPECT_TRUE(wrote({-1, 0x08, writes.back().value})) << "NMIs enabled last";
    writes.clear();
    run(5000);
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(machine.sound_cpu.context.pc, 0x133);
}

TEST_F(CartSoundProgram, GameMusicPlaysItsFirstRowOnTheNextTick) {
    command(0x02);
    EXPECT_TRUE(wrote({-1, 0x0C, 0x02})) << "the command is confirmed on the reply port";
    writes.clear();
    timer_tick();
    // Row 0: A4 on channel 1, A2 on channel 2, C4 and E4 on channels 4 and 5, kick and hat.
    const std::vector<ChipWrite> expected_notes = {
        {0, 0xA5, 0x24}, {0, 0xA1, 0x0E}, {0, 0x28, 0xF1}, {0, 0xA6, 0x14}, {0, 0xA2, 0x0E},
        {0, 0x28, 0xF2}, {1, 0xA5, 0x22}, {1, 0xA1, 0x69}, {0, 0x28, 0xF5}, {1, 0xA6, 0x23},
        {1, 0xA2, 0x0A}, {0, 0x28, 0xF6}, {1, 0x00, 0x05}};
    for (const ChipWrite& w : expected_notes)
        EXPECT_TRUE(wrote(w)) << w.port_pair << " " << w.reg << " " << w.value;
    EXPECT_TRUE(wrote({0, 0x27, 0x2A})) << "the timer flag is reset";
}

TEST_F(CartSoundProgram, EffectsAndVoiceStartOnTheNextTick) {
    command(0x20);
    command(0x10);
    command(0x11);
    writes.clear();
    timer_tick();
    EXPECT_TRUE(wrote({0, 0x10, 0x80})) << "ADPCM-B voice started";
    EXPECT_TRUE(wrote({1, 0x00, 0x08})) << "ADPCM-A boom started";
    bool tone = false, noise = false;
    for (const ChipWrite& w : writes) {
        tone |= w.port_pair == 0 && w.reg == 0x08 && w.value > 0;
        noise |= w.port_pair == 0 && w.reg == 0x0A && w.value > 0;
    }
    EXPECT_TRUE(tone) << "SSG channel A sounds the shot";
    EXPECT_TRUE(noise) << "SSG channel C sounds the explosion";
}

TEST_F(CartSoundProgram, StopSilencesEveryFmChannel) {
    command(0x02);
    timer_tick();
    command(0x03);
    writes.clear();
    timer_tick();
    for (const int code : {0x01, 0x02, 0x05, 0x06})
        EXPECT_TRUE(wrote({0, 0x28, code})) << code;
    writes.clear();
    for (int i = 0; i < 20; ++i)
        timer_tick();
    for (const ChipWrite& w : writes)
        EXPECT_FALSE(w.reg == 0x28 && (w.value & 0xF0)) << "no key-on after stop";
}

} // namespace
