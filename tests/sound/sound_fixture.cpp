#include "sound_fixture.h"

#include <cstdlib>
#include <cstring>
#include <numeric>

ScriptedCore scripted;

namespace {

uint32_t scripted_run(int32_t cycles) {
    ScriptedCore& s = scripted;
    s.runs.push_back(cycles);
    machine.sound_cpu.ei_pending = 0;
    s.budget = s.cycles_left + cycles;
    s.cut_off = 0;
    s.cycles_left = s.budget;
    if (s.result != 0x80000000u) return s.result;
    if (s.halted) {
        s.budget = s.cycles_left = 0;
        return 0x80000000u;
    }
    do {
        s.cycles_left -= s.instruction;
        while (s.next_action < s.actions.size() && s.actions[s.next_action].cycle <= scripted_now())
            s.actions[s.next_action++].perform();
        if (s.set_ei_pending) {
            s.set_ei_pending = false;
            machine.sound_cpu.ei_pending = 1;
            s.cut_off += s.cycles_left;
            s.cycles_left = 0;
            s.cycles_left -= s.instruction; // the one instruction after EI
            break;
        }
    } while (s.cycles_left > 0);
    return 0x80000000u;
}

int32_t scripted_elapsed(int clear) {
    ScriptedCore& s = scripted;
    const int32_t v = s.budget - s.cycles_left - s.cut_off;
    if (clear) s.budget = s.cycles_left = s.cut_off = 0;
    return v;
}

void scripted_release() {
    ScriptedCore& s = scripted;
    if (s.cycles_left >= 0) {
        s.budget -= s.cycles_left;
        s.cycles_left = 0;
    }
}

int scripted_interrupt(int) {
    ++scripted.interrupts;
    return 0;
}

void scripted_irq(int level) {
    (level ? scripted.irq_raised : scripted.irq_lowered).push_back(scripted.frame_base + scripted_now());
    if (level && scripted.acknowledge_mode) write_first(0x27, scripted.acknowledge_mode);
}

const SoundCpuCalls scripted_calls = {scripted_run, scripted_elapsed, scripted_release, scripted_interrupt,
                                      scripted_irq};

} // namespace

int32_t scripted_now() {
    const SoundTiming& t = machine.sound_timing;
    return t.sound_time + (t.in_run ? scripted.budget - scripted.cycles_left - scripted.cut_off : 0);
}

void run_frames(int count) {
    for (int i = 0; i < count; ++i) {
        run_sound_cpu(SOUND_CYCLES_PER_FRAME, true);
        machine.sound_timing.sound_time -= SOUND_CYCLES_PER_FRAME;
        scripted.frame_base += SOUND_CYCLES_PER_FRAME;
    }
}

void use_scripted_core() {
    scripted = ScriptedCore{};
    machine.sound_timing.cpu = &scripted_calls;
}

void SoundChipTest::SetUp() {
    MachineTest::SetUp();
    set_sound_clocks();
    scripted = ScriptedCore{};
}

void SoundChipTest::start_chip() {
    ASSERT_EQ(chip_initialise(CHIP_CLOCK, OUTPUT_RATE, rom.data(), rom.data(),
                              static_cast<uint32_t>(rom.size()), static_cast<uint32_t>(rom.size()),
                              sound_timer_callback),
              1);
}

void SoundChipTest::TearDown() {
    chip_free();
    std::free(machine.audio_ring.ring);
    machine.audio_ring.ring = nullptr;
    machine.sound_timing.cpu = nullptr;
    MachineTest::TearDown();
}

void write_first(int reg, uint8_t value) {
    chip_write(0, static_cast<uint8_t>(reg));
    chip_write(1, value);
}

void write_second(int reg, uint8_t value) {
    chip_write(2, static_cast<uint8_t>(reg));
    chip_write(3, value);
}

std::vector<int16_t> SoundChipTest::render16(int32_t count, int32_t channels, uint32_t flags) {
    machine.audio_ring.bits = 16;
    machine.audio_ring.channels = channels;
    machine.settings.audio_flags = flags | AF_16BIT | (channels == 2 ? AF_STEREO : 0);
    std::vector<int16_t> out(static_cast<size_t>(count * channels));
    render_sound(reinterpret_cast<uint8_t*>(out.data()), count);
    return out;
}

std::vector<uint8_t> SoundChipTest::render8(int32_t count, int32_t channels, uint32_t flags) {
    machine.audio_ring.bits = 8;
    machine.audio_ring.channels = channels;
    machine.settings.audio_flags = flags | (channels == 2 ? AF_STEREO : 0);
    std::vector<uint8_t> out(static_cast<size_t>(count * channels));
    render_sound(out.data(), count);
    return out;
}

std::vector<int16_t> SoundChipTest::lane(const std::vector<int16_t>& stereo, int which) {
    std::vector<int16_t> out;
    for (size_t i = static_cast<size_t>(which); i < stereo.size(); i += 2)
        out.push_back(stereo[i]);
    return out;
}

double measured_frequency(const std::vector<int16_t>& samples, double rate) {
    if (samples.size() < 2) return 0;
    const double mean =
        std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(samples.size());
    double first = -1, last = -1;
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        const double a = samples[i - 1] - mean, b = samples[i] - mean;
        if (a < 0 && b >= 0) {
            const double at = static_cast<double>(i - 1) + a / (a - b);
            if (first < 0)
                first = at;
            else
                ++crossings;
            last = at;
        }
    }
    return crossings > 0 ? crossings * rate / (last - first) : 0;
}
