// Timers, the event queue and the slicing of the sound CPU against timer events.
#include <gtest/gtest.h>

#include <cmath>

#include "sound_fixture.h"

namespace {

class TimerTest : public SoundChipTest {
  protected:
    void SetUp() override {
        SoundChipTest::SetUp();
        start_chip();
        use_scripted_core();
        scripted.instruction = 1; // cycle-exact runs
    }

    static void set_timer_a(int value) {
        write_first(0x24, static_cast<uint8_t>(value >> 2));
        write_first(0x25, static_cast<uint8_t>(value & 3));
    }

    static int32_t next_event_time() { return machine.sound_timing.events[0].time; }
};

struct PeriodCase {
    const char* name;
    int timer; // 0 = A, 1 = B
    int value;
    double seconds; // published overflow period at 8 MHz
};

class TimerPeriodTest : public TimerTest, public ::testing::WithParamInterface<PeriodCase> {};

TEST_P(TimerPeriodTest, OverflowsEveryPeriodInSoundCpuCycles) {
    const PeriodCase& c = GetParam();
    uint8_t mode;
    if (c.timer == 0) {
        set_timer_a(c.value);
        mode = 0x05;
    } else {
        write_first(0x26, static_cast<uint8_t>(c.value));
        mode = 0x0A;
    }
    // Each overflow is acknowledged at once, so every overflow raises the line again.
    scripted.acknowledge_mode = static_cast<uint8_t>(mode | 0x30);
    write_first(0x27, mode);
    run_frames(8);
    ASSERT_GE(scripted.irq_raised.size(), 3u);
    const double cycles = c.seconds * SOUND_CPU_RATE;
    EXPECT_NEAR(static_cast<double>(scripted.irq_raised[0]), cycles, 1.0);
    for (size_t i = 1; i < scripted.irq_raised.size(); ++i)
        EXPECT_NEAR(static_cast<double>(scripted.irq_raised[i] - scripted.irq_raised[i - 1]), cycles, 1.0)
            << i;
}

INSTANTIATE_TEST_SUITE_P(Timers, TimerPeriodTest,
                         ::testing::Values(PeriodCase{"A1023", 0, 1023, 18e-6},
                                           PeriodCase{"A0", 0, 0, 1024 * 18e-6},
                                           PeriodCase{"A512", 0, 512, 512 * 18e-6},
                                           PeriodCase{"B255", 1, 255, 288e-6},
                                           PeriodCase{"B128", 1, 128, 128 * 288e-6}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TimerTest, InterruptRisesAfterFirstOverflowAndResetBitLowersIt) {
    set_timer_a(1023);
    write_first(0x27, 0x05); // load A, enable its flag
    EXPECT_EQ(chip_read(0), 0);
    EXPECT_TRUE(scripted.irq_raised.empty());
    run_sound_cpu(74, false);
    ASSERT_EQ(scripted.irq_raised.size(), 1u);
    EXPECT_EQ(scripted.irq_raised[0], 74);
    EXPECT_EQ(chip_read(0), 0x01);
    // Further overflows while raised do not raise again.
    run_sound_cpu(1000, false);
    EXPECT_EQ(scripted.irq_raised.size(), 1u);
    write_first(0x27, 0x15); // keep running, reset flag A
    EXPECT_EQ(chip_read(0), 0);
    EXPECT_EQ(scripted.irq_lowered.size(), 1u);
    EXPECT_EQ(machine.sound_chip.timer_a_running, 1);
}

TEST_F(TimerTest, OverflowWithoutFlagEnableSetsNoStatus) {
    write_first(0x26, 0xFF);
    write_first(0x27, 0x02); // run B, flag not enabled
    run_sound_cpu(5000, false);
    EXPECT_EQ(chip_read(0), 0);
    EXPECT_TRUE(scripted.irq_raised.empty());
    EXPECT_EQ(machine.sound_chip.timer_b_running, 16);
}

TEST_F(TimerTest, RepeatedStartKeepsTheRunningCountAndStopRemovesTheEvent) {
    set_timer_a(0);
    write_first(0x27, 0x01);
    const int32_t due = next_event_time();
    set_timer_a(1000);
    write_first(0x27, 0x01);
    EXPECT_EQ(machine.sound_timing.event_count, 1);
    EXPECT_EQ(next_event_time(), due);
    write_first(0x27, 0x00);
    EXPECT_EQ(machine.sound_timing.event_count, 0);
    EXPECT_EQ(machine.sound_chip.timer_a_running, 0);
}

TEST_F(TimerTest, StatusAndAddressReads) {
    chip_write(0, 0xFF);
    EXPECT_EQ(chip_read(1), 1);
    chip_write(0, 0x40);
    EXPECT_EQ(chip_read(1), 0);
    chip_write(0, 0x02);
    chip_write(1, 0xAB);
    EXPECT_EQ(chip_read(1), 0xAB);
    EXPECT_EQ(chip_read(3), 0);
}

TEST_F(TimerTest, TimerStartedMidSliceCutsTheSlice) {
    // At cycle 1000 of a frame-long slice the program starts timer A (value 1023, 74 cycles) with
    // its flag: the slice must end so the interrupt lands 74 cycles later, not at the slice end.
    scripted.instruction = 4;
    set_timer_a(1023);
    scripted.actions.push_back({1000, [] { write_first(0x27, 0x05); }});
    run_sound_cpu(SOUND_CYCLES_PER_FRAME, false);
    ASSERT_FALSE(scripted.irq_raised.empty());
    EXPECT_GE(scripted.irq_raised[0], 1000 + 74);
    EXPECT_LT(scripted.irq_raised[0], 1000 + 74 + scripted.instruction);
    EXPECT_EQ(machine.sound_timing.sound_time, SOUND_CYCLES_PER_FRAME);
}

TEST_F(TimerTest, TimerStartedMidSliceBeyondTheSliceEndLeavesItWhole) {
    write_first(0x26, 0x00); // timer B: 4096 counts, far beyond a 2000-cycle slice
    scripted.actions.push_back({1000, [] { write_first(0x27, 0x0A); }});
    run_sound_cpu(2000, false);
    ASSERT_EQ(scripted.runs.size(), 1u);
    EXPECT_EQ(scripted.runs[0], 2000);
    EXPECT_TRUE(scripted.irq_raised.empty());
}

TEST_F(TimerTest, EiPendingAddsThirteenCyclesAndTakesTheInterrupt) {
    scripted.actions.push_back({100, [] { scripted.set_ei_pending = true; }});
    run_sound_cpu(1000, false);
    EXPECT_EQ(scripted.interrupts, 1);
    // The first run ends one instruction after the EI, then 13 cycles for the interrupt.
    ASSERT_GE(scripted.runs.size(), 2u);
    EXPECT_EQ(scripted.runs[1], 1000 - (100 + 1 + 13));
}

TEST_F(TimerTest, FrameEndMovesEventsBackByOneFrame) {
    set_timer_a(0); // 76724 cycles: overflows in the next frame
    write_first(0x27, 0x01);
    scripted.instruction = 7; // the run overshoots the frame end
    run_sound_cpu(SOUND_CYCLES_PER_FRAME, true);
    EXPECT_GE(machine.sound_timing.sound_time, SOUND_CYCLES_PER_FRAME);
    EXPECT_EQ(next_event_time(), 76724 - SOUND_CYCLES_PER_FRAME);
    machine.sound_timing.sound_time -= SOUND_CYCLES_PER_FRAME; // the frame driver's step
    run_sound_cpu(SOUND_CYCLES_PER_FRAME, true);
    // Fired on the next frame at its own cycle, within one instruction.
    EXPECT_EQ(machine.sound_timing.event_count, 1);
    EXPECT_EQ(machine.sound_timing.emulated_cycles, 2 * SOUND_CYCLES_PER_FRAME);
}

TEST_F(TimerTest, HaltedSoundCpuStillLetsTimeAndTimersPass) {
    scripted.halted = true;
    set_timer_a(1023);
    write_first(0x27, 0x05);
    run_sound_cpu(SOUND_CYCLES_PER_FRAME, false);
    EXPECT_EQ(machine.sound_timing.sound_time, SOUND_CYCLES_PER_FRAME);
    ASSERT_EQ(scripted.irq_raised.size(), 1u);
    EXPECT_EQ(scripted.irq_raised[0], 74);
}

TEST_F(TimerTest, FailingSoundCpuSwitchesSoundOff) {
    machine.app.sound_enabled = 1;
    scripted.result = 0x1234;
    run_sound_cpu(SOUND_CYCLES_PER_FRAME, true);
    EXPECT_EQ(machine.app.sound_enabled, 0);
    EXPECT_EQ(scripted.runs.size(), 1u);
    run_sound_cpu(SOUND_CYCLES_PER_FRAME, true);
    EXPECT_EQ(scripted.runs.size(), 1u);
}

TEST_F(TimerTest, TargetIsLimitedToOneFrame) {
    run_sound_cpu(0x7FFFFFFF, false);
    EXPECT_EQ(machine.sound_timing.sound_time, SOUND_CYCLES_PER_FRAME);
}

TEST_F(TimerTest, CsmKeysChannelThreeOnAtEachTimerAOverflow) {
    write_first(0x28, 0xF2); // key on and off before CSM: the operators are in release
    write_first(0x28, 0x02);
    set_timer_a(1023);
    write_first(0x27, 0x81); // CSM, run A
    write_first(0x28, 0xF2); // ignored under CSM
    for (const FmOperator& op : machine.sound_chip.fm[2].op)
        EXPECT_EQ(op.state, ENV_RELEASE);
    run_sound_cpu(74, false);
    for (const FmOperator& op : machine.sound_chip.fm[2].op)
        EXPECT_EQ(op.state, ENV_ATTACK);
}

TEST_F(TimerTest, CsmHoldsChannelThreeLevelUntilTheTimerKeyOn) {
    write_first(0x4E, 0x10); // operator 4 of channel 3 before CSM: applies at once
    EXPECT_EQ(machine.sound_chip.fm[2].op[3].tl, (0x10 * 0x81000) >> 14);
    set_timer_a(1023);
    write_first(0x27, 0x81);
    write_first(0x4E, 0x7F);
    EXPECT_EQ(machine.sound_chip.fm[2].op[3].tl, (0x10 * 0x81000) >> 14);
    run_sound_cpu(74, false);
    EXPECT_EQ(machine.sound_chip.fm[2].op[3].tl, 4095);
}

TEST_F(TimerTest, SecondInitialisationFails) {
    EXPECT_EQ(chip_initialise(CHIP_CLOCK, OUTPUT_RATE, rom.data(), rom.data(), 16, 16, sound_timer_callback),
              0);
    EXPECT_EQ(machine.sound_chip.adpcm_a_length, rom.size());
}

class EventQueueTest : public SoundChipTest {};

void no_op(int32_t) {}

TEST_F(EventQueueTest, KeepsTimeOrderWithEqualTimesInInsertionOrder) {
    const uint32_t late = sound_event_insert(500, 1, no_op);
    const uint32_t early = sound_event_insert(100, 2, no_op);
    const uint32_t tie = sound_event_insert(500, 3, no_op);
    const SoundTiming& t = machine.sound_timing;
    ASSERT_EQ(t.event_count, 3);
    EXPECT_EQ(t.events[0].handle, early);
    EXPECT_EQ(t.events[1].handle, late);
    EXPECT_EQ(t.events[2].handle, tie);
    sound_event_remove(late);
    ASSERT_EQ(t.event_count, 2);
    EXPECT_EQ(t.events[1].handle, tie);
    sound_event_remove(12345); // unknown handles are ignored
    EXPECT_EQ(t.event_count, 2);
}

TEST_F(EventQueueTest, ThirtyThirdEventIsNotQueued) {
    uint32_t last = 0;
    for (int i = 0; i < 33; ++i) {
        const uint32_t handle = sound_event_insert(i, i, no_op);
        EXPECT_GT(handle, last);
        last = handle;
    }
    EXPECT_EQ(machine.sound_timing.event_count, 32);
    EXPECT_EQ(machine.sound_timing.events[31].argument, 31);
}

} // namespace
