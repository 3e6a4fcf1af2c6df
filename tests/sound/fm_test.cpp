// FM synthesis: pitch against the chip's published formula, envelopes, algorithms and tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "sound_fixture.h"

namespace {

// Register offsets of the four operators in register order (operator 1, 3, 2, 4).
constexpr int OPERATOR_OFFSET[4] = {0x0, 0x8, 0x4, 0xC}; // operators 1, 2, 3, 4
constexpr int RECORD[4] = {0, 2, 1, 3};                  // record of operators 1, 2, 3, 4

class FmTest : public SoundChipTest {
  protected:
    void SetUp() override {
        SoundChipTest::SetUp();
        start_chip();
    }

    // Channel 1 (first port, slot 1): algorithm, pan both, every operator with multiple 1, full
    // attack, no decay, TL 127 except the listed operators (1-4) at `tl`.
    static void voice(int algorithm, std::initializer_list<int> sounding, int tl = 0, int attack = 31) {
        write_first(0xB1, static_cast<uint8_t>(algorithm));
        write_first(0xB5, 0xC0);
        for (int op = 1; op <= 4; ++op) {
            const int base = OPERATOR_OFFSET[op - 1] + 1;
            const bool on = std::find(sounding.begin(), sounding.end(), op) != sounding.end();
            write_first(0x30 + base, 0x01);
            write_first(0x40 + base, static_cast<uint8_t>(on ? tl : 127));
            write_first(0x50 + base, static_cast<uint8_t>(attack));
            write_first(0x60 + base, 0);
            write_first(0x70 + base, 0);
            write_first(0x80 + base, 0x0F);
        }
    }

    static void frequency(int fnum, int block) {
        write_first(0xA5, static_cast<uint8_t>(block << 3 | fnum >> 8));
        write_first(0xA1, static_cast<uint8_t>(fnum & 0xFF));
    }

    static void key(uint8_t operators) { write_first(0x28, static_cast<uint8_t>(operators << 4 | 1)); }

    static FmOperator& op(int number) { return machine.sound_chip.fm[1].op[RECORD[number - 1]]; }

