// The audio stream's dropped and repeated block counters, with the headless device playing in
// virtual time at a chosen speed against a game that renders one block per frame.
#include <gtest/gtest.h>

#include <cmath>

#include "host/audio.h"
#include "host/platform/headless/headless.h"
#include "machine.h"
#include "support/machine_fixture.h"

namespace {

struct Pace {
    const char* name;
    double device_blocks_per_frame; // the device's speed against the game's
    double dropped_per_frame;       // expected counts per frame once the stream runs
    double repeated_per_frame;
};

void PrintTo(const Pace& pace, std::ostream* out) { *out << pace.name; }

class AudioCounters : public MachineTest, public ::testing::WithParamInterface<Pace> {
  protected:
    void TearDown() override {
        audio_stop(0);
        audio_close();
        MachineTest::TearDown();
    }
    // Frames as the frame driver runs them: the frame's block is finished, the writer sends up
    // to two blocks, and the device plays on.
    void run_frames(int frames, double device_blocks_per_frame) {
        const AudioRing& r = machine.audio_ring;
        const double ticks_per_block =
            static_cast<double>(HEADLESS_COUNTER_FREQUENCY) * r.block_samples / r.ring_rate;
        for (int f = 0; f < frames; ++f) {
            machine.audio_ring.render_block = (r.render_block + 1) % RING_BLOCKS;
            for (int block = 0; block < 2; ++block)
                if (!audio_send_block()) break;
            device_blocks_ += device_blocks_per_frame;
            headless_clock_set(start_ + static_cast<uint64_t>(std::llround(device_blocks_ * ticks_per_block)));
        }
    }
    uint64_t start_ = 0;
    double device_blocks_ = 0;
};

TEST_P(AudioCounters, CountWhatTheDevicePlaysAgainstWhatTheGameMade) {
    headless_clock_set_auto_advance(0);
    ASSERT_EQ(audio_restart(0), 1);
    start_ = headless_clock_value();
    run_frames(60, 1.0); // the stream settles at real speed
    const AudioStreamState& a = machine.host.audio;
    EXPECT_EQ(a.blocks_dropped, 0u);
    EXPECT_EQ(a.blocks_repeated, 0u);
    const uint64_t sent_before = a.blocks_sent;

    constexpr int FRAMES = 1200;
    run_frames(FRAMES, GetParam().device_blocks_per_frame);
    const double tolerance = 0.02 * FRAMES + 8; // the ring and the buffer hold up to 8 blocks each
    EXPECT_NEAR(static_cast<double>(a.blocks_dropped), GetParam().dropped_per_frame * FRAMES, tolerance);
    EXPECT_NEAR(static_cast<double>(a.blocks_repeated), GetParam().repeated_per_frame * FRAMES, tolerance);
    // Every block the device played was either one of the game's blocks, sent once, or counted
    // as repeated.
    const double game_blocks_sent = FRAMES - static_cast<double>(a.blocks_dropped);
    EXPECT_NEAR(game_blocks_sent + static_cast<double>(a.blocks_repeated),
                GetParam().device_blocks_per_frame * FRAMES, tolerance);
    EXPECT_GE(static_cast<double>(a.blocks_sent - sent_before), game_blocks_sent - 8);
}

INSTANTIATE_TEST_SUITE_P(
    Paces, AudioCounters,
    // A slow device leaves the ring no room: the renderer goes round over unsent blocks. A fast
    // one makes the writer catch up with the renderer and send old blocks again; one faster than
    // the writer's two blocks a frame also plays its buffer's old contents.
    ::testing::Values(Pace{"RealSpeed", 1.0, 0.0, 0.0},
                      Pace{"DeviceSlower", 0.75, 0.25, 0.0},
                      Pace{"DeviceStopped", 0.0, 1.0, 0.0},
                      Pace{"DeviceFaster", 1.25, 0.0, 0.25},
                      Pace{"DeviceFasterThanTheWriter", 3.0, 0.0, 2.0}),
    [](const auto& info) { return info.param.name; });

} // namespace
