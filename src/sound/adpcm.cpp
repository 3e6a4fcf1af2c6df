// The ADPCM sample channels: six ADPCM-A channels at the chip's fixed sample rate and the
// ADPCM-B channel at its programmable rate, their registers, decoding, end flags, and the declick
// fade that replaces the click of a stopped or restarted channel. Every sample ROM read is of a
// byte below the ROM's length, whatever the registers say.
#include <algorithm>
#include <cstring>

#include "machine.h"
#include "sound/chip_internal.h"

namespace {

constexpr int32_t ROW_ADJUST[8] = {-16, -16, -16, -16, 32, 80, 112, 144};
constexpr int32_t B_MULTIPLIER[16] = {1, 3, 5, 7, 9, 11, 13, 15, -1, -3, -5, -7, -9, -11, -13, -15};
constexpr int32_t B_SCALE[8] = {57, 57, 57, 57, 77, 102, 128, 153};
constexpr uint32_t A_NIBBLES_PER_SAMPLE = 0x6B7D0000u; // of 0x80000000, about 0.84
constexpr int32_t FADE_STEP = 0x40000;
constexpr int B_DECLICK = ADPCM_A_CHANNELS;

// Hands a channel's last output to its fade. Adding to what is still fading keeps the sum the
// listener hears continuous (decision: a restart within a fade adds, it does not replace).
void start_fade(int index, int32_t output, uint8_t pan) {
    Declick& d = machine.sound_chip.declick[index];
    d.value += output;
    d.pan = pan;
    d.active = d.value > FADE_STEP || d.value < -FADE_STEP;
    if (!d.active) d.value = 0;
}

// Mixing into the two accumulation buffers by pan; mono keeps everything in the left one.
inline void add_panned(int32_t* left, int32_t* right, int32_t i, int32_t value, uint8_t pan, bool mono) {
    if (mono) {
        if (pan != 0) left[i] += value;
        return;
    }
    if (pan & 2) left[i] += value;
    if (pan & 1) right[i] += value;
}

struct MixTarget {
    int32_t* left;
    int32_t* right;
    int32_t count;
    bool mono;
};

// A channel that ends inside a block fades from the sample where it ended; what is left of the
// fade at the block's end joins the channel's declick state for the next block.
void fade_from(int index, int32_t value, uint8_t pan, const MixTarget& mix, int32_t from) {
    int32_t i = from;
    for (; i < mix.count && (value > FADE_STEP || value < -FADE_STEP); ++i) {
        add_panned(mix.left, mix.right, i, value, pan, mix.mono);
        value += value > 0 ? -FADE_STEP : FADE_STEP;
    }
    start_fade(index, value, pan);
}

void a_volume(AdpcmAChannel& ch) {
    const SoundChipState& chip = machine.sound_chip;
    ch.volume = chip.tables.level[32 * (ch.attenuation + chip.adpcm_a_master)] / 1024;
}

void a_start(int c) {
    SoundChipState& chip = machine.sound_chip;
    AdpcmAChannel& ch = chip.adpcm_a[c];
    if (ch.playing) start_fade(c, ch.output, ch.pan);
    ch.playing = 0;
    ch.output = 0;
    if (chip.adpcm_a_rom == nullptr || ch.start >= chip.adpcm_a_length) return;
    // The end is fixed at the start (decision): a later end write applies at the next start.
    ch.play_end = std::min(ch.end, chip.adpcm_a_length - 1);
    ch.position = 2 * ch.start;
    ch.fraction = 0;
    ch.signal = 0;
    ch.step_row = 0;
    ch.playing = 1;
}

void a_stop(int c) {
    AdpcmAChannel& ch = machine.sound_chip.adpcm_a[c];
    if (ch.playing) start_fade(c, ch.output, ch.pan);
    ch.playing = 0;
    ch.output = 0;
}

uint32_t b_start_address() {
    const uint8_t* r = machine.sound_chip.adpcm_b_regs;
    return static_cast<uint32_t>(r[0x13]) << 16 | static_cast<uint32_t>(r[0x12]) << 8;
}

uint32_t b_end_address() {
    const uint8_t* r = machine.sound_chip.adpcm_b_regs;
    return static_cast<uint32_t>(r[0x15]) << 16 | static_cast<uint32_t>(r[0x14]) << 8 | 0xFF;
}

void b_restart_decoder(AdpcmBChannel& b) {
    b.position = 2 * b.play_start;
    b.fraction = 0;
    b.step_size = 127;
    b.signal = 0;
    b.target = b.previous_target = 0;
    b.output = 0;
}

void b_slope(AdpcmBChannel& b) {
    b.slope = static_cast<int32_t>(static_cast<int64_t>(b.volume) * b.step / 65536);
}

void render_a(int c, const MixTarget& mix) {
    SoundChipState& chip = machine.sound_chip;
    AdpcmAChannel& ch = chip.adpcm_a[c];
    if (!ch.playing) return;
    // Working copies: the buffers are int32 too, so the compiler cannot keep fields in registers.
    const uint8_t* rom = chip.adpcm_a_rom;
    const auto& deltas = chip.tables.adpcm_a_deltas;
    const uint32_t end_position = 2 * ch.play_end;
    const int32_t volume = ch.volume;
    uint32_t fraction = ch.fraction, position = ch.position;
    int32_t signal = ch.signal, step_row = ch.step_row, output = ch.output;
    int32_t* left = mix.left;
    int32_t* right = mix.right;
    const uint8_t pan = mix.mono ? (ch.pan ? 2 : 0) : ch.pan;
    for (int32_t i = 0; i < mix.count; ++i) {
        fraction += A_NIBBLES_PER_SAMPLE;
        if (fraction >= 0x80000000u) {
            fraction -= 0x80000000u;
            if (position >= end_position) {
                chip.status_b |= ch.end_bit & chip.status_b_mask;
                ch.playing = 0;
                fade_from(c, output, ch.pan, mix, i);
                output = 0;
                break;
            }
            const uint8_t byte = rom[position >> 1];
            const int n = (position & 1) ? (byte & 15) : (byte >> 4);
            ++position;
            signal = std::clamp(signal + deltas[step_row >> 4][n], -1024, 1023);
            step_row = std::clamp(step_row + ROW_ADJUST[n & 7], 0, 768);
            output = signal * volume;
        }
        if (pan & 2) left[i] += output;
        if (pan & 1) right[i] += output;
    }
    ch.fraction = fraction;
    ch.position = position;
    ch.signal = signal;
    ch.step_row = step_row;
    ch.output = output;
}

// Decodes the next ADPCM-B nibble (due at output sample i); false when the channel stopped at
// its end.
bool b_next_nibble(AdpcmBChannel& b, const MixTarget& mix, int32_t i) {
    SoundChipState& chip = machine.sound_chip;
    if (b.position >= 2 * b.play_end) {
        fade_from(B_DECLICK, b.output, b.pan, mix, i);
        if (b.repeat) {
            b_restart_decoder(b);
        } else {
            b.playing = 0;
            b.output = 0;
            chip.status_b |= 0x80 & chip.status_b_mask;
            return false;
        }
    }
    const uint8_t byte = chip.adpcm_b_rom[b.position >> 1];
    const int n = (b.position & 1) ? (byte & 15) : (byte >> 4);
    ++b.position;
    const int32_t old = b.signal;
    b.signal = std::clamp(b.signal + B_MULTIPLIER[n] * (b.step_size >> 3), -32768, 32767);
    b.previous_target = b.target;
    b.target = old + ((b.signal - old) >> 1);
    b.step_size = std::clamp((b.step_size * B_SCALE[n & 7]) >> 6, 127, 24576);
    b.output = b.previous_target * b.volume;
    return true;
}

void render_b(const MixTarget& mix) {
    AdpcmBChannel& b = machine.sound_chip.adpcm_b;
    for (int32_t i = 0; i < mix.count && b.playing; ++i) {
        b.fraction += b.step;
        while (b.fraction >= 0x10000u) {
            b.fraction -= 0x10000u;
            if (!b_next_nibble(b, mix, i)) return;
        }
        b.output += (b.target - b.previous_target) * b.slope;
        add_panned(mix.left, mix.right, i, b.output, b.pan, mix.mono);
    }
}

void render_fades(const MixTarget& mix, int first, int last) {
    for (int index = first; index <= last; ++index) {
        Declick& d = machine.sound_chip.declick[index];
        for (int32_t i = 0; i < mix.count && d.active; ++i) {
            add_panned(mix.left, mix.right, i, d.value, d.pan, mix.mono);
            d.value += d.value > 0 ? -FADE_STEP : FADE_STEP;
            if (d.value <= FADE_STEP && d.value >= -FADE_STEP) {
                d.active = 0;
                d.value = 0;
            }
        }
    }
}

void render_a_kind(const MixTarget& mix) {
    render_fades(mix, 0, ADPCM_A_CHANNELS - 1);
    for (int c = 0; c < ADPCM_A_CHANNELS; ++c)
        render_a(c, mix);
}

void render_b_kind(const MixTarget& mix) {
    render_fades(mix, B_DECLICK, B_DECLICK);
    render_b(mix);
}

void clear_mix(const MixTarget& mix) {
    std::memset(mix.left, 0, sizeof(int32_t) * static_cast<size_t>(mix.count));
    std::memset(mix.right, 0, sizeof(int32_t) * static_cast<size_t>(mix.count));
}

bool any_active() {
    const SoundChipState& chip = machine.sound_chip;
    for (const AdpcmAChannel& ch : chip.adpcm_a)
        if (ch.playing) return true;
    if (chip.adpcm_b.playing) return true;
    for (const Declick& d : chip.declick)
        if (d.active) return true;
    return false;
}

} // namespace

