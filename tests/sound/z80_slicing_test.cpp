// The slicing with the Z80 core itself: a small sound program starts timer A and acknowledges
// each timer interrupt; the acknowledgements must come one timer period apart. Skipped while the
// core is still a stand-in (it runs nothing).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>

#include "cpuz80/cpuz80.h"
#include "sound_fixture.h"

namespace {

std::vector<int64_t> acknowledged; // frame-run cycle of each interrupt acknowledgement
int64_t frames_done = 0;

uint32_t read_chip(uint32_t port, const PortHandlerEntry*) {
    return chip_read(static_cast<int>(port & 0xFF) - 4);
}

void write_chip(uint32_t port, uint32_t value, const PortHandlerEntry*) {
    const int chip_port = static_cast<int>(port & 0xFF) - 4;
    if (chip_port == 1 && machine.sound_chip.address_a == 0x27 && (value & 0x10))
        acknowledged.push_back(frames_done * SOUND_CYCLES_PER_FRAME + machine.sound_timing.sound_time +
                               sound_cpu_elapsed(0));
    chip_write(chip_port, static_cast<uint8_t>(value));
}

const PortHandlerEntry read_list[] = {{4, 7, read_chip, nullptr, 0}, {0xFFFF, 0xFFFF, nullptr, nullptr, 0}};
const PortHandlerEntry write_list[] = {{4, 7, nullptr, write_chip, 0}, {0xFFFF, 0xFFFF, nullptr, nullptr, 0}};

void emit(std::vector<uint8_t>& code, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes)
        code.push_back(b);
}

// OUT (port),value through A.
void out(std::vector<uint8_t>& code, uint8_t port, uint8_t value) {
    emit(code, {0x3E, value, 0xD3, port});
}

class Z80SlicingTest : public SoundChipTest {
  protected:
    std::vector<uint8_t> memory = std::vector<uint8_t>(0x10000, 0);
};

TEST_F(Z80SlicingTest, TimerInterruptsComeOnePeriodApart) {
    start_chip();
    std::vector<uint8_t> code;
    emit(code, {0xF3, 0x31, 0xF0, 0xFF, 0xED, 0x56}); // DI; LD SP,FFF0; IM 1
    out(code, 4, 0x24);
    out(code, 5, 1000 >> 2); // timer A 1000: 24 counts, 1798 cycles
    out(code, 4, 0x25);
    out(code, 5, 1000 & 3);
    out(code, 4, 0x27);
    out(code, 5, 0x05);
    emit(code, {0xFB, 0x18, 0xFE}); // EI; JR $
    std::copy(code.begin(), code.end(), memory.begin());
    std::vector<uint8_t> handler;
    out(handler, 4, 0x27);
    out(handler, 5, 0x15);             // acknowledge timer A, keep it running
    emit(handler, {0xFB, 0xED, 0x4D}); // EI; RETI
    std::copy(handler.begin(), handler.end(), memory.begin() + 0x38);

    SoundCpuContext context{};
    context.memory = memory.data();
    context.port_read_list = read_list;
    context.port_write_list = write_list;
    sound_cpu_set_context(&context);
    sound_cpu_reset();
    sound_cpu_run(4);
    if (sound_cpu_elapsed(1) == 0) GTEST_SKIP() << "the Z80 core has not landed yet";
    sound_cpu_reset();

    acknowledged.clear();
    for (frames_done = 0; frames_done < 3; ++frames_done) {
        run_sound_cpu(SOUND_CYCLES_PER_FRAME, true);
        machine.sound_cpu.interrupt_accepted = 0;
        machine.sound_timing.sound_time -= SOUND_CYCLES_PER_FRAME;
    }
    const double period = 24 * 144.0 / CHIP_CLOCK * SOUND_CPU_RATE;
    ASSERT_GE(acknowledged.size(), 100u);
    // Each overflow is seen within a few instructions of its cycle; a reload starts from there.
    for (size_t i = 1; i < acknowledged.size(); ++i) {
        const double gap = static_cast<double>(acknowledged[i] - acknowledged[i - 1]);
        EXPECT_GE(gap, period - 30) << i;
        EXPECT_LE(gap, period + 30) << i;
    }
    int64_t shortest = INT64_MAX, longest = 0;
    for (size_t i = 1; i < acknowledged.size(); ++i) {
        shortest = std::min(shortest, acknowledged[i] - acknowledged[i - 1]);
        longest = std::max(longest, acknowledged[i] - acknowledged[i - 1]);
    }
    RecordProperty("shortest_gap", static_cast<int>(shortest));
    RecordProperty("longest_gap", static_cast<int>(longest));
    const double mean = static_cast<double>(acknowledged.back() - acknowledged.front()) /
                        static_cast<double>(acknowledged.size() - 1);
    EXPECT_NEAR(mean, period, period * 0.01);
}

} // namespace
