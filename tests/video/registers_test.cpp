// The register page, the animation counters, the line counter and the busy-wait patch.
#include <gtest/gtest.h>

#include <cstring>

#include "video/video.h"
#include "video_fixture.h"

namespace {

constexpr uint32_t PAGE = 0x3C0000;

class VideoRegisters : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        machine.video.animation_speed = 4;
    }
};

struct WordReadCase {
    uint32_t offset;
    uint32_t expected; // 0x10000 = the video RAM word, 0x20000 = the modulo
};

class WordReads : public VideoRegisters, public ::testing::WithParamInterface<WordReadCase> {};

TEST_P(WordReads, ReturnTheRegisterChosenByAddressBits3To1) {
    machine.video.vram[0x1234] = 0xBEEF;
    machine.video.vram_address = 0x1234;
    machine.video.vram_modulo = 0x0021;
    uint32_t expected = GetParam().expected == 0x10000   ? 0xBEEF
                        : GetParam().expected == 0x20000 ? 0x0021
                                                         : GetParam().expected;
    EXPECT_EQ(video_register_read_word(PAGE + GetParam().offset), expected);
    EXPECT_EQ(machine.video.vram_address, 0x1234) << "reads never move the address";
}

INSTANTIATE_TEST_SUITE_P(Offsets, WordReads,
                         ::testing::Values(WordReadCase{0x0, 0x10000}, WordReadCase{0x2, 0x10000},
                                           WordReadCase{0xA, 0x10000}, WordReadCase{0x4, 0x20000},
                                           WordReadCase{0x8, 0xFFFF}, WordReadCase{0xC, 0xFFFF},
                                           WordReadCase{0xE, 0xFFFF},
                                           WordReadCase{0xFFF2, 0x10000}, // mirrored across the page
                                           WordReadCase{0x1014, 0x20000}));

TEST_F(VideoRegisters, LongReadsPairTheWordsOfEachOffset) {
    machine.video.vram[7] = 0x1111;
    machine.video.vram_address = 7;
    machine.video.vram_modulo = 0x2222;
    machine.main_cpu.cycles_left = 200000; // line counter 0x8000
    machine.video.animation_counter_a = 3;
    EXPECT_EQ(video_register_read_long(PAGE + 0x0), 0x11111111u);
    EXPECT_EQ(video_register_read_long(PAGE + 0x2), 0x11112222u);
    EXPECT_EQ(video_register_read_long(PAGE + 0x4), 0x22228003u);
    EXPECT_EQ(video_register_read_long(PAGE + 0x6), 0x80031111u);
    for (uint32_t offset : {0x8u, 0xAu, 0xCu, 0xEu})
        EXPECT_EQ(video_register_read_long(PAGE + offset), 0xFFFFFFFFu) << offset;
}

TEST_F(VideoRegisters, DataWritesStepByTheModuloAndWrapAt64K) {
    video_register_write_word(PAGE + 0x0, 0xFFFF);
    video_register_write_word(PAGE + 0x4, 1);
    video_register_write_word(PAGE + 0x2, 0xAAAA);
    video_register_write_word(PAGE + 0x2, 0xBBBB);
    EXPECT_EQ(machine.video.vram[0xFFFF], 0xAAAA);
    EXPECT_EQ(machine.video.vram[0x0000], 0xBBBB);
    EXPECT_EQ(machine.video.vram_address, 1);

    video_register_write_word(PAGE + 0x0, 0x0010);
    video_register_write_word(PAGE + 0x4, 0xFFFF); // steps backwards
    video_register_write_word(PAGE + 0x2, 1);
    video_register_write_word(PAGE + 0x2, 2);
    EXPECT_EQ(machine.video.vram[0x10], 1);
    EXPECT_EQ(machine.video.vram[0x0F], 2);
}

TEST_F(VideoRegisters, WordWritesActOnlyAtTheExactOffsets) {
    video_register_write_word(PAGE + 0x10, 0x1234); // a mirror of the address register
    video_register_write_word(PAGE + 0xC, 0x1234);
    EXPECT_EQ(machine.video.vram_address, 0);
    video_register_write_word(PAGE + 0x8, 0x1234);
    video_register_write_word(PAGE + 0xA, 0x5678);
    EXPECT_EQ(machine.video.raster_timer, 0x12345678u);
    EXPECT_EQ(machine.video.vram[0], 0) << "offset 0xA sets the timer, it does not write data";
}

