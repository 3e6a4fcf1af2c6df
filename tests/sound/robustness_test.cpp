// Whatever the sound program writes, the chip reads only inside its tables and the sample ROM and
// its output stays within the clamps (the sanitizer build checks the reads and the arithmetic).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "sound_fixture.h"

namespace {

struct FormatCase {
    int32_t bits;
    int32_t channels;
};

class RandomWritesTest : public SoundChipTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(RandomWritesTest, AnyRegisterTrafficStaysInBounds) {
    std::mt19937 random(20261209);
    for (uint8_t& b : rom)
        b = static_cast<uint8_t>(random());
    start_chip();
    const FormatCase& c = GetParam();
    for (int round = 0; round < 400; ++round) {
        for (int i = 0; i < 50; ++i) {
            const auto port = static_cast<int>(random() & 3);
            // An address write is followed by a data write to its pair, any value.
            const auto value = static_cast<uint8_t>(random());
            chip_write(port, value);
            if (port == 0 || port == 2) chip_write(port + 1, static_cast<uint8_t>(random()));
        }
        const auto count = static_cast<int32_t>(random() % 400 + 1);
        if (c.bits == 16) {
            for (int16_t s : render16(count, c.channels))
                ASSERT_LE(std::abs(s), 32760);
        } else {
            const auto bytes = render8(count, c.channels);
            for (uint8_t s : bytes)
                ASSERT_TRUE(s >= 1 && s <= 254);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sound, RandomWritesTest,
                         ::testing::Values(FormatCase{16, 2}, FormatCase{16, 1}, FormatCase{8, 2},
                                           FormatCase{8, 1}),
                         [](const auto& info) {
                             return std::to_string(info.param.bits) + "Bit" +
                                    (info.param.channels == 2 ? "Stereo" : "Mono");
                         });

} // namespace
