#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/frame.h"
#include "board/board.h"
#include "cpu68k/cpu68k.h"
#include "host/platform/headless/headless.h"
#include "machine.h"
#include "menu/menu.h"
#include "support/machine_fixture.h"

namespace {

// Counter ticks of the headless clock per timer tick (0.1 ms).
constexpr uint64_t COUNTER_PER_TICK = HEADLESS_COUNTER_FREQUENCY / 10'000;

void poke_word(uint8_t* block, uint32_t offset, uint16_t value) {
    std::memcpy(block + offset, &value, 2);
}

// A board whose program waits in a loop, with the timer running from the scripted clock.
class FrameDriverTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        machine.roms.program_rom_size = PROGRAM_ROM_IMAGE_SIZE;
        uint8_t* rom = machine.roms.program_rom;
        poke_word(rom, 0, 0x0010);
        poke_word(rom, 2, 0xF000); // initial stack pointer
        poke_word(rom, 4, 0x0000);
        poke_word(rom, 6, 0x0400);     // initial PC
        poke_word(rom, 0x400, 0x60FE); // BRA.S to itself
        fill_handler_tables();
        main_cpu_reset();
    }

    void start_timer() {
        timer_init();
        reset_pacing();
    }

    // Runs frame_step `calls` times; returns the frames emulated by each call.
    static std::vector<int> run_steps(int calls) {
        std::vector<int> emulated;
        for (int i = 0; i < calls; ++i) {
            const uint64_t before = machine.app.frame.frames_emulated;
            frame_step();
            emulated.push_back(static_cast<int>(machine.app.frame.frames_emulated - before));
        }
        return emulated;
    }

    static void hold_escape(bool down) {
        uint8_t keys[256] = {};
        keys[1] = down ? 0x80 : 0;
        headless_set_keyboard(keys);
        machine.host.input.keyboard[1] = keys[1];
    }
};