TEST_F(VideoRegisters, LongWritesSplitIntoTheirTwoWords) {
    video_register_write_long(PAGE + 0x4, 0x00010000); // modulo 1, mode 0 (unchanged)
    video_register_write_long(PAGE + 0x0, 0x01005555); // address 0x100, data 0x5555
    EXPECT_EQ(machine.video.vram[0x100], 0x5555);
    video_register_write_long(PAGE + 0x2, 0x66660002); // data at 0x101, then modulo 2
    EXPECT_EQ(machine.video.vram[0x101], 0x6666);
    EXPECT_EQ(machine.video.vram_modulo, 2);
    EXPECT_EQ(machine.video.vram_address, 0x102);
    video_register_write_long(PAGE + 0x6, 0x0700FFFF); // mode from the high word only
    EXPECT_EQ(machine.video.mode, 0x0700);
    EXPECT_EQ(machine.video.animation_speed, 7);
    video_register_write_long(PAGE + 0x8, 0xCAFEF00D);
    EXPECT_EQ(machine.video.raster_timer, 0xCAFEF00Du);
    video_register_write_long(PAGE + 0xA, 0x12345678); // ignored
    EXPECT_EQ(machine.video.raster_timer, 0xCAFEF00Du);
}

TEST_F(VideoRegisters, RepeatedModeWritesAndZeroSpeedsChangeNothing) {
    video_register_write_word(PAGE + 0x6, 0x0800);
    EXPECT_EQ(machine.video.animation_speed, 8);
    machine.video.animation_counter_a = 5;
    video_register_write_word(PAGE + 0x6, 0x0800); // the same value: no effect at all
    EXPECT_EQ(machine.video.animation_counter_a, 5);
    video_register_write_word(PAGE + 0x6, 0x0012); // high byte 0 keeps the speed
    EXPECT_EQ(machine.video.animation_speed, 8);
    EXPECT_EQ(machine.video.animation_counter_a, 5);
    video_register_write_word(PAGE + 0x6, 0x0812); // same speed: counter kept
    EXPECT_EQ(machine.video.animation_counter_a, 5);
}

TEST_F(VideoRegisters, ASpeedChangeResetsCounterAButNotTheFrameCount) {
    for (int i = 0; i < 3; ++i) video_frame_tick(); // frame count 3 of 4
    EXPECT_EQ(machine.video.animation_frame_count, 3);
    video_register_write_word(PAGE + 0x6, 0x0200);
    EXPECT_EQ(machine.video.animation_counter_a, 0);
    video_frame_tick(); // 2 <= 3: steps at once
    EXPECT_EQ(machine.video.animation_counter_a, 1);
}

TEST_F(VideoRegisters, AnimationCountersRunTheirCycles) {
    machine.video.animation_speed = 1;
    std::vector<int> a, b;
    for (int i = 0; i < 14; ++i) {
        video_frame_tick();
        a.push_back(machine.video.animation_counter_a);
        b.push_back(machine.video.animation_counter_b);
    }
    // The first tick only counts the frame (count 0 < speed 1).
    EXPECT_EQ(a, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5}));
    EXPECT_EQ(b, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 1}));
}

TEST_F(VideoRegisters, AnimationStepsEverySpeedFrames) {
    machine.video.animation_speed = 3;
    std::vector<int> a;
    for (int i = 0; i < 9; ++i) {
        video_frame_tick();
        a.push_back(machine.video.animation_counter_a);
    }
    EXPECT_EQ(a, (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2}));
}

struct LineCase {
    int32_t cycles_left;
    uint8_t counter_a;
    uint16_t expected;
};

