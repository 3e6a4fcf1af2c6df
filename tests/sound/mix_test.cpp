// Mixing into the ring's formats, the section bits of AudioFlags, and rendering up to now.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "sound_fixture.h"

namespace {

class MixTest : public SoundChipTest {
  protected:
    void SetUp() override {
        SoundChipTest::SetUp();
        start_chip();
    }

    // FM channel (1, 2, 4 or 5) at full scale: algorithm 7, every operator TL 0, pan `pan`.
    static void full_scale_channel(int channel, uint8_t pan = 0xC0) {
        const bool second = channel >= 3;
        const int slot = channel % 3;
        auto write = [&](int reg, uint8_t value) {
            second ? write_second(reg, value) : write_first(reg, value);
        };
        write(0xB0 + slot, 0x07);
        write(0xB4 + slot, pan);
        for (int op = 0; op < 4; ++op) {
            const int r = slot + 4 * op;
            write(0x30 + r, 0x01);
            write(0x40 + r, 0);
            write(0x50 + r, 31);
            write(0x80 + r, 0x0F);
        }
        write(0xA4 + slot, 4 << 3 | 3);
        write(0xA0 + slot, 0xE8);
        write_first(0x28, static_cast<uint8_t>(0xF0 | (second ? 4 : 0) | slot));
    }

    static void ssg_tone() {
        write_first(0, 100);
        write_first(7, 0x3E);
        write_first(8, 12);
    }

    static void adpcm_a_tone(std::vector<uint8_t>& rom) {
        std::fill(rom.begin() + 0x100, rom.begin() + 0x1100, 0x71); // swings up and down
        write_second(0x01, 0x3F);
        write_second(0x08, 0xDF);
        write_second(0x10, 0x01);
        write_second(0x20, 0x10);
        write_second(0x00, 0x01);
    }
};

TEST_F(MixTest, FullScaleFmOnAllFourChannelsStaysWithinTheClamp) {
    for (int channel : {1, 2, 4, 5})
        full_scale_channel(channel);
    const auto out = render16(4000);
    const auto [low, high] = std::minmax_element(out.begin(), out.end());
    EXPECT_EQ(*high, 32760);
    EXPECT_EQ(*low, -32760);
    const auto bytes = render8(4000);
    const auto [low8, high8] = std::minmax_element(bytes.begin(), bytes.end());
    EXPECT_EQ(*low8, 1);
    EXPECT_EQ(*high8, 254);
}

TEST_F(MixTest, EightBitOutputIsOffsetUnsigned) {
    const auto silence = render8(300);
    EXPECT_TRUE(std::all_of(silence.begin(), silence.end(), [](uint8_t s) { return s == 127; }));
    full_scale_channel(1);
    write_first(0x41, 8); // one operator, 6 dB down: no clamping
    write_first(0x45, 127);
    write_first(0x49, 127);
    write_first(0x4D, 127);
    const auto tone = render8(OUTPUT_RATE / 10, 1);
    const double mean = std::accumulate(tone.begin(), tone.end(), 0.0) / static_cast<double>(tone.size());
    EXPECT_NEAR(mean, 127, 2);
    EXPECT_LT(*std::min_element(tone.begin(), tone.end()), 115);
    EXPECT_GT(*std::max_element(tone.begin(), tone.end()), 139);
}

struct SectionCase {
    const char* name;
    uint32_t flags;
    bool fm_ssg;
    bool adpcm;
};

class MixSectionTest : public MixTest, public ::testing::WithParamInterface<SectionCase> {};

bool silent(const std::vector<int16_t>& v) {
    return std::all_of(v.begin(), v.end(), [](int16_t s) { return s == 0; });
}

// Each section is heard exactly when its bit is set; with no bit set every byte is zero.
TEST_P(MixSectionTest, SectionBitsSelectWhatIsHeard) {
    const SectionCase& c = GetParam();
    full_scale_channel(1);
    EXPECT_EQ(!silent(render16(300, 2, c.flags)), c.fm_ssg) << "FM";
    chip_reset();
    ssg_tone();
    EXPECT_EQ(!silent(render16(300, 2, c.flags)), c.fm_ssg) << "SSG";
    chip_reset();
    adpcm_a_tone(rom);
    EXPECT_EQ(!silent(render16(300, 2, c.flags)), c.adpcm) << "ADPCM";
    if (c.flags == 0) {
        const auto bytes = render8(300, 2, 0);
        EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](uint8_t s) { return s == 0; }));
    }
}

