#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "app/save_codec.h"

namespace {

std::vector<uint8_t> encode(const std::vector<uint8_t>& image) {
    std::vector<uint8_t> stream(SAVE_STREAM_MAX);
    stream.resize(save_encode(image.data(), stream.data()));
    return stream;
}

std::vector<uint8_t> decode(const std::vector<uint8_t>& stream) {
    std::vector<uint8_t> image(SAVE_IMAGE_SIZE, 0xCC);
    save_decode(stream.data(), stream.size(), image.data());
    return image;
}

struct CodecCase {
    const char* name;
    std::vector<std::pair<size_t, uint8_t>> bytes; // non-zero bytes of the image
    std::vector<uint8_t> stream;
};

class SaveCodecCases : public ::testing::TestWithParam<CodecCase> {};

TEST_P(SaveCodecCases, CodesToTheExpectedStreamAndBack) {
    std::vector<uint8_t> image(SAVE_IMAGE_SIZE, 0);
    for (auto [offset, value] : GetParam().bytes) image[offset] = value;
    EXPECT_EQ(encode(image), GetParam().stream);
    EXPECT_EQ(decode(GetParam().stream), image);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, SaveCodecCases,
    ::testing::Values(CodecCase{"AllZeroIsEmpty", {}, {}},
                      CodecCase{"ThreeHundredZerosThenA", {{300, 0x41}}, {0x00, 0xFF, 0x00, 0x2D, 0x41}},
                      CodecCase{"ExactlyOneFullRunThenA", {{255, 0x41}}, {0x00, 0xFF, 0x41}},
                      CodecCase{"TwoFullRunsThenA", {{510, 0x41}}, {0x00, 0xFF, 0x00, 0xFF, 0x41}},
                      CodecCase{"SevenZerosInsideOneWord", {{0, 1}, {8, 2}}, {0x01, 0x00, 0x07, 0x02}},
                      CodecCase{"LiteralAtStart", {{0, 0x07}, {1, 0x08}}, {0x07, 0x08}},
                      CodecCase{"IsolatedZeroBetweenLiterals", {{0, 1}, {2, 3}}, {0x01, 0x00, 0x01, 0x03}}),
    [](const auto& info) { return info.param.name; });

TEST(SaveCodec, TrailingZerosAreNeverWritten) {
    std::vector<uint8_t> image(SAVE_IMAGE_SIZE, 0);
    image[SAVE_IMAGE_SIZE - 256] = 0x01; // followed by exactly 255 zeros
    auto stream = encode(image);
    EXPECT_EQ(stream.back(), 0x01);
    EXPECT_EQ(stream.size(), 256u * 2 + 1) << "65,280 leading zeros code as 256 full runs";
    EXPECT_EQ(decode(stream), image);

    image[SAVE_IMAGE_SIZE - 256] = 0;
    image[SAVE_IMAGE_SIZE - 255] = 0x01; // followed by 254 zeros
    stream = encode(image);
    EXPECT_EQ(stream.back(), 0x01);
    EXPECT_EQ(decode(stream), image);
}

TEST(SaveCodec, RandomImagesRoundTrip) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 50; ++round) {
        std::vector<uint8_t> image(SAVE_IMAGE_SIZE);
        const int zero_share = round % 10; // from dense to mostly empty
        for (auto& b : image) b = (rng() % 10 < static_cast<unsigned>(zero_share)) ? 0 : static_cast<uint8_t>(rng());
        auto stream = encode(image);
        EXPECT_LE(stream.size(), SAVE_STREAM_MAX);
        save_scramble(stream.data(), stream.size());
        save_scramble(stream.data(), stream.size());
        EXPECT_EQ(decode(stream), image);
    }
}

TEST(SaveCodec, WorstCaseStreamFitsTheLimit) {
    std::vector<uint8_t> image(SAVE_IMAGE_SIZE);
    for (size_t i = 0; i < image.size(); ++i) image[i] = (i % 2) ? 0 : 0x55;
    image.back() = 0x55;
    EXPECT_LE(encode(image).size(), SAVE_STREAM_MAX);
}

TEST(SaveCodec, ScrambleCoversOddLengthsOnly) {
    std::vector<uint8_t> stream = {1, 2, 3, 4, 5, 6, 7};
    std::vector<uint8_t> guard = stream;
    guard.push_back(0xEE);
    save_scramble(guard.data(), 7);
    EXPECT_EQ(guard[7], 0xEE);
    EXPECT_NE(std::vector<uint8_t>(guard.begin(), guard.begin() + 7), stream);
    save_scramble(guard.data(), 7);
    EXPECT_EQ(std::vector<uint8_t>(guard.begin(), guard.begin() + 7), stream);
}

TEST(SaveCodec, DamagedStreamsNeverWritePastTheImage) {
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> stream(1 + rng() % 200'000);
        for (auto& b : stream) b = static_cast<uint8_t>(rng() % 4 == 0 ? 0 : rng());
        // Decoding into an exact-size buffer: AddressSanitizer catches any write past it.
        std::vector<uint8_t> image(SAVE_IMAGE_SIZE);
        save_decode(stream.data(), stream.size(), image.data());
    }
    // Literals beyond 65,536 and a count cut off by the end of the stream.
    std::vector<uint8_t> long_literals(70'000, 0x33);
    long_literals.push_back(0x00);
    auto image = decode(long_literals);
    EXPECT_EQ(image.back(), 0x33);
}

} // namespace
