// The audio device and the stream writer, against a headless device whose play position moves
// with the virtual clock.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/audio.h"
#include "host/flags.h"
#include "host/platform/headless/headless.h"
#include "machine.h"
#include "support/machine_fixture.h"

namespace {

class AudioTest : public MachineTest {
  protected:
    void TearDown() override {
        audio_stop(0);
        audio_close();
        MachineTest::TearDown();
    }

    // Fills every block of the ring with its own pattern (and the 4 spare bytes).
    void fill_ring() {
        AudioRing& r = machine.audio_ring;
        for (uint32_t i = 0; i < r.ring_bytes; ++i) r.ring[i] = static_cast<uint8_t>(i * 7 + i / 733);
    }
    uint32_t block_bytes() const {
        const AudioRing& r = machine.audio_ring;
        return static_cast<uint32_t>(r.block_samples * r.bits / 8 * r.channels);
    }
    const uint8_t* block(int n) const { return machine.audio_ring.ring + n * block_bytes(); }
    // Renders nothing but moves the render position, as a frame's end does.
    void end_frame() {
        AudioRing& r = machine.audio_ring;
        r.render_block = (r.render_block + 1) % RING_BLOCKS;
    }
};

TEST_F(AudioTest, OpensInTheRequestedFormatAndAllocatesTheRing) {
    machine.settings.audio_flags = 0x0B;
    ASSERT_EQ(audio_restart(0), 1);
    const AudioRing& r = machine.audio_ring;
    EXPECT_EQ(r.bits, 8);
    EXPECT_EQ(r.channels, 2);
    EXPECT_EQ(r.stereo, 1);
    EXPECT_EQ(r.block_samples, 367);
    EXPECT_EQ(r.ring_bytes, 8u * 367 * 2 + 4);
    EXPECT_EQ(r.send_block, 1);
    EXPECT_EQ(machine.settings.audio_flags, 0x0Bu);
}

TEST_F(AudioTest, ADeviceThatOnlyTakes8BitMonoRewritesHighToLow) {
    headless_sound_switches().only_8bit_mono = true;
    machine.settings.audio_flags = AF_ADPCM | AF_FM_SSG | AF_16BIT | AF_STEREO | AF_44K;
    ASSERT_EQ(audio_restart(0), 1);
    EXPECT_EQ(machine.settings.audio_flags, AF_ADPCM | AF_FM_SSG);
    EXPECT_EQ(machine.audio_ring.ring_bytes, 8u * 367 + 4);
}

TEST_F(AudioTest, NoDeviceMeansNoSound) {
    headless_sound_switches().no_device = true;
    EXPECT_EQ(audio_restart(0), 0);
    EXPECT_EQ(audio_send_block(), 0);
}

TEST_F(AudioTest, FirstBlockStartsASilentStreamOfEightBlocksWithSevenAhead) {
    ASSERT_EQ(audio_restart(0), 1);
    fill_ring();
    audio_set_volume(80);
    ASSERT_EQ(audio_send_block(), 1);
    const HeadlessSoundView v = headless_sound_stream();
    const uint32_t b = block_bytes();
    EXPECT_TRUE(v.playing);
    EXPECT_EQ(v.size, 8 * b);
    EXPECT_EQ(v.frequency, 22050);
    EXPECT_EQ(v.volume, -40);
    EXPECT_EQ(machine.host.audio.lead, 7 * b);
    for (uint32_t i = 0; i < v.size; ++i) ASSERT_EQ(v.bytes[i], 0x80) << i; // 8-bit silence
    EXPECT_EQ(machine.audio_ring.send_block, 2); // the starting block is not played
}

TEST_F(AudioTest, WritesSevenBlocksAheadOnlyWhileThereIsRoom) {
    ASSERT_EQ(audio_restart(0), 1);
    fill_ring();
    machine.audio_ring.render_block = 7;
    ASSERT_EQ(audio_send_block(), 1); // starts the stream
    const uint32_t b = block_bytes();
    ASSERT_EQ(audio_send_block(), 1); // block 2 at 7 blocks ahead
    HeadlessSoundView v = headless_sound_stream();
    EXPECT_EQ(std::memcmp(v.bytes + 7 * b, block(2), b), 0);
    EXPECT_EQ(audio_send_block(), 0) << "the device still plays the first block";
    EXPECT_EQ(machine.audio_ring.send_block, 3);
    // One block's time later there is room for one more, written where play began.
    headless_clock_advance(HEADLESS_COUNTER_FREQUENCY * 367 / 22050 + 1000);
    ASSERT_EQ(audio_send_block(), 1);
    v = headless_sound_stream();
    EXPECT_EQ(std::memcmp(v.bytes, block(3), b), 0);
    EXPECT_EQ(audio_send_block(), 0);
}

TEST_F(AudioTest, SenderThatCatchesUpWithRenderingSkipsTwoBlocks) {
    ASSERT_EQ(audio_restart(0), 1);
    machine.audio_ring.render_block = 1;
    ASSERT_EQ(audio_send_block(), 1);
    EXPECT_EQ(machine.audio_ring.send_block, 4); // 1 is being rendered: 3 is sent, 4 is next
}

TEST_F(AudioTest, RealDriverWritesThePrimaryBufferInTwoPartsAtItsEnd) {
    auto& sw = headless_sound_switches();
    sw.emulated_driver = false;
    sw.primary_bytes = 10000; // not a whole number of blocks
    ASSERT_EQ(audio_restart(0), 1);
    ASSERT_EQ(machine.host.audio.direct, 1);
    fill_ring();
    ASSERT_EQ(audio_send_block(), 1);
    const uint32_t b = block_bytes(); // 734
    EXPECT_EQ(machine.host.audio.lead, 7 * b);
    bool wrapped = false;
    for (int n = 0; n < 40; ++n) {
        const AudioStreamState& a = machine.host.audio;
        headless_sound_set_position(a.send_pos); // the device keeps pace
        const uint32_t at = (a.send_pos + a.lead) % a.buffer_bytes;
        const int sent = machine.audio_ring.send_block;
        ASSERT_EQ(audio_send_block(), 1) << n;
        end_frame();
        const HeadlessSoundView v = headless_sound_stream();
        for (uint32_t i = 0; i < b; ++i)
            ASSERT_EQ(v.bytes[(at + i) % v.size], block(sent)[i]) << "send " << n << " byte " << i;
        wrapped |= at + b > v.size;
    }
    EXPECT_TRUE(wrapped);
}

struct ResampleCase {
    const char* name;
    uint32_t flags;
    bool real_driver;
    bool interpolate;
};
void PrintTo(const ResampleCase& c, std::ostream* os) { *os << c.name; }

class AudioResample : public AudioTest, public testing::WithParamInterface<ResampleCase> {};

TEST_P(AudioResample, InterpolatesOrDoublesEachFrame) {
    const ResampleCase& c = GetParam();
    headless_sound_switches().emulated_driver = !c.real_driver;
    machine.settings.audio_flags = c.flags;
    ASSERT_EQ(audio_restart(0), 1);
    fill_ring();
    machine.audio_ring.render_block = 7;
    ASSERT_EQ(audio_send_block(), 1);
    const AudioRing& r = machine.audio_ring;
    const uint32_t b = block_bytes();
    const uint32_t at = machine.host.audio.lead;
    ASSERT_EQ(audio_send_block(), 1);
    HeadlessSoundView v = headless_sound_stream();
    if (!c.real_driver) {
        EXPECT_EQ(v.size, 16 * b);
        EXPECT_EQ(v.frequency, 44100);
    }
    const int lane = r.bits / 8;
    const int frame = lane * r.channels;
    const uint8_t* in = block(2);
    auto sample = [&](const uint8_t* p) {
        if (lane == 1) return static_cast<int>(*p);
        int16_t s;
        std::memcpy(&s, p, 2);
        return static_cast<int>(s);
    };
    for (int i = 0; i < r.block_samples; ++i) {
        for (int ch = 0; ch < r.channels; ++ch) {
            const int now = sample(in + i * frame + ch * lane);
            const int next = sample(in + (i + 1) * frame + ch * lane);
            const uint32_t first = (at + (2 * i) * frame + ch * lane) % v.size;
            const uint32_t second = (at + (2 * i + 1) * frame + ch * lane) % v.size;
            ASSERT_EQ(sample(v.bytes + first), now) << i;
            const int want = c.interpolate ? (now + next) >> 1 : now;
            ASSERT_EQ(sample(v.bytes + second), want) << "frame " << i << " channel " << ch;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, AudioResample,
    testing::Values(ResampleCase{"interpolate_8bit_stereo", 0x3B, false, true},
                    ResampleCase{"interpolate_16bit_stereo", 0x3F, false, true},
                    ResampleCase{"interpolate_16bit_mono", 0x37, false, true},
                    ResampleCase{"double_real_driver_16bit", 0x1F, true, false},
                    ResampleCase{"double_real_driver_8bit_mono", 0x13, true, false}),
    [](const testing::TestParamInfo<ResampleCase>& info) { return std::string(info.param.name); });

TEST_F(AudioTest, LostBufferRestartsTheStreamWithTheNextBlock) {
    ASSERT_EQ(audio_restart(0), 1);
    machine.audio_ring.render_block = 7;
    ASSERT_EQ(audio_send_block(), 1);
    headless_sound_lose_buffer(1);
    EXPECT_EQ(audio_send_block(), 0);
    EXPECT_EQ(machine.host.audio.playing, 0);
    EXPECT_EQ(audio_send_block(), 1);
    EXPECT_EQ(headless_sound_stream().created, 2);
    EXPECT_EQ(machine.host.audio.playing, 1);
}

TEST_F(AudioTest, AStreamTheDeviceRefusesLeavesTheGameSilentWithoutRetrying) {
    headless_sound_switches().refuse_stream = true;
    ASSERT_EQ(audio_restart(0), 1);
    EXPECT_EQ(audio_send_block(), 1);
    headless_sound_switches().refuse_stream = false;
    EXPECT_EQ(audio_send_block(), 1);
    EXPECT_EQ(headless_sound_stream().created, 0);
    audio_set_volume(50);
    ASSERT_EQ(audio_restart(0), 1); // a restart asks again
    EXPECT_EQ(audio_send_block(), 1);
    EXPECT_EQ(headless_sound_stream().created, 1);
}

TEST_F(AudioTest, VolumeSetsTheStreamAndIsClampedToTheMenuRange) {
    ASSERT_EQ(audio_restart(0), 1);
    ASSERT_EQ(audio_send_block(), 1);
    audio_set_volume(100);
    EXPECT_EQ(headless_sound_stream().volume, -10);
    audio_set_volume(5);
    EXPECT_EQ(headless_sound_stream().volume, -10000);
    audio_set_volume(12345); // a damaged settings file
    EXPECT_EQ(headless_sound_stream().volume, -10);
}

TEST(AudioVolume, MapsTensToHalvingAttenuation) {
    const int32_t want[] = {-10000, -5000, -2500, -1250, -625, -313, -157, -79, -40, -20, -10};
    for (int v = 0; v <= 100; v += 10) EXPECT_EQ(audio_volume_level(v), want[v / 10]) << v;
    EXPECT_EQ(audio_volume_level(9), -10000);
    EXPECT_EQ(audio_volume_level(-50), -10000);
}

TEST_F(AudioTest, PrimaryVolumeIsReadAndPutBack) {
    headless_sound_switches().primary_volume = -321;
    ASSERT_EQ(audio_restart(0), 1);
    EXPECT_EQ(audio_get_primary_volume(), -321);
    audio_set_primary_volume(-7);
    EXPECT_EQ(audio_get_primary_volume(), -7);
}

TEST_F(AudioTest, RecordingFlagWritesEverySentBlockToAWaveFile) {
    machine.settings.audio_flags = 0x0B | AF_RECORD;
    ASSERT_EQ(audio_restart(0), 1);
    fill_ring();
    machine.audio_ring.render_block = 7;
    ASSERT_EQ(audio_send_block(), 1);
    ASSERT_EQ(audio_send_block(), 1);
    ASSERT_EQ(audio_send_block(), 0); // no room: not sent, not recorded
    audio_stop(0);
    const std::vector<uint8_t> wav = read_file("qzb-rec.wav");
    const uint32_t b = 367 * 2;
    ASSERT_EQ(wav.size(), 44 + 2 * b);
    EXPECT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0);
    EXPECT_EQ(std::memcmp(wav.data() + 8, "WAVEfmt ", 8), 0);
    uint32_t rate, data;
    std::memcpy(&rate, wav.data() + 24, 4);
    std::memcpy(&data, wav.data() + 40, 4);
    EXPECT_EQ(rate, 22050u);
    EXPECT_EQ(data, 2 * b);
    EXPECT_EQ(wav[22], 2); // channels
    EXPECT_EQ(wav[34], 8); // bits
}

} // namespace
