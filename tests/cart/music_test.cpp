// The sound program's music data: every note the sequencer plays must come out of the FM
// channels at its pitch. The check follows the chip's frequency rules: phase increment
// (F-number table entry >> (7 - block)) x 2 per output sample, 2^24 per waveform cycle.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "cartridge.h"

namespace {

#ifdef QZB_CART_SOUND_SYMBOLS
// pasmo's symbol file: "name<TAB>EQU 01234H".
std::map<std::string, uint32_t> read_symbols(const std::string& path) {
    std::map<std::string, uint32_t> symbols;
    std::ifstream in(path);
    std::string name, equ, value;
    while (in >> name >> equ >> value) {
        if (!value.empty() && (value.back() == 'H' || value.back() == 'h')) value.pop_back();
        symbols[name] = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 16));
    }
    return symbols;
}

double chip_frequency(uint32_t fnum, int block) {
    const uint32_t freqbase = static_cast<uint32_t>(8000000.0 * 4096 / 22050 / 144);
    const uint32_t fc = static_cast<uint32_t>(std::floor(freqbase * fnum * 0.125)) >> (7 - block);
    return static_cast<double>(fc) * 2 * 22050 / 16777216.0;
}
#endif

TEST(CartMusic, EveryNoteSoundsAtItsPitch) {
#ifndef QZB_CART_SOUND_SYMBOLS
    GTEST_SKIP() << "the demo cartridge was not built (cross tools missing)";
#else
    cart::Bytes program;
    ASSERT_TRUE(cart::read_file(std::string(QZB_CART_IMAGE_DIR) + "/108.bin", program));
    const auto symbols = read_symbols(QZB_CART_SOUND_SYMBOLS);
    ASSERT_TRUE(symbols.count("fnum_table") && symbols.count("song_list"));
    const uint32_t table = symbols.at("fnum_table");
    int notes = 0;
    for (int song = 0; song < 2; ++song) {
        const uint32_t header = program[symbols.at("song_list") + 2u * song] |
                                program[symbols.at("song_list") + 2u * song + 1] << 8;
        const int rows = program[header + 2];
        ASSERT_GT(rows, 0);
        for (int row = 0; row < rows; ++row) {
            for (int channel = 0; channel < 4; ++channel) {
                const int note = program[header + 3 + 5 * row + channel];
                if (note < 12) continue; // hold or key off
                ASSERT_LT(note, 108) << "beyond the highest block";
                const int block = note / 12 - 1, semitone = note % 12;
                const uint32_t fnum = program[table + 2u * semitone] | program[table + 2u * semitone + 1]
                                                                           << 8;
                ASSERT_LT(fnum, 2048u);
                const double wanted = 440.0 * std::pow(2.0, (note - 69) / 12.0);
                const double cents = 1200.0 * std::log2(chip_frequency(fnum, block) / wanted);
                EXPECT_LT(std::fabs(cents), 10.0) << "song " << song << " row " << row << " note " << note;
                ++notes;
            }
        }
    }
    EXPECT_GT(notes, 50);
#endif
}

} // namespace
