// Mixing: the SSG writes each block, the ADPCM channels are added to it, then the FM channels
// sample by sample, every addition clamped, in the ring's sample format. Also the rendering of the
// ring up to the current emulated time.
#include <algorithm>
#include <cstring>

#include "app/profiler.h"
#include "host/flags.h"
#include "machine.h"
#include "sound/chip_internal.h"
#include "sound/sound.h"

namespace {

constexpr int64_t FM_LOW = -0x8000000;
constexpr int64_t FM_HIGH = 0x7FFF000;

int32_t fm_value(int64_t a, int64_t b) {
    return static_cast<int32_t>(std::clamp((a + b) / 3 * 2, FM_LOW, FM_HIGH));
}

// The FM channels' next sample for each output lane (left and right, or one mono lane).
void fm_sample_values(int32_t channels, bool with_fm, int32_t values[2]) {
    int64_t left_only = 0, right_only = 0, both = 0;
    if (with_fm) {
        fm_render_sample(left_only, right_only, both);
        if (machine.sound_chip.section_mute & SECTION_MUTE_FM) left_only = right_only = both = 0;
    }
    if (channels == 2) {
        values[0] = fm_value(left_only, both);
        values[1] = fm_value(both, right_only);
    } else {
        values[0] = static_cast<int32_t>(std::clamp((left_only + both + right_only) / 3 * 2, FM_LOW, FM_HIGH));
    }
}

void add_fm_16(uint8_t* output, int32_t count, int32_t channels, bool with_fm) {
    for (int32_t i = 0; i < count; ++i) {
        int32_t values[2];
        fm_sample_values(channels, with_fm, values);
        for (int32_t lane = 0; lane < channels; ++lane) {
            int16_t sample;
            std::memcpy(&sample, output, 2);
            sample = static_cast<int16_t>(std::clamp(sample + (values[lane] >> 12), -32760, 32760));
            std::memcpy(output, &sample, 2);
            output += 2;
        }
    }
}

// The 8-bit path also turns the signed block into offset unsigned samples.
void add_fm_8(uint8_t* output, int32_t count, int32_t channels, bool with_fm) {
    for (int32_t i = 0; i < count; ++i) {
        int32_t values[2];
        fm_sample_values(channels, with_fm, values);
        for (int32_t lane = 0; lane < channels; ++lane) {
            const auto sample = static_cast<int8_t>(*output);
            *output++ = static_cast<uint8_t>(std::clamp(sample + (values[lane] >> 20), -126, 127) + 127);
        }
    }
}

} // namespace

void render_sound(uint8_t* output, int32_t count) {
    ProfileScope zone(ZONE_SOUND_CHIP);
    const AudioRing& ring = machine.audio_ring;
    const SoundChipState& chip = machine.sound_chip;
    const int32_t bits = ring.bits == 16 ? 16 : 8;
    const int32_t channels = ring.channels == 2 ? 2 : 1;
    if (count <= 0) return;
    const size_t bytes = static_cast<size_t>(count) * static_cast<size_t>(channels * bits / 8);
    const uint32_t flags = machine.settings.audio_flags;
    const bool fm_ssg = (flags & AF_FM_SSG) != 0;
    const bool adpcm = (flags & AF_ADPCM) != 0;
    if (!chip.initialised || (!fm_ssg && !adpcm)) {
        std::memset(output, 0, bytes);
        return;
    }
    if (fm_ssg) ssg_render(output, count, bits, channels);
    if (!fm_ssg || (chip.section_mute & SECTION_MUTE_SSG)) std::memset(output, 0, bytes);
    if (adpcm) adpcm_render(output, count, bits, channels);
    const bool with_fm = fm_ssg && fm_any_sounding();
    if (bits == 16) {
        if (fm_ssg) add_fm_16(output, count, channels, with_fm);
    } else {
        add_fm_8(output, count, channels, with_fm);
    }
}

void audio_render_to_now(int32_t min_pending, bool end_of_frame) {
    AudioRing& ring = machine.audio_ring;
    if (ring.ring == nullptr) return;
    const SoundTiming& t = machine.sound_timing;
    const int64_t frame = t.cycles_per_frame > 0 ? t.cycles_per_frame : SOUND_CYCLES_PER_FRAME;
    const int64_t elapsed = static_cast<int64_t>(t.sound_time) + sound_cycles_in_slice();
    int32_t due = ring.block_samples;
    if (elapsed <= frame - 5)
        due = static_cast<int32_t>(std::max<int64_t>(0, elapsed) * ring.block_samples / frame);
    if (min_pending < due - ring.rendered) {
        const int32_t frame_bytes = ring.channels * ring.bits / 8;
        uint8_t* block =
            ring.ring + static_cast<size_t>(ring.render_block) * ring.block_samples * frame_bytes;
        render_sound(block + static_cast<size_t>(ring.rendered) * frame_bytes, due - ring.rendered);
        ring.rendered = due;
    }
    if (end_of_frame) {
        ring.rendered = 0;
        ring.render_block = (ring.render_block + 1) % RING_BLOCKS;
    }
}