class LineCounter : public VideoRegisters, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineCounter, FollowsTheLiveCycleCount) {
    machine.main_cpu.cycles_left = GetParam().cycles_left;
    machine.video.animation_counter_a = GetParam().counter_a;
    EXPECT_EQ(video_register_read_word(PAGE + 0x6), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, LineCounter,
                         ::testing::Values(LineCase{200000, 0, 0x8000}, LineCase{200000, 5, 0x8005},
                                           LineCase{0, 0, 0xFE80}, LineCase{0, 8, 0xFE80},
                                           LineCase{100000, 0, 0xBF00}, // 16210 = 0x3F52
                                           LineCase{208333, 7, 0xFA87})); // wraps near the top

// The busy-wait patch over a program in the ROM image, the main CPU stopped at `pc`.
class BusyWaitPatch : public VideoRegisters {
  protected:
    void put(uint32_t offset, uint16_t word) {
        std::memcpy(machine.roms.program_rom + offset, &word, 2);
    }
    uint16_t word_at(uint32_t offset) {
        uint16_t w;
        std::memcpy(&w, machine.roms.program_rom + offset, 2);
        return w;
    }
    void stop_at(uint32_t offset) { machine.main_cpu.pc_pointer = machine.roms.program_rom + offset; }
    // Frames until the word at `offset` changed (0 = never within 20 frames).
    int frames_until_patched(uint32_t offset) {
        uint16_t before = word_at(offset);
        for (int frame = 1; frame <= 20; ++frame) {
            video_frame_tick();
            if (word_at(offset) != before) return frame;
        }
        return 0;
    }
};

TEST_F(BusyWaitPatch, CountDownLoopBecomesAReturnAtOnce) {
    put(0x1000, 0x5380);
    put(0x1002, 0x64FC);
    stop_at(0x1002); // on the branch
    video_frame_tick();
    EXPECT_EQ(word_at(0x1002), 0x4E75);
    EXPECT_EQ(word_at(0x1000), 0x5380);

    put(0x2000, 0x5380);
    put(0x2002, 0x64FC);
    stop_at(0x2000); // on the subtraction
    video_frame_tick();
    EXPECT_EQ(word_at(0x2000), 0x4E75);
}

struct BranchCase {
    uint16_t word;
    uint16_t next;
    uint16_t patched; // 0 = left alone
};

class BranchPatch : public BusyWaitPatch, public ::testing::WithParamInterface<BranchCase> {};

TEST_P(BranchPatch, FiresOnTheSeventhFrameAtTheSamePosition) {
    put(0x4000, GetParam().word);
    put(0x4002, GetParam().next);
    stop_at(0x4000);
    int frame = frames_until_patched(0x4000);
    if (GetParam().patched == 0) {
        EXPECT_EQ(frame, 0);
    } else {
        EXPECT_EQ(frame, 7);
        EXPECT_EQ(word_at(0x4000), GetParam().patched);
        EXPECT_EQ(frames_until_patched(0x4000), 0) << "a patched word is no branch any more";
    }
}

INSTANTIATE_TEST_SUITE_P(Branches, BranchPatch,
                         ::testing::Values(BranchCase{0x60FE, 0x0000, 0xA0FE},  // bra.s *
                                           BranchCase{0x67F8, 0x0000, 0xA7F8},  // beq.s back 8
                                           BranchCase{0x6600, 0xFFF8, 0xA600},  // bne.w back
                                           BranchCase{0x61FE, 0x0000, 0xA1FE},  // bsr is not excluded
                                           BranchCase{0x60F6, 0x0000, 0},       // too far back
                                           BranchCase{0x6010, 0x0000, 0},       // forward
                                           BranchCase{0x4E71, 0x00FE, 0}));     // not a branch

TEST_F(BusyWaitPatch, MovingElsewhereRestartsTheCount) {
    put(0x4000, 0x60FE);
    stop_at(0x4000);
    for (int i = 0; i < 5; ++i) video_frame_tick();
    stop_at(0x5000);
    video_frame_tick();
    stop_at(0x4000);
    EXPECT_EQ(frames_until_patched(0x4000), 7);
}

TEST_F(BusyWaitPatch, PositionsOutsideTheProgramImageAreNeverTouched) {
    uint8_t elsewhere[8] = {0x80, 0x53, 0xFC, 0x64, 0xFE, 0x60, 0, 0};
    machine.main_cpu.pc_pointer = elsewhere + 2;
    for (int i = 0; i < 10; ++i) video_frame_tick();
    EXPECT_EQ(elsewhere[2], 0xFC);
    EXPECT_EQ(elsewhere[3], 0x64);
    // The last word of the image: the word after it is not read, the word itself may be patched.
    uint32_t last = sizeof machine.roms.program_rom - 2;
    put(last, 0x6000);
    stop_at(last);
    EXPECT_EQ(frames_until_patched(last), 0);
    put(last, 0x60FE);
    EXPECT_EQ(frames_until_patched(last), 1) << "the count is already past 6";
    machine.main_cpu.pc_pointer = nullptr;
    video_frame_tick();
}

} // namespace