TEST_F(FrameDriverTest, FastHostRuns60FramesIn9990Ticks) {
    start_timer();
    frame_step();
    const uint64_t first = headless_clock_value();
    const uint32_t first_due = machine.app.frame.next_frame_time;
    const std::vector<int> emulated = run_steps(60);
    const uint64_t elapsed = headless_clock_value() - first;
    EXPECT_NEAR(static_cast<double>(elapsed), 9'990.0 * COUNTER_PER_TICK, 2.0 * COUNTER_PER_TICK);
    EXPECT_EQ(machine.app.frame.next_frame_time - first_due, 9'990u);
    EXPECT_TRUE(std::all_of(emulated.begin(), emulated.end(), [](int n) { return n == 1; }));
    EXPECT_EQ(machine.app.frame.frames_drawn, 61u);
    EXPECT_EQ(machine.board.pulse_counter, 61u);
    // The wait sleeps while more than 2 ms remain, 2 ms at a time, and spins the rest.
    EXPECT_GE(headless_slept_milliseconds(), 60u * 7);
    EXPECT_LE(headless_slept_milliseconds(), 60u * 17);
}

TEST_F(FrameDriverTest, MillisecondClockPacesTheSame) {
    headless_set_counter_available(false);
    start_timer();
    EXPECT_EQ(machine.app.frame.use_counter, 0);
    EXPECT_EQ(machine.app.frame.timer_frequency, 1000);
    frame_step();
    const uint64_t first = headless_clock_value();
    run_steps(60);
    EXPECT_NEAR(static_cast<double>(headless_clock_value() - first), 9'990.0 * COUNTER_PER_TICK,
                12.0 * COUNTER_PER_TICK);
}

// A slow host, modelled by a clock that moves a fixed time at every reading of the timer (the
// driver reads it about once per emulated frame and once per drawn frame).
struct SlowHostCase {
    const char* what;
    uint64_t ms_per_reading;
    bool keeps_full_speed;
    int longest_undrawn_run; // undrawn frames in a row at most
};

std::ostream& operator<<(std::ostream& out, const SlowHostCase& c) {
    return out << c.what;
}

class SlowHostTest : public FrameDriverTest, public ::testing::WithParamInterface<SlowHostCase> {};

TEST_P(SlowHostTest, DrawsFewerFramesAndNeverSkipsMoreThanTen) {
    const SlowHostCase& c = GetParam();
    start_timer();
    headless_clock_set_auto_advance(c.ms_per_reading * 10 * COUNTER_PER_TICK);
    const uint64_t start = headless_clock_value();
    const std::vector<int> emulated = run_steps(120);
    int longest = 0;
    int total = 0;
    for (int n : emulated) {
        longest = std::max(longest, n - 1);
        total += n;
    }
    EXPECT_EQ(longest, c.longest_undrawn_run);
    EXPECT_GT(total, 120) << "some frames were not drawn";
    const double elapsed_frames =
        static_cast<double>(headless_clock_value() - start) / (166.5 * COUNTER_PER_TICK);
    if (c.keeps_full_speed)
        EXPECT_NEAR(total, elapsed_frames, 3.0) << "the board runs at full speed";
    else
        EXPECT_LT(total, elapsed_frames);
    EXPECT_EQ(headless_slept_milliseconds(), 0u) << "a late host never waits";
}

INSTANTIATE_TEST_SUITE_P(Hosts, SlowHostTest,
                         ::testing::Values(SlowHostCase{"draws at about half speed", 10, true, 1},
                                           SlowHostCase{"cannot even emulate at full speed", 50, false, 10}));

TEST_F(FrameDriverTest, EscapeOpensTheMenuOnTheFirstFrameOfThePressWithoutPacing) {
    start_timer();
    frame_step();
    const uint32_t due = machine.app.frame.next_frame_time;
    const int32_t cycle = machine.app.frame.frames_in_cycle;
    headless_clock_advance(300 * COUNTER_PER_TICK); // the frame is late: no wait
    hold_escape(true);
    EXPECT_EQ(run_steps(1), std::vector<int>{1}) << "the frame of the press is still emulated";
    EXPECT_EQ(machine.app.frame.frames_drawn, 2u);
    EXPECT_EQ(machine.app.frame.next_frame_time, due);
    EXPECT_EQ(machine.app.frame.frames_in_cycle, cycle);
    EXPECT_EQ(machine.app.frame.escape_armed, 0);
    EXPECT_EQ(machine.menu.menu_open, 1);
}

// Escape still held after the menu closed: frames are emulated and drawn but the due time stays,
// so once the key is up the board catches up; the menu waits for a release before it reopens.
TEST_F(FrameDriverTest, HeldEscapeLeavesTheDueTimeAndDoesNotReopenTheMenu) {
    start_timer();
    hold_escape(true);
    frame_step();
    ASSERT_EQ(machine.menu.menu_open, 1);
    menu_leave();
    const uint32_t due = machine.app.frame.next_frame_time;
    headless_clock_advance(300 * COUNTER_PER_TICK);
    EXPECT_EQ(run_steps(5), (std::vector<int>{1, 1, 1, 1, 1}));
    EXPECT_EQ(machine.app.frame.next_frame_time, due);
    EXPECT_EQ(machine.menu.menu_open, 0);
    EXPECT_EQ(headless_slept_milliseconds(), 0u);

    hold_escape(false);
    frame_step();
    EXPECT_EQ(machine.app.frame.escape_armed, 1);
    EXPECT_NE(machine.app.frame.next_frame_time, due) << "pacing resumes";
}

TEST_F(FrameDriverTest, OpenMenuFreezesTheBoard) {
    start_timer();
    frame_step();
    machine.menu.menu_open = 1;
    machine.board.player1 = 0x12;
    const uint32_t pulses = machine.board.pulse_counter;
    const int32_t cycles_left = machine.main_cpu.cycles_left;
    run_steps(10);
    EXPECT_EQ(machine.board.pulse_counter, pulses);
    EXPECT_EQ(machine.app.frame.frames_emulated, 1u);
    EXPECT_EQ(machine.app.frame.frames_drawn, 11u);
    EXPECT_EQ(machine.board.player1, 0x12) << "no input poll";
    EXPECT_EQ(machine.main_cpu.cycles_left, cycles_left);
    EXPECT_EQ(headless_slept_milliseconds(), 0u) << "nothing waits while the menu is open";
}

TEST_F(FrameDriverTest, EmulatedFrameResetsTheInputBytesToIdle) {
    machine.board.player1 = 0x00;
    machine.board.player2 = 0x01;
    machine.board.start_select = 0x02;
    machine.board.coin = 0x00;
    emulate_frame();
    EXPECT_EQ(machine.board.player1, 0xFF);
    EXPECT_EQ(machine.board.player2, 0xFF);
    EXPECT_EQ(machine.board.start_select, 0xFF);
    EXPECT_EQ(machine.board.coin, 0x03);
    EXPECT_EQ(machine.board.pulse_counter, 1u);
}

// The low 32 bits of the counter wrap (every 429.5 s at 10 MHz): the timer jumps back by about
// 4.29 million ticks. The wait must end at once and pacing resume from there.
TEST_F(FrameDriverTest, TimerWrapNeverHangsTheWait) {
    headless_clock_set((uint64_t{1} << 32) - 50 * 10 * COUNTER_PER_TICK); // 50 ms before the wrap
    // One tick per reading keeps a wait for the old due time short enough to be measured here.
    headless_clock_set_auto_advance(COUNTER_PER_TICK);
    start_timer();
    run_steps(10);
    EXPECT_LT(headless_clock_value(), (uint64_t{1} << 32) + 200 * 10 * COUNTER_PER_TICK)
        << "the frames after the wrap did not wait for the old due time";
    const uint64_t before = headless_clock_value();
    const std::vector<int> emulated = run_steps(20);
    EXPECT_NEAR(static_cast<double>(headless_clock_value() - before), 20 * 166.5 * COUNTER_PER_TICK,
                170.0 * COUNTER_PER_TICK);
    EXPECT_TRUE(std::all_of(emulated.begin(), emulated.end(), [](int n) { return n == 1; }));
}

TEST_F(FrameDriverTest, TimerInitRunsOnce) {
    timer_init();
    machine.app.frame.frame_period = 167;
    headless_set_counter_available(false);
    timer_init();
    EXPECT_EQ(machine.app.frame.use_counter, 1);
    EXPECT_EQ(machine.app.frame.frame_period, 167);
}

} // namespace
