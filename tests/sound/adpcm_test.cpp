// ADPCM-A and ADPCM-B: round trips through encoders written here from the decoding rules, end
// flags with their mask, repeat, addressing at the sample ROM's limits, attenuation and declick.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "sound_fixture.h"

namespace {

constexpr uint32_t DATA = 0x100; // byte address of the test samples in the ROM

// ADPCM-A: 49 rows of steps floor(16 × 1.1^i); a nibble adds floor(step × (2m + 1) / 8), m its
// low three bits, negated by bit 3; the row moves by -1, -1, -1, -1, +2, +5, +7, +9.
struct AdpcmAEncoder {
    int signal = 0, row = 0;
    static int delta(int row, int n) {
        const int step = static_cast<int>(std::floor(16.0 * std::pow(1.1, row)));
        const int d = step * (2 * (n & 7) + 1) / 8;
        return (n & 8) ? -d : d;
    }
    int apply(int n) {
        static constexpr int MOVE[8] = {-1, -1, -1, -1, 2, 5, 7, 9};
        signal = std::clamp(signal + delta(row, n), -1024, 1023);
        row = std::clamp(row + MOVE[n & 7], 0, 48);
        return signal;
    }
    int encode(int target) {
        int best = 0, best_error = 1 << 30;
        for (int n = 0; n < 16; ++n) {
            const int error = std::abs(std::clamp(signal + delta(row, n), -1024, 1023) - target);
            if (error < best_error) best = n, best_error = error;
        }
        apply(best);
        return best;
    }
};

// ADPCM-B: a nibble adds (1, 3, ... 15, -1, ... -15)[n] × (step size >> 3), then the step size
// scales by (57, 57, 57, 57, 77, 102, 128, 153)[n & 7] / 64 within 127 … 24576.
struct AdpcmBEncoder {
    int signal = 0, step_size = 127;
    static int next_signal(int signal, int step_size, int n) {
        const int magnitude = 2 * (n & 7) + 1;
        return std::clamp(signal + ((n & 8) ? -magnitude : magnitude) * (step_size >> 3), -32768, 32767);
    }
    int encode(int target) {
        static constexpr int SCALE[8] = {57, 57, 57, 57, 77, 102, 128, 153};
        int best = 0, best_error = 1 << 30;
        for (int n = 0; n < 16; ++n) {
            const int error = std::abs(next_signal(signal, step_size, n) - target);
            if (error < best_error) best = n, best_error = error;
        }
        signal = next_signal(signal, step_size, best);
        step_size = std::clamp((step_size * SCALE[best & 7]) >> 6, 127, 24576);
        return best;
    }
};

void put_nibbles(std::vector<uint8_t>& rom, uint32_t at, const std::vector<int>& nibbles) {
    for (size_t i = 0; i < nibbles.size(); ++i) {
        uint8_t& byte = rom[at + i / 2];
        byte = (i & 1) ? static_cast<uint8_t>((byte & 0xF0) | nibbles[i])
                       : static_cast<uint8_t>(nibbles[i] << 4);
    }
}

class AdpcmTest : public SoundChipTest {
  protected:
    // ADPCM-A channel c over [start, end] bytes (multiples of 256 for the start), loudest, both sides.
    static void setup_a(int c, uint32_t start, uint32_t end, uint8_t level = 0xDF) {
        write_second(0x01, 0x3F);
        write_second(0x08 + c, level);
        write_second(0x10 + c, static_cast<uint8_t>(start >> 8));
        write_second(0x18 + c, static_cast<uint8_t>(start >> 16));
        write_second(0x20 + c, static_cast<uint8_t>(end >> 8));
        write_second(0x28 + c, static_cast<uint8_t>(end >> 16));
    }

    static void setup_b(uint32_t start, uint32_t end, int delta_n, uint8_t volume = 0xFF) {
        write_first(0x11, 0xC0);
        write_first(0x12, static_cast<uint8_t>(start >> 8));
        write_first(0x13, static_cast<uint8_t>(start >> 16));
        write_first(0x14, static_cast<uint8_t>(end >> 8));
        write_first(0x15, static_cast<uint8_t>(end >> 16));
        write_first(0x19, static_cast<uint8_t>(delta_n));
        write_first(0x1A, static_cast<uint8_t>(delta_n >> 8));
        write_first(0x1B, volume);
    }

