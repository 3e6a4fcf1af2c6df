// The sample ROM (109): drums for the ADPCM-A channels, synthesised here, and the spoken "QZB"
// for the ADPCM-B channel (made by espeak-ng at build time, or a synthesised vowel without it).
// Every sample starts on a 256-byte boundary, the addressing unit of both channel kinds.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cartridge.h"

namespace cart {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A small deterministic noise source, so the images are the same on every build.
struct Noise {
    uint32_t state = 0x12345678;
    double next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }
};

int16_t to_pcm(double v) {
    return static_cast<int16_t>(std::lround(std::fmax(-1.0, std::fmin(1.0, v)) * 30000.0));
}

uint32_t round_up(uint32_t v) {
    return (v + 255) & ~255u;
}

void place(Bytes& rom, uint32_t& cursor, const std::string& name, const Bytes& data,
           std::vector<SampleSlot>& slots) {
    SampleSlot s;
    s.name = name;
    s.start = cursor;
    std::copy(data.begin(), data.end(), rom.begin() + cursor);
    s.end = cursor + round_up(static_cast<uint32_t>(data.size())) - 1;
    cursor = s.end + 1;
    slots.push_back(s);
}

// Pads with silence to a whole number of 256-byte blocks once encoded (two samples per byte).
std::vector<int16_t> padded(std::vector<int16_t> pcm) {
    while (pcm.size() % 512 != 0)
        pcm.push_back(0);
    return pcm;
}

} // namespace

std::vector<int16_t> synth_kick() {
    std::vector<int16_t> out;
    double phase = 0;
    const int n = kAdpcmARate * 30 / 100;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kAdpcmARate;
        const double freq = 45.0 + 110.0 * std::exp(-t * 30.0);
        phase += 2 * kPi * freq / kAdpcmARate;
        out.push_back(to_pcm(std::sin(phase) * std::exp(-t * 9.0)));
    }
    return out;
}

std::vector<int16_t> synth_snare() {
    std::vector<int16_t> out;
    Noise noise;
    double phase = 0, low = 0;
    const int n = kAdpcmARate * 22 / 100;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kAdpcmARate;
        phase += 2 * kPi * 190.0 / kAdpcmARate;
        const double white = noise.next();
        low += (white - low) * 0.5;
        out.push_back(to_pcm(0.5 * std::sin(phase) * std::exp(-t * 25.0) + 0.8 * low * std::exp(-t * 14.0)));
    }
    return out;
}

std::vector<int16_t> synth_hat() {
    std::vector<int16_t> out;
    Noise noise;
    double previous = 0;
    const int n = kAdpcmARate * 8 / 100;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kAdpcmARate;
        const double white = noise.next();
        const double high = white - previous; // a crude high pass
        previous = white;
        out.push_back(to_pcm(0.6 * high * std::exp(-t * 45.0)));
    }
    return out;
}

std::vector<int16_t> synth_boom() {
    std::vector<int16_t> out;
    Noise noise;
    double low = 0;
    const int n = kAdpcmARate * 70 / 100;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kAdpcmARate;
        low += (noise.next() - low) * (0.25 * std::exp(-t * 3.0) + 0.03);
        out.push_back(to_pcm(2.5 * low * std::exp(-t * 4.5)));
    }
    return out;
}

// Three vowel-like tones standing for "cue", "zed", "bee" when no speech synthesiser is around.
std::vector<int16_t> synth_voice_fallback() {
    std::vector<int16_t> out;
    const double pitches[3] = {150.0, 135.0, 125.0};
    const double formants[3][2] = {{300, 2300}, {500, 1800}, {280, 2250}};
    for (int word = 0; word < 3; ++word) {
        const int n = kVoiceRate * 28 / 100;
        for (int i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / kVoiceRate;
            double v = 0;
            for (int h = 1; h < 20; ++h) {
                const double f = pitches[word] * h;
                const double weight = std::exp(-std::pow((f - formants[word][0]) / 150.0, 2)) +
                                      0.5 * std::exp(-std::pow((f - formants[word][1]) / 300.0, 2));
                v += weight * std::sin(2 * kPi * f * t);
            }
            const double envelope = std::fmin(1.0, t * 40.0) * std::fmin(1.0, (0.28 - t) * 20.0);
            out.push_back(to_pcm(0.35 * v * envelope));
        }
        for (int i = 0; i < kVoiceRate / 12; ++i)
            out.push_back(0);
    }
    return out;
}

Bytes build_sample_rom(const std::vector<int16_t>& voice, std::vector<SampleSlot>& slots) {
    Bytes rom(kSampleSize, 0);
    slots.clear();
    uint32_t cursor = 0;
    place(rom, cursor, "KICK", encode_adpcm_a(padded(synth_kick())), slots);
    place(rom, cursor, "SNARE", encode_adpcm_a(padded(synth_snare())), slots);
    place(rom, cursor, "HAT", encode_adpcm_a(padded(synth_hat())), slots);
    place(rom, cursor, "BOOM", encode_adpcm_a(padded(synth_boom())), slots);
    // The voice starts in the sample ROM's second MiB, well away from the drums.
    cursor = std::max<uint32_t>(cursor, 0x100000);
    place(rom, cursor, "VOICE", encode_adpcm_b(padded(voice)), slots);
    return rom;
}

std::string sample_include(const std::vector<SampleSlot>& slots) {
    std::string text = "; Sample addresses in 256-byte pages, written by the cartridge tool.\n";
    char line[128];
    for (const SampleSlot& s : slots) {
        std::snprintf(line, sizeof line, "SMP_%s_START equ 0x%04X\nSMP_%s_END equ 0x%04X\n", s.name.c_str(),
                      s.start >> 8, s.name.c_str(), s.end >> 8);
        text += line;
    }
    // ADPCM-B delta-N for the voice rate: rate x 65536 / (8 MHz / 144).
    std::snprintf(line, sizeof line, "VOICE_DELTA_N equ %d\n",
                  static_cast<int>(std::lround(kVoiceRate * 65536.0 * 144.0 / 8000000.0)));
    text += line;
    return text;
}

} // namespace cart