INSTANTIATE_TEST_SUITE_P(Mix, MixSectionTest,
                         ::testing::Values(SectionCase{"None", 0, false, false},
                                           SectionCase{"AdpcmOnly", AF_ADPCM, false, true},
                                           SectionCase{"FmSsgOnly", AF_FM_SSG, true, false},
                                           SectionCase{"All", AF_ADPCM | AF_FM_SSG, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MixTest, MonoHoldsBothPans) {
    full_scale_channel(1, 0x40); // right only
    write_first(0x41, 30);
    const auto stereo = render16(200);
    EXPECT_TRUE(silent(lane(stereo, 0)));
    EXPECT_FALSE(silent(lane(stereo, 1)));
    chip_reset();
    full_scale_channel(1, 0x40);
    write_first(0x41, 30);
    EXPECT_FALSE(silent(render16(200, 1)));
    chip_reset();
    adpcm_a_tone(rom);
    write_second(0x08, 0x5F); // ADPCM-A right only
    EXPECT_FALSE(silent(render16(200, 1, AF_ADPCM)));
}

TEST_F(MixTest, AdpcmAndFmAddWithClamping) {
    full_scale_channel(1);
    const SoundChipState before = machine.sound_chip;
    const auto fm = render16(300);
    machine.sound_chip = before;
    adpcm_a_tone(rom);
    const auto both = render16(300);
    EXPECT_NE(both, fm);
    EXPECT_TRUE(std::all_of(both.begin(), both.end(), [](int16_t s) { return s >= -32760 && s <= 32760; }));
}

class RenderToNowTest : public MixTest {
  protected:
    void SetUp() override {
        MixTest::SetUp();
        AudioRing& ring = machine.audio_ring;
        ring.bits = 16;
        ring.channels = 2;
        ring.block_samples = 367;
        ring.ring_bytes = RING_BLOCKS * 367 * 4 + 4;
        ring.ring = static_cast<uint8_t*>(std::calloc(ring.ring_bytes, 1));
        machine.settings.audio_flags = AF_ADPCM | AF_FM_SSG | AF_16BIT | AF_STEREO;
    }
};

struct NowCase {
    int32_t sound_time;
    int32_t min_pending;
    int32_t rendered;
};

class RenderToNowCaseTest : public RenderToNowTest, public ::testing::WithParamInterface<NowCase> {};

TEST_P(RenderToNowCaseTest, RendersTheSamplesDueAtTheCurrentTime) {
    const NowCase& c = GetParam();
    machine.sound_timing.sound_time = c.sound_time;
    audio_render_to_now(c.min_pending, false);
    EXPECT_EQ(machine.audio_ring.rendered, c.rendered);
    EXPECT_EQ(machine.audio_ring.render_block, 0);
}

INSTANTIATE_TEST_SUITE_P(Mix, RenderToNowCaseTest,
                         ::testing::Values(NowCase{0, 0, 0}, NowCase{34688, 0, 183}, NowCase{34688, 182, 183},
                                           NowCase{34688, 183, 0}, NowCase{69370, 0, 366},
                                           NowCase{69372, 0, 367}, NowCase{80000, 0, 367}),
                         [](const auto& info) {
                             return "Time" + std::to_string(info.param.sound_time) + "Pending" +
                                    std::to_string(info.param.min_pending);
                         });

TEST_F(RenderToNowTest, FrameEndMovesToTheNextBlockAndWraps) {
    AudioRing& ring = machine.audio_ring;
    full_scale_channel(1);
    for (int frame = 0; frame < RING_BLOCKS; ++frame) {
        machine.sound_timing.sound_time = SOUND_CYCLES_PER_FRAME;
        audio_render_to_now(0, true);
        EXPECT_EQ(ring.rendered, 0);
        EXPECT_EQ(ring.render_block, (frame + 1) % RING_BLOCKS);
    }
    // Every block was filled with sound; the spare bytes after the last block are untouched.
    for (int block = 0; block < RING_BLOCKS; ++block) {
        const auto* samples = reinterpret_cast<const int16_t*>(ring.ring + block * 367 * 4);
        EXPECT_TRUE(std::any_of(samples, samples + 367 * 2, [](int16_t s) { return s != 0; })) << block;
    }
    const uint8_t* spare = ring.ring + RING_BLOCKS * 367 * 4;
    EXPECT_TRUE(std::all_of(spare, spare + 4, [](uint8_t b) { return b == 0; }));
}

TEST_F(RenderToNowTest, RegisterWritesRenderUpToNowFirst) {
    machine.sound_timing.sound_time = SOUND_CYCLES_PER_FRAME / 4; // 91 samples due: under 100
    write_first(0x28, 0x01);
    EXPECT_EQ(machine.audio_ring.rendered, 0);
    machine.sound_timing.sound_time = SOUND_CYCLES_PER_FRAME / 2; // 183 due
    write_second(0x00, 0x00);
    EXPECT_EQ(machine.audio_ring.rendered, 183);
    write_first(0x07, 0x3F); // SSG writes do not render
    machine.sound_timing.sound_time = SOUND_CYCLES_PER_FRAME;
    write_first(0x07, 0x3F);
    EXPECT_EQ(machine.audio_ring.rendered, 183);
}

} // namespace