    static std::vector<int16_t> render_adpcm(int32_t count) { return lane(render16(count, 2, AF_ADPCM), 0); }
};

TEST_F(AdpcmTest, AdpcmARoundTripFollowsTheWaveform) {
    constexpr int NIBBLES = 2 * 0x1000;
    AdpcmAEncoder encoder;
    std::vector<int> nibbles;
    std::vector<int> wave, decoded;
    for (int k = 0; k < NIBBLES; ++k) {
        const int target = static_cast<int>(std::lround(900 * std::sin(2 * M_PI * k / 60.0)));
        wave.push_back(target);
        nibbles.push_back(encoder.encode(target));
        decoded.push_back(encoder.signal);
    }
    put_nibbles(rom, DATA, nibbles);
    start_chip();
    setup_a(0, DATA, DATA + 0x0FFF);
    write_second(0x00, 0x01);
    const int32_t count = 9000; // fewer than the sample's nibbles at 0.84 per output sample
    const auto out = render_adpcm(count);

    int worst = 0;
    for (int k = 30; k < NIBBLES; ++k)
        worst = std::max(worst, std::abs(decoded[k] - wave[k]));
    RecordProperty("worst_error", worst);
    EXPECT_LE(worst, 40) << "encoder error against the waveform";
    // The chip holds each decoded value until the next nibble is due, at full volume ×16.
    for (int32_t i = 0; i < count; ++i) {
        const auto consumed = static_cast<int64_t>((static_cast<uint64_t>(i) + 1) * 0x6B7D0000u >> 31);
        const int signal = consumed == 0 ? 0 : decoded[static_cast<size_t>(consumed - 1)];
        ASSERT_EQ(out[static_cast<size_t>(i)], (signal * 65535) >> 12) << "sample " << i;
    }
}

TEST_F(AdpcmTest, AdpcmBRoundTripFollowsTheWaveform) {
    constexpr int NIBBLES = 2 * 0x1000;
    AdpcmBEncoder encoder;
    std::vector<int> nibbles;
    std::vector<double> wave;
    for (int k = 0; k < NIBBLES; ++k) {
        const double target = 20000 * std::sin(2 * M_PI * k / 200.0);
        wave.push_back(target);
        nibbles.push_back(encoder.encode(static_cast<int>(std::lround(target))));
    }
    put_nibbles(rom, DATA, nibbles);
    start_chip();
    const int delta_n = 13006; // about half a nibble per output sample
    setup_b(DATA, DATA + 0x0FFF, delta_n);
    write_first(0x10, 0x80);
    const int32_t count = 12000;
    const auto out = render_adpcm(count);
    const double step = std::floor(10320.0 * delta_n / 4096) / 65536;
    // Within 400 of 20000 at the best lag (the interpolation trails the nibbles by about one).
    double best = 1e9;
    for (double lag = 0; lag <= 4; lag += 0.25) {
        double worst = 0;
        for (int32_t i = 400; i < count; ++i) {
            const double position = (i + 1) * step - lag;
            const auto k = static_cast<size_t>(position);
            const double expected = wave[k] + (wave[k + 1] - wave[k]) * (position - static_cast<double>(k));
            worst = std::max(worst, std::abs(out[static_cast<size_t>(i)] - expected));
        }
        best = std::min(best, worst);
    }
    RecordProperty("worst_error", static_cast<int>(best));
    EXPECT_LE(best, 400);
}

struct EndCase {
    const char* name;
    int channel; // 0-5 ADPCM-A, 6 ADPCM-B
    uint8_t bit;
};

class AdpcmEndTest : public AdpcmTest, public ::testing::WithParamInterface<EndCase> {
  protected:
    void SetUp() override {
        AdpcmTest::SetUp();
        start_chip();
    }
    static void play(const EndCase& c) {
        if (c.channel < 6) {
            setup_a(c.channel, DATA, DATA + 0xFF);
            write_second(0x00, static_cast<uint8_t>(1 << c.channel));
        } else {
            setup_b(DATA, DATA + 0xFF, 0xFFFF);
            write_first(0x10, 0x80);
        }
    }
    static bool playing(const EndCase& c) {
        return c.channel < 6 ? machine.sound_chip.adpcm_a[c.channel].playing
                             : machine.sound_chip.adpcm_b.playing;
    }
};

TEST_P(AdpcmEndTest, EndFlagSetsStaysAndObeysTheMask) {
    const EndCase& c = GetParam();
    play(c);
    render_adpcm(100);
    EXPECT_EQ(chip_read(2), 0);
    render_adpcm(1000);
    EXPECT_FALSE(playing(c));
    EXPECT_EQ(chip_read(2), c.bit);
    render_adpcm(100);
    EXPECT_EQ(chip_read(2), c.bit);
    write_first(0x1C, c.bit); // clears and masks
    EXPECT_EQ(chip_read(2), 0);
    play(c);
    render_adpcm(1100);
    EXPECT_EQ(chip_read(2), 0);
    write_first(0x1C, 0x00);
    play(c);
    render_adpcm(1100);
    EXPECT_EQ(chip_read(2), c.bit);
}

TEST_P(AdpcmEndTest, StartBeyondTheRomStaysSilentWithoutFlag) {
    const EndCase& c = GetParam();
    if (c.channel < 6) {
        setup_a(c.channel, 0x010000, 0x0100FF);
        write_second(0x00, static_cast<uint8_t>(1 << c.channel));
    } else {
        setup_b(0x010000, 0x0100FF, 0xFFFF);
        write_first(0x10, 0x80);
    }
    EXPECT_FALSE(playing(c));
    const auto out = render_adpcm(500);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));
    EXPECT_EQ(chip_read(2), 0);
}

