// The demo cartridge's build tools: the pieces that turn the sources in cart/ into the images the
// machine loads. Each piece is a plain function over byte vectors so that the tests can call it.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace cart {

using Bytes = std::vector<uint8_t>;

// Image sizes the machine expects.
inline constexpr size_t kProgramSize = 2'097'152;
inline constexpr size_t kFixSize = 524'288;
inline constexpr size_t kFirmwareSize = 131'072;
inline constexpr size_t kPatternSize = 11'933'056;
inline constexpr size_t kTableSize = 786'432;
inline constexpr size_t kSoundSize = 131'072;
inline constexpr size_t kSampleSize = 5'242'880;
inline constexpr size_t kPictureSize = 640 * 480 * 3;
inline constexpr size_t kIconSize = 32 * 32 * 4;

inline constexpr uint32_t kTileNumbers = 0x18000; // entries of each sprite tile table
inline constexpr uint32_t kPhysicalTiles = kPatternSize / 128;

// ---- files ----
bool read_file(const std::string& path, Bytes& out);
bool write_file(const std::string& path, const Bytes& bytes);
// Turns the big-endian bytes of a 68000 binary into the stored word order (each byte pair
// swapped), padded with zero words to `size`. Fails when the binary is larger than `size`.
bool to_main_cpu_image(const Bytes& big_endian, size_t size, Bytes& out);

// ---- font (cart/art/font.txt) ----
// One glyph per line: a character (or 0xNN) and eight hex bytes, top row first, bit 7 = left.
using Glyph = std::array<uint8_t, 8>;
struct Font {
    std::array<Glyph, 256> glyphs{};
    std::array<bool, 256> defined{};
};
bool parse_font(const std::string& text, Font& font, std::string& error);

// ---- fix tiles (104) ----
// Tile index helpers for the board's bank (tiles 4096-8191).
inline constexpr uint32_t kBoardBank = 4096;
inline constexpr uint32_t kBoardLogoTiles = kBoardBank + 768; // first board logo tile
Bytes build_fix_tiles(const Font& font);

// ---- sprites (106, 107) ----
struct SpriteTile {
    uint32_t number = 0;
    std::array<uint8_t, 256> pixels{}; // 16 x 16, row-major, values 0-15
};
bool parse_sprite_art(const std::string& text, std::vector<SpriteTile>& tiles, std::string& error);
// Adds the tiles the tool draws itself (logo letters, font, explosions, flames, walls, stars).
void add_generated_sprites(const Font& font, std::vector<SpriteTile>& tiles);
// Packs tiles into the pattern image and the two tile tables (row flags, pattern index).
bool build_sprite_images(const std::vector<SpriteTile>& tiles, Bytes& patterns, Bytes& tables,
                         std::string& error);
// Row flags of one 128-byte pattern: bit 2r row r all non-zero, bit 2r+1 row r all zero.
uint32_t pattern_row_flags(const uint8_t* pattern);

// ---- ADPCM ----
// Encoders that track the chip's own decoder, so the decoded signal follows the input.
Bytes encode_adpcm_a(const std::vector<int16_t>& pcm); // 12-bit signal range, input scaled down
Bytes encode_adpcm_b(const std::vector<int16_t>& pcm);
// Decoders with the chip's rules (used by the encoders and the tests).
std::vector<int16_t> decode_adpcm_a(const Bytes& data);
std::vector<int16_t> decode_adpcm_b(const Bytes& data);

// ---- samples (109) ----
inline constexpr int kAdpcmARate = 18519; // 8 MHz / 432
inline constexpr int kVoiceRate = 16000;
struct SampleSlot {
    std::string name;
    uint32_t start = 0; // byte address, a multiple of 256
    uint32_t end = 0;   // last byte address (start + length - 1 rounded to 256)
};
std::vector<int16_t> synth_kick();
std::vector<int16_t> synth_snare();
std::vector<int16_t> synth_hat();
std::vector<int16_t> synth_boom();
std::vector<int16_t> synth_voice_fallback();
// Builds the sample ROM; `voice` is 16-bit mono at kVoiceRate. Fills `slots` for the sound program.
Bytes build_sample_rom(const std::vector<int16_t>& voice, std::vector<SampleSlot>& slots);
// The pasmo include with the sample addresses (start and end in 256-byte pages).
std::string sample_include(const std::vector<SampleSlot>& slots);

// ---- pictures ----
Bytes build_loading_picture(const Font& font);
Bytes build_icon(const Font& font);

} // namespace cart