void adpcm_reset() {
    SoundChipState& chip = machine.sound_chip;
    std::memset(chip.adpcm_a_regs, 0, sizeof chip.adpcm_a_regs);
    std::memset(chip.adpcm_b_regs, 0, sizeof chip.adpcm_b_regs);
    chip.adpcm_a_master = 0;
    for (int c = 0; c < ADPCM_A_CHANNELS; ++c) {
        chip.adpcm_a[c] = AdpcmAChannel{};
        chip.adpcm_a[c].end_bit = static_cast<uint8_t>(1 << c);
        a_volume(chip.adpcm_a[c]);
    }
    chip.adpcm_b = AdpcmBChannel{};
    for (Declick& d : chip.declick)
        d = Declick{};
}

void adpcm_a_register_write(int reg, uint8_t value) {
    SoundChipState& chip = machine.sound_chip;
    if (reg < 0 || reg >= 0x30) return;
    chip.adpcm_a_regs[reg] = value;
    if (reg == 0x00) {
        for (int c = 0; c < ADPCM_A_CHANNELS; ++c) {
            if (!(value & (1 << c))) continue;
            if (value & 0x80)
                a_stop(c);
            else
                a_start(c);
        }
        return;
    }
    if (reg == 0x01) {
        chip.adpcm_a_master = ~value & 0x3F;
        for (AdpcmAChannel& ch : chip.adpcm_a)
            a_volume(ch);
        return;
    }
    const int c = reg & 7;
    if (c >= ADPCM_A_CHANNELS) return;
    AdpcmAChannel& ch = chip.adpcm_a[c];
    const uint8_t* r = chip.adpcm_a_regs;
    switch (reg & 0x38) {
    case 0x08:
        ch.attenuation = ~value & 0x1F;
        ch.pan = value >> 6;
        a_volume(ch);
        break;
    case 0x10:
    case 0x18:
        ch.start = static_cast<uint32_t>(r[0x18 + c]) << 16 | static_cast<uint32_t>(r[0x10 + c]) << 8;
        break;
    case 0x20:
    case 0x28:
        ch.end = static_cast<uint32_t>(r[0x28 + c]) << 16 | static_cast<uint32_t>(r[0x20 + c]) << 8 | 0xFF;
        break;
    default:
        break;
    }
}