TEST_P(AdpcmEndTest, EndBeyondTheRomStopsAtItsLastByte) {
    const EndCase& c = GetParam();
    // The ROM is exactly 64 KiB: any read past it is caught by the sanitizer build.
    if (c.channel < 6) {
        setup_a(c.channel, 0xFF00, 0xFFFFFF);
        write_second(0x00, static_cast<uint8_t>(1 << c.channel));
    } else {
        setup_b(0xFF00, 0xFFFFFF, 0xFFFF);
        write_first(0x10, 0x80);
    }
    EXPECT_TRUE(playing(c));
    render_adpcm(1000);
    EXPECT_FALSE(playing(c));
    EXPECT_EQ(chip_read(2), c.bit);
}

INSTANTIATE_TEST_SUITE_P(Adpcm, AdpcmEndTest,
                         ::testing::Values(EndCase{"A0", 0, 0x01}, EndCase{"A1", 1, 0x02},
                                           EndCase{"A2", 2, 0x04}, EndCase{"A3", 3, 0x08},
                                           EndCase{"A4", 4, 0x10}, EndCase{"A5", 5, 0x20},
                                           EndCase{"B", 6, 0x80}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AdpcmTest, AdpcmBRepeatLoopsWithoutEnding) {
    start_chip();
    setup_b(DATA, DATA + 0xFF, 0xFFFF);
    write_first(0x10, 0x90);
    render_adpcm(3000); // several passes over the 512 nibbles
    EXPECT_TRUE(machine.sound_chip.adpcm_b.playing);
    EXPECT_EQ(chip_read(2), 0);
    write_first(0x10, 0x01);
    EXPECT_FALSE(machine.sound_chip.adpcm_b.playing);
}

// Master 0x3F and channel 0x1F attenuations add up to 94 × 0.75 dB = 70.5 dB: a full-scale
// signal is then below one step of 8-bit output and within ±4 of 16-bit output.
TEST_F(AdpcmTest, FullAttenuationIsSilent) {
    std::fill(rom.begin() + DATA, rom.begin() + DATA + 0x100, 0x77); // a rising signal
    start_chip();
    setup_a(0, DATA, DATA + 0xFF, 0xC0);
    write_second(0x01, 0x00);
    write_second(0x00, 0x01);
    ASSERT_TRUE(machine.sound_chip.adpcm_a[0].playing);
    const auto loud = render_adpcm(250);
    EXPECT_TRUE(std::all_of(loud.begin(), loud.end(), [](int16_t s) { return std::abs(s) <= 4; }));
    EXPECT_TRUE(std::any_of(loud.begin(), loud.end(), [](int16_t s) { return s != 0; }));
    const auto bytes = render8(250, 2, AF_ADPCM);
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](uint8_t s) { return s == 127; }));
}

TEST_F(AdpcmTest, RestartFadesTheOldSoundInsteadOfClicking) {
    AdpcmAEncoder encoder;
    std::vector<int> nibbles;
    for (int k = 0; k < 0x200; ++k)
        nibbles.push_back(encoder.encode(1000));
    put_nibbles(rom, DATA, nibbles);
    start_chip();
    setup_a(0, DATA, DATA + 0xFF);
    write_second(0x00, 0x01);
    const auto before = render_adpcm(200);
    ASSERT_GT(before.back(), 12000);
    write_second(0x00, 0x01); // restart while playing
    const auto after = render_adpcm(2);
    EXPECT_GT(after[0], before.back() - 200);
    EXPECT_TRUE(machine.sound_chip.declick[0].active);
    render_adpcm(400);
    EXPECT_FALSE(machine.sound_chip.declick[0].active);
}

} // namespace
