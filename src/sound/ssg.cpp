// The SSG: three square-wave tone generators, the noise generator and the envelope generator,
// rendered as the time each channel's output is high within each output sample. Time runs in
// units where one output sample is 0x8000 and one period count is 2890.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "machine.h"
#include "sound/chip_internal.h"

namespace {

constexpr int32_t SAMPLE_SPAN = 0x8000;
constexpr int32_t PERIOD_UNIT = 2890;
constexpr int32_t ENVELOPE_MINIMUM = 1445;
// The SSG sum can pass the signed 16-bit range with three channels at full level; it is held at
// the top instead of wrapping into negative samples (decision).
constexpr int32_t SSG_MAXIMUM = 32767;

void set_period(int32_t& period, int32_t& counter, int32_t new_period) {
    counter += new_period - period;
    if (counter < 1) counter = 1;
    period = new_period;
}

void update_amplitude(int channel) {
    SsgState& s = machine.sound_chip.ssg;
    const uint8_t value = s.regs[8 + channel];
    s.use_envelope[channel] = (value & 0x10) != 0;
    const int level = value & 15;
    s.amplitude[channel] =
        s.use_envelope[channel] ? s.envelope_volume : s.volume_table[level ? 2 * level + 1 : 0];
}

void set_envelope_volume(int32_t volume) {
    SsgState& s = machine.sound_chip.ssg;
    s.envelope_volume = volume;
    for (int c = 0; c < 3; ++c)
        if (s.use_envelope[c]) s.amplitude[c] = volume;
}

void envelope_advance() {
    SsgState& s = machine.sound_chip.ssg;
    if (s.envelope_ended) return;
    if (--s.envelope_step < 0) {
        if (s.envelope_alternate) s.envelope_mask ^= 31;
        if (s.envelope_hold) {
            s.envelope_step = 0;
            s.envelope_ended = 1;
        } else {
            s.envelope_step = 31;
        }
    }
    set_envelope_volume(s.volume_table[s.envelope_step ^ s.envelope_mask]);
}

void noise_advance() {
    SsgState& s = machine.sound_chip.ssg;
    s.noise_shift = (s.noise_shift & 1) ? (s.noise_shift ^ 0x28000u) >> 1 : s.noise_shift >> 1;
}

// The sum of the three channels' high time × amplitude over one output sample.
int32_t ssg_sample() {
    SsgState& s = machine.sound_chip.ssg;
    int64_t sum = 0;
    int32_t left = SAMPLE_SPAN;
    while (left > 0) {
        int32_t span =
            std::min({left, s.tone_counter[0], s.tone_counter[1], s.tone_counter[2], s.noise_counter});
        if (!s.envelope_ended) span = std::min(span, s.envelope_counter);
        const bool noise = (s.noise_shift & 1) != 0;
        for (int c = 0; c < 3; ++c) {
            const bool tone_high = s.tone_output[c] || (s.mixer & (1 << c));
            const bool noise_high = noise || (s.mixer & (8 << c));
            if (tone_high && noise_high) sum += static_cast<int64_t>(span) * s.amplitude[c];
        }
        left -= span;
        for (int c = 0; c < 3; ++c) {
            s.tone_counter[c] -= span;
            if (s.tone_counter[c] <= 0) {
                s.tone_counter[c] += s.tone_period[c];
                s.tone_output[c] ^= 1;
            }
        }
        s.noise_counter -= span;
        if (s.noise_counter <= 0) {
            s.noise_counter += s.noise_period;
            noise_advance();
        }
        if (!s.envelope_ended) {
            s.envelope_counter -= span;
            if (s.envelope_counter <= 0) {
                s.envelope_counter += s.envelope_period;
                envelope_advance();
            }
        }
    }
    return static_cast<int32_t>(std::min<int64_t>(sum >> 16, SSG_MAXIMUM));
}

void fill(uint8_t* output, int32_t count, int32_t bits, int32_t channels, int32_t value) {
    for (int32_t i = 0; i < count; ++i) {
        for (int32_t lane = 0; lane < channels; ++lane) {
            if (bits == 16) {
                const auto sample = static_cast<int16_t>(value);
                std::memcpy(output, &sample, 2);
                output += 2;
            } else {
                *output++ = static_cast<uint8_t>(value >> 8);
            }
        }
    }
}

} // namespace

void ssg_build_volume_table() {
    SsgState& s = machine.sound_chip.ssg;
    s.volume_table[0] = 0;
    for (int i = 1; i < 32; ++i)
        s.volume_table[i] = static_cast<int32_t>(std::floor(32767.0 / std::pow(10.0, 1.5 * (31 - i) / 20.0)));
}

void ssg_reset() {
    SsgState& s = machine.sound_chip.ssg;
    if (s.volume_table[31] == 0) ssg_build_volume_table();
    for (int reg = 0; reg <= 13; ++reg) {
        s.address = static_cast<uint8_t>(reg);
        ssg_write(1, 0);
    }
    s.address = 0;
    s.noise_shift = 1;
    s.tone_output[0] = s.tone_output[1] = s.tone_output[2] = 0;
}

void ssg_write(int address, uint8_t value) {
    SsgState& s = machine.sound_chip.ssg;
    if (address == 0) {
        s.address = value & 15;
        return;
    }
    const int reg = s.address;
    s.regs[reg] = value;
    switch (reg) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5: {
        const int c = reg >> 1;
        s.regs[2 * c + 1] &= 0x0F;
        const int period = s.regs[2 * c] | (s.regs[2 * c + 1] << 8);
        set_period(s.tone_period[c], s.tone_counter[c], std::max(period, 1) * PERIOD_UNIT);
        break;
    }
    case 6:
        set_period(s.noise_period, s.noise_counter, std::max(value & 31, 1) * PERIOD_UNIT);
        break;
    case 7:
        s.mixer = value & 0x3F;
        break;
    case 8:
    case 9:
    case 10:
        update_amplitude(reg - 8);
        break;
    case 11:
    case 12: {
        const int period = s.regs[11] | (s.regs[12] << 8);
        set_period(s.envelope_period, s.envelope_counter, period ? period * PERIOD_UNIT : ENVELOPE_MINIMUM);
        break;
    }
    case 13:
        s.envelope_mask = (value & 4) ? 31 : 0;
        if (!(value & 8)) {
            s.envelope_hold = 1;
            s.envelope_alternate = s.envelope_mask != 0;
        } else {
            s.envelope_hold = value & 1;
            s.envelope_alternate = (value >> 1) & 1;
        }
        s.envelope_step = 31;
        s.envelope_ended = 0;
        set_envelope_volume(s.volume_table[s.envelope_step ^ s.envelope_mask]);
        break;
    default:
        break; // 14 and 15: stored only
    }
}

uint8_t ssg_read() {
    const SsgState& s = machine.sound_chip.ssg;
    return s.regs[s.address];
}

void ssg_render(uint8_t* output, int32_t count, int32_t bits, int32_t channels) {
    SsgState& s = machine.sound_chip.ssg;
    if (s.mixer == 0x3F && s.envelope_ended) {
        const int32_t level = (s.amplitude[0] + s.amplitude[1] + s.amplitude[2]) >> 1;
        fill(output, count, bits, channels, std::min(level, SSG_MAXIMUM));
        return;
    }
    for (int32_t i = 0; i < count; ++i)
        fill(output + i * channels * (bits / 8), 1, bits, channels, ssg_sample());
}