void adpcm_b_register_write(int reg, uint8_t value) {
    SoundChipState& chip = machine.sound_chip;
    AdpcmBChannel& b = chip.adpcm_b;
    if (reg < 0x10 || reg >= 0x20) return;
    const int32_t old_volume = b.volume;
    chip.adpcm_b_regs[reg] = value;
    switch (reg) {
    case 0x10:
        if (value & 0x80) {
            if (b.playing) start_fade(B_DECLICK, b.output, b.pan);
            b.playing = 0;
            // Bit 4 is the repeat bit; bit 7 (start) says nothing about repeating.
            b.repeat = (value & 0x10) != 0;
            // Start and end are fixed here (decision): later address writes apply at the next start.
            b.play_start = b.start;
            b_restart_decoder(b);
            if (b.step == 0 || chip.adpcm_b_rom == nullptr || b.start >= chip.adpcm_b_length) break;
            b.play_end = std::min(b.end, chip.adpcm_b_length - 1);
            b.playing = 1;
        } else if (value & 0x01) {
            if (b.playing) start_fade(B_DECLICK, b.output, b.pan);
            b.playing = 0;
            b.output = 0;
        }
        break;
    case 0x11:
        b.pan = value >> 6;
        break;
    case 0x12:
    case 0x13:
        b.start = b_start_address();
        break;
    case 0x14:
    case 0x15:
        b.end = b_end_address();
        break;
    case 0x19:
    case 0x1A:
        b.delta_n = static_cast<uint32_t>(chip.adpcm_b_regs[0x1A]) << 8 | chip.adpcm_b_regs[0x19];
        b.step = static_cast<uint32_t>(static_cast<uint64_t>(chip.tables.freqbase) * b.delta_n / 4096);
        b_slope(b);
        break;
    case 0x1B:
        b.volume = 16 * value;
        if (old_volume != 0) {
            b.output = static_cast<int32_t>(static_cast<int64_t>(b.output) * b.volume / old_volume);
            Declick& d = chip.declick[B_DECLICK];
            d.value = static_cast<int32_t>(static_cast<int64_t>(d.value) * b.volume / old_volume);
        }
        b_slope(b);
        break;
    case 0x1C:
        chip.status_b_mask = static_cast<uint8_t>(~value);
        chip.status_b &= chip.status_b_mask;
        break;
    default:
        break;
    }
}

