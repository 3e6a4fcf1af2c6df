// The sound program's music data: every note the sequencer plays must come out of the FM
// channels at its pitch. The check follows the chip's frequency rules: phase increment
// (F-number table entry >> (7 - block)) x 2 per output sample, 2^24 per waveform cycle. The
// session test then listens on the sound CPU's ports while the scripted session plays: every
// key-on follows the tune's notes, at the frequency the chip itself holds for the channel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "board/board.h"
#include "cart_machine.h"
#include "cartridge.h"
#include "cpuz80/cpuz80.h"
#include "machine.h"

namespace {

#ifdef QZB_CART_SOUND_SYMBOLS
// The pitch of an operator at multiple 1 for a channel's phase increment base.
double chip_frequency_of_fc(int32_t fc) {
    return static_cast<double>(fc) * 2 * 22050 / 16777216.0;
}

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
    return chip_frequency_of_fc(static_cast<int32_t>(fc));
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

// ---- the same notes through the sound CPU and the chip, during the play session ----

#ifdef QZB_CART_SOUND_SYMBOLS
struct KeyOn {
    long frame;
    int channel; // the sequencer's channel 0-3 (chip channels 1, 2, 4, 5)
    int32_t fc;  // the chip's phase increment base for the channel at the key-on
};
std::vector<KeyOn> key_ons;
long current_frame = 0;

// Records every key-on the sound program writes (register 0x28, first port pair) with the
// frequency the chip then holds for that channel, and passes every write on to the board.
void recording_port_write(uint32_t port, uint32_t value, const PortHandlerEntry* entry) {
    sound_port_write_list[0].write(port, value, entry);
    if ((port & 0xFF) != 5 || machine.sound_chip.address_a != 0x28 || (value & 0xF0) == 0) return;
    const int chip_channel = static_cast<int>((value & 3) + ((value & 4) ? 3 : 0));
    const int channel = chip_channel == 1   ? 0
                        : chip_channel == 2 ? 1
                        : chip_channel == 4 ? 2
                        : chip_channel == 5 ? 3
                                            : -1;
    key_ons.push_back({current_frame, channel, machine.sound_chip.fm[chip_channel].fc});
}
const PortHandlerEntry recording_port_list[] = {
    {0x0000, 0xFFFE, nullptr, recording_port_write, 0},
    {0xFFFF, 0xFFFF, nullptr, nullptr, 0},
};
#endif

using CartMusicSession = CartMachineTest;

// Each channel's key-ons follow the tune's notes for that channel in order (from its first row
// whenever a song starts), at the pitch of each note, through the title music and the game
// music, to the end of the session.
TEST_F(CartMusicSession, TheChipPlaysTheSequencersNotesAtTheirPitch) {
#ifdef QZB_CART_SOUND_SYMBOLS
    cart::Bytes program;
    ASSERT_TRUE(cart::read_file(std::string(QZB_CART_IMAGE_DIR) + "/108.bin", program));
    const auto symbols = read_symbols(QZB_CART_SOUND_SYMBOLS);
    // Both songs play the same rows (at different speeds); the tune's notes per channel in order.
    const uint32_t header = program[symbols.at("song_list")] | program[symbols.at("song_list") + 1] << 8;
    std::vector<int> tune[4];
    for (int row = 0; row < program[header + 2]; ++row)
        for (int channel = 0; channel < 4; ++channel)
            if (const int note = program[header + 3 + 5 * row + channel]; note >= 12)
                tune[channel].push_back(note);

    key_ons.clear();
    machine.sound_cpu.context.port_write_list = recording_port_list;
    const long last = session_part_end();
    run_session(last, [](long frame) { current_frame = frame; });

    // Where each channel can be in its note list: a key-on either continues from a position
    // the previous one allows, or starts the list again (a song started).
    std::vector<std::vector<bool>> possible(4);
    for (int channel = 0; channel < 4; ++channel)
        possible[channel].assign(tune[channel].size(), false);
    int counted[4] = {}, late = 0;
    for (const KeyOn& k : key_ons) {
        ASSERT_GE(k.channel, 0) << "a key-on of a channel the music does not use, frame " << k.frame;
        const double hz = chip_frequency_of_fc(k.fc);
        const double note = 69.0 + 12.0 * std::log2(hz / 440.0);
        const int nearest = static_cast<int>(std::lround(note));
        EXPECT_LT(std::fabs(note - nearest) * 100.0, 10.0) << "frame " << k.frame << " channel " << k.channel;
        const std::vector<int>& notes = tune[k.channel];
        std::vector<bool> next(notes.size(), false);
        bool any = false;
        for (size_t i = 0; i < notes.size(); ++i) {
            const bool reachable = i == 0 || possible[k.channel][i - 1];
            if (notes[i] == nearest && reachable) any = next[i] = true;
        }
        ASSERT_TRUE(any) << "frame " << k.frame << " channel " << k.channel << " plays note " << nearest
                         << ", not the tune's next note";
        possible[k.channel] = next;
        ++counted[k.channel];
        late += k.frame > last - 600;
    }
    for (int channel = 0; channel < 4; ++channel)
        EXPECT_GE(counted[channel], 2 * static_cast<int>(tune[channel].size())) << "channel " << channel;
    EXPECT_GT(late, 0) << "the music stopped before the last 600 frames";
#else
    GTEST_SKIP() << "the demo cartridge was not built (cross tools missing)";
#endif
}

} // namespace
