// The built cartridge images: what the machine's start-up and the video chip rely on.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "app/rom_images.h"
#include "cartridge.h"

namespace {

class CartImages : public ::testing::Test {
  protected:
    cart::Bytes image(int id) {
#ifdef QZB_CART_IMAGE_DIR
        cart::Bytes bytes;
        EXPECT_TRUE(
            cart::read_file(std::string(QZB_CART_IMAGE_DIR) + "/" + std::to_string(id) + ".bin", bytes));
        return bytes;
#else
        (void)id;
        return {};
#endif
    }
    void SetUp() override {
#ifndef QZB_CART_IMAGE_DIR
        GTEST_SKIP() << "the demo cartridge was not built (cross tools missing)";
#endif
    }
};

// A 68000 long from an image stored in host word order.
uint32_t long_at(const cart::Bytes& image, size_t address) {
    auto word = [&](size_t a) { return static_cast<uint32_t>(image[a] | image[a + 1] << 8); };
    return word(address) << 16 | word(address + 2);
}
uint8_t byte_at(const cart::Bytes& image, size_t address) {
    return image[address ^ 1];
}

TEST_F(CartImages, HaveTheirExactSizes) {
    const std::pair<int, size_t> sizes[] = {
        {102, cart::kProgramSize}, {104, cart::kFixSize},     {105, cart::kFirmwareSize},
        {106, cart::kPatternSize}, {107, cart::kTableSize},   {108, cart::kSoundSize},
        {109, cart::kSampleSize},  {111, cart::kPictureSize}, {124, cart::kIconSize}};
    for (const auto& [id, size] : sizes)
        EXPECT_EQ(image(id).size(), size) << id;
}

TEST_F(CartImages, ProgramAndFirmwareStartAsTheBoardExpects) {
    const cart::Bytes program = image(102), firmware = image(105);
    ASSERT_EQ(program.size(), cart::kProgramSize);
    ASSERT_EQ(firmware.size(), cart::kFirmwareSize);
    EXPECT_EQ(cart::Bytes(program.begin(), program.begin() + 8),
              (cart::Bytes{0x10, 0x00, 0x00, 0xF3, 0xC0, 0x00, 0x02, 0x04}));
    EXPECT_EQ(long_at(firmware, 0), 0x0010F300u);
    EXPECT_EQ(long_at(firmware, 4), 0x00C00402u);
    EXPECT_NE(byte_at(firmware, 0x11C62), 0x66) << "the machine would patch the firmware";
    // The reset entry at 0xC00402 jumps to the firmware's code (sections may align past it).
    EXPECT_EQ(firmware[0x402] | firmware[0x403] << 8, 0x4EF9);
    EXPECT_GT(long_at(firmware, 0x404), 0xC00402u);
    EXPECT_LT(long_at(firmware, 0x404), 0xC20000u);
    // Both level-1 vectors lead to handlers inside their own images.
    EXPECT_GE(long_at(firmware, 0x64), 0xC00000u);
    EXPECT_LT(long_at(firmware, 0x64), 0xC20000u);
    EXPECT_LT(long_at(program, 0x64), 0x100000u);
    // The game header the firmware enters through.
    EXPECT_EQ(long_at(program, 0x100), 0x515A4221u); // "QZB!"
    EXPECT_LT(long_at(program, 0x104), 0x100000u);
    // Data in the second bank (seen at 0x200000).
    size_t used = 0;
    for (size_t i = 0x100000; i < 0x110000; ++i)
        used += program[i] != 0;
    EXPECT_GT(used, 100u);
}

TEST_F(CartImages, SoundProgramGetsTheIdleHookAtItsWaitingLoop) {
    cart::Bytes sound = image(108);
    ASSERT_EQ(sound.size(), cart::kSoundSize);
    const std::string_view t1(reinterpret_cast<const char*>(sound.data() + 0x3E));
    EXPECT_NE(t1.find("RENZAI"), std::string_view::npos);
    EXPECT_NE(t1.find("3.0"), std::string_view::npos);
    EXPECT_EQ(sound[0x13C], 0x28);
    EXPECT_EQ(sound[0x13D], 0xF5);
    const cart::Bytes before = sound;
    patch_sound_program_image(sound.data(), sound.size());
    EXPECT_EQ(sound[0x13C], 0xED);
    EXPECT_EQ(sound[0x13D], 0x02);
    size_t changed = 0;
    for (size_t i = 0; i < sound.size(); ++i)
        changed += sound[i] != before[i];
    EXPECT_EQ(changed, 2u) << "only the JR Z of the waiting loop is rewritten";
}

TEST_F(CartImages, BoardFixBankHoldsTheMenuGlyphs) {
    const cart::Bytes fix = image(104);
    ASSERT_EQ(fix.size(), cart::kFixSize);
    const std::string codes = std::string(" ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789().-:/") + "\x10\x11\x18";
    for (const char ch : codes) {
        const uint32_t c = static_cast<uint8_t>(ch);
        for (const uint32_t bank : {0u, 256u, 512u}) {
            const uint8_t* t = fix.data() + 64 * (4096 + bank + c);
            int background = 0, ink = 0;
            for (int i = 0; i < 64; ++i)
                (t[i] == 2 ? background : ink) += 1;
            EXPECT_EQ(background + ink, 64);
            if (ch == ' ') {
                EXPECT_EQ(ink, 0);
            } else if (bank == 0) {
                EXPECT_GT(ink, 0) << "glyph " << c;
            }
            EXPECT_GT(background, 0) << "glyph " << c << " bank " << bank;
        }
        if (ch != ' ') {
            int ink_upper = 0, ink_lower = 0;
            for (int i = 0; i < 64; ++i) {
                ink_upper += fix[64 * (4096 + 256 + c) + static_cast<size_t>(i)] != 2;
                ink_lower += fix[64 * (4096 + 512 + c) + static_cast<size_t>(i)] != 2;
            }
            EXPECT_GT(ink_upper + ink_lower, 0) << "glyph " << c;
        }
    }
}

TEST_F(CartImages, RowFlagsFollowThePatterns) {
    const cart::Bytes patterns = image(106), tables = image(107);
    ASSERT_EQ(patterns.size(), cart::kPatternSize);
    ASSERT_EQ(tables.size(), cart::kTableSize);
    size_t drawn = 0;
    for (uint32_t n = 0; n < cart::kTileNumbers; ++n) {
        uint32_t flags = 0, index = 0;
        for (int b = 3; b >= 0; --b) {
            flags = flags << 8 | tables[4 * n + static_cast<size_t>(b)];
            index = index << 8 | tables[0x60000 + 4 * n + static_cast<size_t>(b)];
        }
        ASSERT_LT(index, cart::kPhysicalTiles) << n;
        ASSERT_EQ(flags, cart::pattern_row_flags(patterns.data() + 128 * static_cast<size_t>(index))) << n;
        drawn += flags != 0xAAAAAAAA;
    }
    EXPECT_GT(drawn, 50u);
}

} // namespace