void adpcm_render(uint8_t* output, int32_t count, int32_t bits, int32_t channels) {
    SoundChipState& chip = machine.sound_chip;
    if (!any_active()) return;
    const bool mono = channels == 1;
    while (count > 0) {
        const int32_t n = std::min(count, chip.mix_samples);
        std::memset(chip.mix_left, 0, sizeof(int32_t) * static_cast<size_t>(n));
        std::memset(chip.mix_right, 0, sizeof(int32_t) * static_cast<size_t>(n));
        const MixTarget mix{chip.mix_left, chip.mix_right, n, mono};
        // Each kind's fades come before its channels: a channel that ends inside this block adds
        // its own fade from that sample. The buffers only sum, so the order of the kinds does not
        // change the mix; a kind muted by the test hook goes first and is cleared away.
        const bool mute_a = (chip.section_mute & SECTION_MUTE_ADPCM_A) != 0;
        const bool mute_b = (chip.section_mute & SECTION_MUTE_ADPCM_B) != 0;
        if (mute_b) {
            render_b_kind(mix);
            clear_mix(mix);
        }
        render_a_kind(mix);
        if (mute_a) clear_mix(mix);
        if (!mute_b) render_b_kind(mix);
        for (int32_t i = 0; i < n; ++i) {
            for (int32_t lane = 0; lane < channels; ++lane) {
                const int32_t value = lane == 0 ? chip.mix_left[i] : chip.mix_right[i];
                if (bits == 16) {
                    int16_t sample;
                    std::memcpy(&sample, output, 2);
                    sample = static_cast<int16_t>(std::clamp(sample + (value >> 12), -32760, 32760));
                    std::memcpy(output, &sample, 2);
                    output += 2;
                } else {
                    const auto sample = static_cast<int8_t>(*output);
                    *output++ = static_cast<uint8_t>(std::clamp(sample + (value >> 20), -126, 127));
                }
            }
        }
        count -= n;
    }
}
