// The cartridge's ADPCM encoders against a decoder written here from the chip's decoding rules:
// what the chip will play back must follow what was encoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <ostream>
#include <vector>

#include "cartridge.h"

namespace {

// ADPCM-A: 49 step rows, signal clamped to -1024..1023, high nibble first.
std::vector<int> chip_decode_a(const cart::Bytes& data) {
    int signal = 0, row = 0;
    const int adjust[8] = {-16, -16, -16, -16, 32, 80, 112, 144};
    std::vector<int> out;
    for (const uint8_t byte : data) {
        for (const int n : {byte >> 4, byte & 15}) {
            const int step = static_cast<int>(std::floor(16.0 * std::pow(1.1, row / 16)));
            int delta = step * (2 * (n & 7) + 1) / 8;
            if (n & 8) delta = -delta;
            signal = std::clamp(signal + delta, -1024, 1023);
            row = std::clamp(row + adjust[n & 7], 0, 768);
            out.push_back(signal);
        }
    }
    return out;
}

// ADPCM-B: multipliers +-1..15 times step size / 8, step size scaled in 1/64.
std::vector<int> chip_decode_b(const cart::Bytes& data) {
    int signal = 0, step_size = 127;
    const int scale[8] = {57, 57, 57, 57, 77, 102, 128, 153};
    std::vector<int> out;
    for (const uint8_t byte : data) {
        for (const int n : {byte >> 4, byte & 15}) {
            const int multiplier = (n & 8) ? -(2 * (n & 7) + 1) : 2 * (n & 7) + 1;
            signal = std::clamp(signal + multiplier * (step_size >> 3), -32768, 32767);
            step_size = std::clamp((step_size * scale[n & 7]) >> 6, 127, 24576);
            out.push_back(signal);
        }
    }
    return out;
}

struct Signal {
    const char* name;
    std::function<double(int)> wave; // -1..1 at sample i
};

struct Codec {
    const char* name;
    cart::Bytes (*encode)(const std::vector<int16_t>&);
    std::vector<int> (*decode)(const cart::Bytes&);
    int shift;        // the decoded signal is the input >> shift
    double tolerance; // largest allowed RMS error, as a fraction of full scale
};

const Signal kSignals[] = {
    {"silence", [](int) { return 0.0; }},
    {"sine_440", [](int i) { return 0.8 * std::sin(i * 2 * 3.14159265 * 440 / 18500); }},
    {"low_sine", [](int i) { return 0.9 * std::sin(i * 2 * 3.14159265 * 60 / 18500); }},
    {"decaying_chirp", [](int i) { return std::exp(-i / 3000.0) * std::sin(i * i * 0.00002); }},
};
const Codec kCodecs[] = {
    {"a", cart::encode_adpcm_a, chip_decode_a, 5, 0.06},
    {"b", cart::encode_adpcm_b, chip_decode_b, 0, 0.06},
};

void PrintTo(const Signal& s, std::ostream* os) {
    *os << s.name;
}
void PrintTo(const Codec& c, std::ostream* os) {
    *os << c.name;
}

class AdpcmRoundTrip : public ::testing::TestWithParam<std::tuple<Codec, Signal>> {};

TEST_P(AdpcmRoundTrip, ChipDecodesWhatWasEncoded) {
    const auto& [codec, signal] = GetParam();
    std::vector<int16_t> pcm;
    for (int i = 0; i < 8000; ++i)
        pcm.push_back(static_cast<int16_t>(std::lround(signal.wave(i) * 30000)));
    const cart::Bytes data = codec.encode(pcm);
    ASSERT_EQ(data.size(), pcm.size() / 2);
    const std::vector<int> decoded = codec.decode(data);
    ASSERT_EQ(decoded.size(), pcm.size());
    double error = 0;
    for (size_t i = 0; i < pcm.size(); ++i)
        error += std::pow(decoded[i] - (pcm[i] >> codec.shift), 2);
    const double full_scale = 32768 >> codec.shift;
    EXPECT_LT(std::sqrt(error / static_cast<double>(pcm.size())) / full_scale, codec.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Cartridge, AdpcmRoundTrip,
                         ::testing::Combine(::testing::ValuesIn(kCodecs), ::testing::ValuesIn(kSignals)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

// The tool's own decoders (used to judge the encoders) must be the chip's.
TEST(AdpcmDecoders, MatchTheChipRules) {
    cart::Bytes noise(4096);
    uint32_t state = 1;
    for (auto& b : noise)
        b = static_cast<uint8_t>((state = state * 1103515245 + 12345) >> 16);
    const auto a = cart::decode_adpcm_a(noise);
    const auto b = cart::decode_adpcm_b(noise);
    const auto chip_a = chip_decode_a(noise);
    const auto chip_b = chip_decode_b(noise);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), chip_a.begin(), chip_a.end()));
    EXPECT_TRUE(std::equal(b.begin(), b.end(), chip_b.begin(), chip_b.end()));
}

} // namespace