    static int attenuation(int number) {
        const FmOperator& o = op(number);
        return machine.sound_chip.tables.envelope_curve[o.env_counter >> 16] + o.tl;
    }
};

TEST_F(FmTest, TablesFollowFreqbase) {
    const FmTables& t = machine.sound_chip.tables;
    EXPECT_EQ(t.freqbase, 10320);
    EXPECT_EQ(t.level[0], 67108863);
    EXPECT_EQ(t.level[4095], 0);
    EXPECT_EQ(t.level[8192 + 10], -t.level[10]);
    EXPECT_EQ(t.sine[512], 0); // the peak: no attenuation
    EXPECT_EQ(t.sine[1536], 8192);
    EXPECT_EQ(t.sine[0], 4095);
    EXPECT_EQ(t.frequency[1000], 10320 * 1000 / 8);
    EXPECT_EQ(t.envelope_curve[4095], 0);
    EXPECT_EQ(t.envelope_curve[8192], 4095);
    EXPECT_EQ(t.attack_rates[62], 0x0FFFFFFFu);
    EXPECT_EQ(t.attack_rates[93], 0x0FFFFFFFu);
    EXPECT_EQ(t.decay_rates[93], t.decay_rates[63]);
    EXPECT_EQ(t.attack_rates[3], 0u);
    EXPECT_EQ(t.detune[7][31], -t.detune[3][31]);
}

struct PitchCase {
    int fnum;
    int block;
};

class FmPitchTest : public FmTest, public ::testing::WithParamInterface<PitchCase> {};

TEST_P(FmPitchTest, ToneMatchesPublishedFormula) {
    const PitchCase& c = GetParam();
    voice(7, {4});
    frequency(c.fnum, c.block);
    key(0xF);
    const auto left = lane(render16(OUTPUT_RATE), 0);
    const double expected = c.fnum * std::ldexp(1.0, c.block - 1) * CHIP_CLOCK / (144.0 * 1048576.0);
    EXPECT_NEAR(measured_frequency(left, OUTPUT_RATE), expected, expected * 0.005);
}

INSTANTIATE_TEST_SUITE_P(Fm, FmPitchTest,
                         ::testing::Values(PitchCase{1000, 4}, PitchCase{618, 3}, PitchCase{1200, 5},
                                           PitchCase{700, 6}, PitchCase{2047, 2}, PitchCase{300, 7}),
                         [](const auto& info) {
                             return "Fnum" + std::to_string(info.param.fnum) + "Block" +
                                    std::to_string(info.param.block);
                         });

TEST_F(FmTest, TotalLevel127IsSilent) {
    voice(7, {1, 2, 3, 4}, 127);
    frequency(1000, 4);
    key(0xF);
    for (int16_t s : render16(2000))
        ASSERT_EQ(s, 0);
}

class AttackRateTest : public FmTest, public ::testing::WithParamInterface<int> {};

TEST_P(AttackRateTest, AttackRate31CompletesInOneSample) {
    voice(7, {4}, 0, GetParam() << 6 | 31); // key scale 0-3 in bits 7-6
    frequency(100, 0);
    key(0xF);
    render16(1);
    EXPECT_EQ(attenuation(4), 0);
}

INSTANTIATE_TEST_SUITE_P(Fm, AttackRateTest, ::testing::Values(0, 1, 2, 3));

TEST_F(FmTest, KeyOffDuringAttackReleasesFromTheSameLevel) {
    voice(7, {4}, 0, 12);
    frequency(1000, 4);
    key(0xF);
    render16(300);
    ASSERT_EQ(op(4).state, ENV_ATTACK);
    const int before = attenuation(4);
    ASSERT_GT(before, 100);
    ASSERT_LT(before, 4000);
    key(0x0);
    EXPECT_EQ(op(4).state, ENV_RELEASE);
    EXPECT_NEAR(attenuation(4), before, 2);
    render16(1);
    EXPECT_GE(attenuation(4), before - 2);
    EXPECT_LE(attenuation(4), before + 40);
}

TEST_F(FmTest, KeyOnWhileSoundingDoesNotRestartThePhase) {
    voice(7, {4});
    write_first(0x7D, 31); // operator 4 sustain rate: decays to silence
    frequency(1000, 4);
    key(0xF);
    render16(100);
    const uint32_t phase = op(4).phase;
    key(0xF);
    EXPECT_EQ(op(4).phase, phase);
    render16(20000);
    ASSERT_EQ(op(4).state, ENV_SUSTAIN);
    ASSERT_GE(attenuation(4), 4095);
    key(0xF); // still ignored after sustain decayed to silence
    EXPECT_EQ(op(4).state, ENV_SUSTAIN);
    key(0x0);
    key(0xF);
    EXPECT_EQ(op(4).state, ENV_ATTACK);
    EXPECT_EQ(op(4).phase, 0u);
}

struct RoutingCase {
    int algorithm;
    int op;
    bool carrier;
};

class FmRoutingTest : public FmTest, public ::testing::WithParamInterface<RoutingCase> {};

// An operator sounding alone reaches the output only when the algorithm makes it a carrier.
TEST_P(FmRoutingTest, OperatorAloneSoundsOnlyAsACarrier) {
    const RoutingCase& c = GetParam();
    voice(c.algorithm, {c.op});
    frequency(1000, 4);
    key(0xF);
    const auto out = render16(500);
    const auto left = lane(out, 0), right = lane(out, 1);
    const int peak = std::abs(*std::max_element(
        left.begin(), left.end(), [](int16_t a, int16_t b) { return std::abs(a) < std::abs(b); }));
    if (c.carrier) {
        EXPECT_GT(peak, 5000);
        EXPECT_EQ(left, right);
    } else {
        EXPECT_EQ(peak, 0);
    }
}

std::vector<RoutingCase> routing_cases() {
    // Carriers per algorithm, operators 1-4.
    constexpr bool carriers[8][4] = {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1},
                                     {0, 1, 0, 1}, {0, 1, 1, 1}, {0, 1, 1, 1}, {1, 1, 1, 1}};
    std::vector<RoutingCase> cases;
    for (int a = 0; a < 8; ++a)
        for (int o = 1; o <= 4; ++o)
            cases.push_back({a, o, carriers[a][o - 1]});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Fm, FmRoutingTest, ::testing::ValuesIn(routing_cases()), [](const auto& info) {
    return "Algorithm" + std::to_string(info.param.algorithm) + "Op" + std::to_string(info.param.op);
});

TEST_F(FmTest, ModulatorChangesTheCarrierWave) {
    voice(0, {3, 4});
    frequency(1000, 4);
    key(0xF);
    const auto modulated = lane(render16(500), 0);
    chip_free();
    start_chip();
    voice(0, {4});
    frequency(1000, 4);
    key(0xF);
    const auto plain = lane(render16(500), 0);
    EXPECT_NE(modulated, plain);
}

TEST_F(FmTest, PanSelectsTheOutputs) {
    voice(7, {4});
    write_first(0xB5, 0x80); // left only
    frequency(1000, 4);
    key(0xF);
    const auto out = render16(200);
    const auto right = lane(out, 1);
    EXPECT_TRUE(std::all_of(right.begin(), right.end(), [](int16_t s) { return s == 0; }));
    const auto left = lane(out, 0);
    EXPECT_TRUE(std::any_of(left.begin(), left.end(), [](int16_t s) { return s > 5000; }));
}

TEST_F(FmTest, ChannelThreeSpecialModeGivesOperatorsTheirOwnFrequencies) {
    write_first(0x27, 0x40);
    write_first(0xAD, 4 << 3 | 1); // operator 1's latch, then its frequency number
    write_first(0xA9, 0x00);
    write_first(0xA6, 2 << 3); // the channel's own (operator 4)
    write_first(0xA2, 200);
    write_first(0x28, 0xF2);
    render16(1);
    const FmChannel& ch = machine.sound_chip.fm[2];
    const FmTables& t = machine.sound_chip.tables;
    // Multiple register 0: the factor is 1 (one half of the doubled scale).
    EXPECT_EQ(ch.op[0].phase_step, static_cast<uint32_t>(t.frequency[256] >> 3));
    EXPECT_EQ(ch.op[3].phase_step, static_cast<uint32_t>(t.frequency[200] >> 5));
}

} // namespace
