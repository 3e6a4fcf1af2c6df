// ADPCM-A and ADPCM-B encoders. Each encoder runs the chip's decoder alongside and picks, for
// every input sample, the nibble whose decoded value lands nearest to it, so quantisation errors
// never accumulate. Nibbles are stored high nibble first.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "cartridge.h"

namespace cart {

namespace {

struct AdpcmADecoder {
    int signal = 0;
    int row = 0; // step index 0-48
    static int delta(int row, int nibble) {
        const int step = static_cast<int>(std::floor(16.0 * std::pow(1.1, row)));
        const int magnitude = step * (2 * (nibble & 7) + 1) / 8;
        return nibble & 8 ? -magnitude : magnitude;
    }
    static constexpr int kAdjust[8] = {-1, -1, -1, -1, 2, 5, 7, 9};
    int peek(int nibble) const { return std::clamp(signal + delta(row, nibble), -1024, 1023); }
    void step(int nibble) {
        signal = peek(nibble);
        row = std::clamp(row + kAdjust[nibble & 7], 0, 48);
    }
};

struct AdpcmBDecoder {
    int signal = 0;
    int step_size = 127;
    static constexpr int kScale[8] = {57, 57, 57, 57, 77, 102, 128, 153};
    static int multiplier(int nibble) { return nibble & 8 ? -(2 * (nibble & 7) + 1) : 2 * (nibble & 7) + 1; }
    int peek(int nibble) const {
        return std::clamp(signal + multiplier(nibble) * (step_size >> 3), -32768, 32767);
    }
    void step(int nibble) {
        signal = peek(nibble);
        step_size = std::clamp((step_size * kScale[nibble & 7]) >> 6, 127, 24576);
    }
};

template <typename Decoder> Bytes encode(const std::vector<int16_t>& pcm, int shift) {
    Decoder d;
    Bytes out((pcm.size() + 1) / 2, 0);
    for (size_t i = 0; i < pcm.size(); ++i) {
        const int target = pcm[i] >> shift;
        int best = 0, best_error = 1 << 30;
        for (int n = 0; n < 16; ++n) {
            const int error = std::abs(d.peek(n) - target);
            if (error < best_error) best = n, best_error = error;
        }
        d.step(best);
        out[i / 2] |= static_cast<uint8_t>(i % 2 == 0 ? best << 4 : best);
    }
    return out;
}

template <typename Decoder> std::vector<int16_t> decode(const Bytes& data) {
    Decoder d;
    std::vector<int16_t> out;
    out.reserve(data.size() * 2);
    for (const uint8_t byte : data) {
        for (const int nibble : {byte >> 4, byte & 15}) {
            d.step(nibble);
            out.push_back(static_cast<int16_t>(d.signal));
        }
    }
    return out;
}

} // namespace

// ADPCM-A carries a signal of -1024..1023, so 16-bit input is scaled down by 5 bits.
Bytes encode_adpcm_a(const std::vector<int16_t>& pcm) {
    return encode<AdpcmADecoder>(pcm, 5);
}
Bytes encode_adpcm_b(const std::vector<int16_t>& pcm) {
    return encode<AdpcmBDecoder>(pcm, 0);
}
std::vector<int16_t> decode_adpcm_a(const Bytes& data) {
    return decode<AdpcmADecoder>(data);
}
std::vector<int16_t> decode_adpcm_b(const Bytes& data) {
    return decode<AdpcmBDecoder>(data);
}

} // namespace cart
