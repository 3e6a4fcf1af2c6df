// The SSG: tone pitch, period 0, envelope shapes, the constant-level case and noise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "sound_fixture.h"

namespace {

class SsgTest : public SoundChipTest {
  protected:
    void SetUp() override {
        SoundChipTest::SetUp();
        start_chip();
    }
    static void ssg(int reg, uint8_t value) { write_first(reg, value); }
    static std::vector<int16_t> render_ssg(int32_t count) { return lane(render16(count, 2, AF_FM_SSG), 0); }
};

class SsgPitchTest : public SsgTest, public ::testing::WithParamInterface<int> {};

TEST_P(SsgPitchTest, ToneOfPeriodPIsClockOver64P) {
    const int period = GetParam();
    ssg(0, static_cast<uint8_t>(period));
    ssg(1, static_cast<uint8_t>(period >> 8));
    ssg(7, 0x3E);
    ssg(8, 15);
    const double expected = CHIP_CLOCK / (64.0 * period);
    EXPECT_NEAR(measured_frequency(render_ssg(OUTPUT_RATE), OUTPUT_RATE), expected, expected * 0.005);
}

INSTANTIATE_TEST_SUITE_P(Ssg, SsgPitchTest, ::testing::Values(100, 284, 1000, 4095));

TEST_F(SsgTest, PeriodZeroBehavesAsPeriodOne) {
    ssg(7, 0x3E);
    ssg(8, 15);
    ssg(0, 7);
    render_ssg(3);
    const SsgState before = machine.sound_chip.ssg;
    ssg(0, 1);
    const auto one = render_ssg(300);
    machine.sound_chip.ssg = before;
    ssg(0, 0);
    EXPECT_EQ(render_ssg(300), one);
}

TEST_F(SsgTest, StereoCarriesTheSameValueOnBothSides) {
    ssg(2, 200);
    ssg(7, 0x3D);
    ssg(9, 12);
    const auto out = render16(500, 2, AF_FM_SSG);
    EXPECT_EQ(lane(out, 0), lane(out, 1));
}

// The drawings of the envelope shapes: the level (0-31) of envelope step k after the shape write.
enum class Drawing {
    FallThenZero,
    RiseThenZero,
    FallThenHigh,
    RiseThenHigh,
    FallingSaw,
    RisingSaw,
    TriangleUp,
    TriangleDown
};

int drawn_level(Drawing d, int k) {
    const int p = k % 32;
    const bool first = k < 32;
    const bool odd_cycle = (k / 32) & 1;
    switch (d) {
    case Drawing::FallThenZero:
        return first ? 31 - p : 0;
    case Drawing::RiseThenZero:
        return first ? p : 0;
    case Drawing::FallThenHigh:
        return first ? 31 - p : 31;
    case Drawing::RiseThenHigh:
        return first ? p : 31;
    case Drawing::FallingSaw:
        return 31 - p;
    case Drawing::RisingSaw:
        return p;
    case Drawing::TriangleUp:
        return odd_cycle ? 31 - p : p;
    case Drawing::TriangleDown:
        return odd_cycle ? p : 31 - p;
    }
    return -1;
}

struct EnvelopeCase {
    uint8_t shape;
    Drawing drawing;
};

class SsgEnvelopeTest : public SsgTest, public ::testing::WithParamInterface<EnvelopeCase> {};

// Envelope period 45: one step every 45 × 2890 / 32768 = 3.97 output samples. The sample in the
// middle of each step lies wholly inside it and shows that step's level (1.5 dB per step).
TEST_P(SsgEnvelopeTest, ShapeFollowsItsDrawing) {
    const EnvelopeCase& c = GetParam();
    ssg(7, 0x3F);
    ssg(8, 0x10);
    ssg(11, 45);
    ssg(12, 0);
    ssg(13, c.shape);
    const auto out = render_ssg(1000);
    constexpr double STEP_SAMPLES = 45.0 * 2890 / 32768;
    for (int k = 0; (k + 1) * STEP_SAMPLES < 1000; ++k) {
        const int level = drawn_level(c.drawing, k);
        const int volume =
            level == 0 ? 0 : static_cast<int>(std::floor(32767 / std::pow(10.0, 1.5 * (31 - level) / 20)));
        const auto i = static_cast<size_t>((k + 0.5) * STEP_SAMPLES);
        ASSERT_EQ(out[i], volume / 2) << "step " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ssg, SsgEnvelopeTest,
    ::testing::Values(EnvelopeCase{0x00, Drawing::FallThenZero}, EnvelopeCase{0x01, Drawing::FallThenZero},
                      EnvelopeCase{0x02, Drawing::FallThenZero}, EnvelopeCase{0x03, Drawing::FallThenZero},
                      EnvelopeCase{0x04, Drawing::RiseThenZero}, EnvelopeCase{0x07, Drawing::RiseThenZero},
                      EnvelopeCase{0x08, Drawing::FallingSaw}, EnvelopeCase{0x09, Drawing::FallThenZero},
                      EnvelopeCase{0x0A, Drawing::TriangleDown}, EnvelopeCase{0x0B, Drawing::FallThenHigh},
                      EnvelopeCase{0x0C, Drawing::RisingSaw}, EnvelopeCase{0x0D, Drawing::RiseThenHigh},
                      EnvelopeCase{0x0E, Drawing::TriangleUp}, EnvelopeCase{0x0F, Drawing::RiseThenZero}),
    [](const auto& info) {
        static constexpr const char* HEX = "0123456789ABCDEF";
        return std::string("Shape") + HEX[info.param.shape];
    });

TEST_F(SsgTest, MixerAllOffWithEndedEnvelopeGivesAConstantLevel) {
    ssg(7, 0x3F);
    ssg(8, 15);
    render_ssg(10); // the reset envelope (shape 0) ends within the first samples
    ASSERT_TRUE(machine.sound_chip.ssg.envelope_ended);
    const auto out = render_ssg(200);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 32767 / 2; }));
}

TEST_F(SsgTest, ThreeFullChannelsHoldAtTheTopInsteadOfWrapping) {
    ssg(7, 0x3F);
    ssg(8, 15);
    ssg(9, 15);
    ssg(10, 15);
    // 3 × 16383 would read back as a negative sample; it stops at the top and the 16-bit mix then
    // clamps it to 32760 like every other sum.
    const auto constant = render_ssg(200);
    EXPECT_TRUE(std::all_of(constant.begin() + 10, constant.end(), [](int16_t s) { return s == 32760; }));
    ssg(7, 0x38); // three square waves in phase
    const auto tones = render_ssg(500);
    EXPECT_TRUE(std::all_of(tones.begin(), tones.end(), [](int16_t s) { return s >= 0; }));
}

TEST_F(SsgTest, NoiseGatesTheChannel) {
    ssg(6, 31);   // a new noise bit every 2.7 output samples
    ssg(7, 0x37); // noise on A, every tone off
    ssg(8, 15);
    const auto out = render_ssg(4000);
    const auto high = std::count_if(out.begin(), out.end(), [](int16_t s) { return s > 12000; });
    const auto low = std::count_if(out.begin(), out.end(), [](int16_t s) { return s < 4000; });
    EXPECT_GT(high, 1000);
    EXPECT_GT(low, 1000);
}

TEST_F(SsgTest, RegistersReadBackWithTheirUsedBits) {
    ssg(1, 0xFF);
    chip_write(0, 1);
    EXPECT_EQ(chip_read(1), 0x0F);
    ssg(14, 0xA5);
    chip_write(0, 14);
    EXPECT_EQ(chip_read(1), 0xA5);
}

} // namespace
