// One second of output (22050 samples in frame-sized blocks, 16-bit stereo) with every channel
// of the chip sounding: four FM channels, six ADPCM-A, the ADPCM-B and the three SSG channels.
// The "realtime" counter is seconds of sound per second of run time (goal: at least 200).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "host/flags.h"
#include "machine.h"
#include "sound/sound.h"

namespace {

void write_first(int reg, uint8_t value) {
    chip_write(0, static_cast<uint8_t>(reg));
    chip_write(1, value);
}

void write_second(int reg, uint8_t value) {
    chip_write(2, static_cast<uint8_t>(reg));
    chip_write(3, value);
}

void fm_channel(int channel, int fnum, int block) {
    const bool second = channel >= 3;
    const int slot = channel % 3;
    auto write = [&](int reg, uint8_t value) { second ? write_second(reg, value) : write_first(reg, value); };
    write(0xB0 + slot, 0x3C); // algorithm 4, feedback 7
    write(0xB4 + slot, 0xC0);
    for (int op = 0; op < 4; ++op) {
        const int r = slot + 4 * op;
        write(0x30 + r, static_cast<uint8_t>(0x10 * op + op + 1));
        write(0x40 + r, static_cast<uint8_t>(op & 1 ? 10 : 25));
        write(0x50 + r, 0x5F);
        write(0x60 + r, 8);
        write(0x70 + r, 2);
        write(0x80 + r, 0x37);
    }
    write(0xA4 + slot, static_cast<uint8_t>(block << 3 | fnum >> 8));
    write(0xA0 + slot, static_cast<uint8_t>(fnum));
    write_first(0x28, static_cast<uint8_t>(0xF0 | (second ? 4 : 0) | slot));
}

void start_adpcm() {
    write_second(0x01, 0x3F);
    for (int c = 0; c < 6; ++c) {
        const uint32_t start = 0x10000u * static_cast<uint32_t>(c + 1);
        write_second(0x08 + c, 0xDF);
        write_second(0x10 + c, static_cast<uint8_t>(start >> 8));
        write_second(0x18 + c, static_cast<uint8_t>(start >> 16));
        write_second(0x20 + c, static_cast<uint8_t>((start + 0xFFFF) >> 8));
        write_second(0x28 + c, static_cast<uint8_t>((start + 0xFFFF) >> 16));
    }
    write_second(0x00, 0x3F);
    write_first(0x11, 0xC0);
    write_first(0x12, 0x00);
    write_first(0x13, 0x10);
    write_first(0x14, 0xFF);
    write_first(0x15, 0x1F);
    write_first(0x19, 0x00);
    write_first(0x1A, 0xC0);
    write_first(0x1B, 0xFF);
    write_first(0x10, 0x90); // repeat
}

void start_ssg() {
    write_first(0, 200);
    write_first(2, 150);
    write_first(4, 90);
    write_first(6, 12);
    write_first(7, 0x18); // tones A-C, noise on C
    write_first(8, 13);
    write_first(9, 0x10);
    write_first(10, 11);
    write_first(11, 200);
    write_first(13, 0x0E);
}

void BM_OneSecondEveryChannel(benchmark::State& state) {
    machine_reset_state();
    set_sound_clocks();
    std::vector<uint8_t> rom(0x500000);
    uint32_t seed = 12345;
    for (uint8_t& b : rom) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>(seed >> 16);
    }
    chip_initialise(8'000'000, 22050, rom.data(), rom.data(), static_cast<uint32_t>(rom.size()),
                    static_cast<uint32_t>(rom.size()), sound_timer_callback);
    machine.audio_ring.bits = 16;
    machine.audio_ring.channels = 2;
    machine.settings.audio_flags = AF_ADPCM | AF_FM_SSG | AF_16BIT | AF_STEREO;
    fm_channel(1, 1000, 4);
    fm_channel(2, 1300, 3);
    fm_channel(4, 800, 5);
    fm_channel(5, 1500, 4);
    start_ssg();
    std::vector<uint8_t> block(367 * 4);
    for (auto _ : state) {
        start_adpcm();
        for (int samples = 0; samples < 22050; samples += 367) {
            render_sound(block.data(), std::min(367, 22050 - samples));
            benchmark::DoNotOptimize(block.data());
        }
    }
    state.counters["realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    chip_free();
}

BENCHMARK(BM_OneSecondEveryChannel)->Unit(benchmark::kMillisecond);

} // namespace
