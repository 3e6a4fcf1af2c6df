// The scripted play session (session.txt) on the whole machine: the pictures at chosen frames
// against the stored ones, each section of the sound chip audible on its own, and a high score
// that outlives QUIT GAME and a new start.
//
// The stored pictures are tests/cart/frames/*.png, their hashes tests/cart/frames/hashes.txt.
// After a deliberate change to the cartridge or the session, regenerate both with
//     QZB_UPDATE_CART_FRAMES=1 build/release/tests/cart/cart_tests --gtest_filter='CartSession.Pictures*'
// and look at the new pictures before committing them. A mismatch leaves the picture the machine
// drew in frames-actual/ of the build folder of these tests.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/settings.h"
#include "cart_machine.h"
#include "host/audio.h"
#include "host/flags.h"
#include "machine.h"
#include "outputs.h"

namespace {

struct ChosenFrame {
    long frame;
    const char* name;
};

// Frames after start-up, as qzb-run --input counts them.
constexpr ChosenFrame kChosenFrames[] = {
    {50, "board-logo"},
    {125, "title-logo-zooming"},
    {200, "title"},
    {212, "game-start-zooming"},
    {800, "both-players-moving"},
    {925, "bomb-flash-second-palette-bank"},
    {3750, "before-a-score-change"},
    {3775, "after-a-score-change"},
    {3825, "game-over-new-high-score"},
    {4200, "title-with-the-new-high-score"},
};

std::string frame_file(const ChosenFrame& chosen) {
    char name[80];
    std::snprintf(name, sizeof name, "%04ld-%s.png", chosen.frame, chosen.name);
    return name;
}

std::string hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// hashes.txt: "FRAME NAME HASH" per line.
std::map<long, std::string> read_stored_hashes() {
    std::map<long, std::string> hashes;
    std::ifstream in(std::string(QZB_CART_FRAMES_DIR) + "/hashes.txt");
    long frame = 0;
    std::string name, hash;
    while (in >> frame >> name >> hash)
        hashes[frame] = hash;
    return hashes;
}

bool updating_stored_frames() {
    const char* update = std::getenv("QZB_UPDATE_CART_FRAMES");
    return update != nullptr && *update != '\0' && std::string(update) != "0";
}

// The RGB triples of a stored picture, or empty when it cannot be read.
std::vector<uint8_t> read_png_rgb(const std::string& path, int* width, int* height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return {};
    }
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    return rgb;
}

using CartSession = CartMachineTest;

TEST_F(CartSession, PicturesAtChosenFramesMatchTheStoredOnes) {
    const bool update = updating_stored_frames();
    const auto stored = read_stored_hashes();
    if (!update) {
        ASSERT_EQ(stored.size(), std::size(kChosenFrames)) << "tests/cart/frames/hashes.txt is incomplete";
    }
    // Updating takes the whole session whatever the build.
    const long last = update ? session_end() : session_part_end();
    size_t wanted = 0;
    while (wanted < std::size(kChosenFrames) && kChosenFrames[wanted].frame <= last)
        ++wanted;
    ASSERT_GT(wanted, 0u);
    std::ostringstream new_hashes;
    size_t next = 0;
    run_session(kChosenFrames[wanted - 1].frame, [&](long frame) {
        if (next >= wanted || frame != kChosenFrames[next].frame) return;
        const ChosenFrame& chosen = kChosenFrames[next++];
        const std::vector<uint8_t> picture = visible_picture_rgb();
        const std::string hash = hex(fnv1a(picture.data(), picture.size()));
        if (update) {
            new_hashes << chosen.frame << ' ' << chosen.name << ' ' << hash << '\n';
            ASSERT_TRUE(
                write_png(std::string(QZB_CART_FRAMES_DIR) + "/" + frame_file(chosen), picture, 304, 224));
            return;
        }
        const auto found = stored.find(chosen.frame);
        if (found != stored.end() && found->second == hash) return;
        std::filesystem::create_directories(QZB_CART_ACTUAL_DIR);
        const std::string actual = std::string(QZB_CART_ACTUAL_DIR) + "/" + frame_file(chosen);
        write_png(actual, picture, 304, 224);
        ADD_FAILURE() << "frame " << chosen.frame << " (" << chosen.name
                      << ") differs from the stored picture; "
                      << "the machine drew " << actual;
    });
    EXPECT_EQ(next, wanted) << "the session ended early";
    if (update) {
        std::ofstream(std::string(QZB_CART_FRAMES_DIR) + "/hashes.txt") << new_hashes.str();
        std::printf("stored pictures and hashes rewritten in %s\n", QZB_CART_FRAMES_DIR);
    }
}

// The pictures a person looks at are the pictures the hashes stand for.
TEST(CartSessionFrames, StoredPicturesMatchTheirHashes) {
    const auto stored = read_stored_hashes();
    for (const ChosenFrame& chosen : kChosenFrames) {
        SCOPED_TRACE(frame_file(chosen));
        int width = 0, height = 0;
        const std::vector<uint8_t> rgb =
            read_png_rgb(std::string(QZB_CART_FRAMES_DIR) + "/" + frame_file(chosen), &width, &height);
        ASSERT_FALSE(rgb.empty()) << "missing or unreadable";
        EXPECT_EQ(width, 304);
        EXPECT_EQ(height, 224);
        const auto found = stored.find(chosen.frame);
        ASSERT_NE(found, stored.end());
        EXPECT_EQ(hex(fnv1a(rgb.data(), rgb.size())), found->second);
    }
}

// ---- sound ----

constexpr uint8_t kAllSections =
    SECTION_MUTE_FM | SECTION_MUTE_SSG | SECTION_MUTE_ADPCM_A | SECTION_MUTE_ADPCM_B;
// The title music with its drums and the spoken "QZB", then play with shots and a bomb.
constexpr long kSoundFrames = 600;
// Level of a section that plays (AC RMS in 16-bit sample units); a quiet tone is some hundreds.
constexpr double kAudibleRms = 100.0;

class CartSessionSound : public CartMachineTest {
  protected:
    void before_startup() override {
        machine.settings.audio_flags = AF_ADPCM | AF_FM_SSG | AF_16BIT; // 16-bit mono
        machine.app.sound_enabled = audio_restart(0);
    }

    // The session's sound with the sections in `muted` dropped from the mix, from a fresh start.
    std::vector<int16_t> render(uint8_t muted) {
        if (frames_run() > 0) restart();
        std::vector<int16_t> samples;
        if (!machine.app.sound_enabled || machine.audio_ring.bits != 16 || machine.audio_ring.channels != 1) {
            ADD_FAILURE() << "no 16-bit mono sound";
            return samples;
        }
        machine.sound_chip.section_mute = muted;
        const AudioRing& ring = machine.audio_ring;
        run_session(kSoundFrames, [&](long) {
            // The block the frame just finished.
            const int32_t block = (ring.render_block + RING_BLOCKS - 1) % RING_BLOCKS;
            const auto* start =
                reinterpret_cast<const int16_t*>(ring.ring) + static_cast<size_t>(block) * ring.block_samples;
            samples.insert(samples.end(), start, start + ring.block_samples);
        });
        return samples;
    }
};

double ac_rms(const std::vector<int16_t>& samples) {
    double sum = 0, sum_of_squares = 0;
    for (int16_t s : samples) {
        sum += s;
        sum_of_squares += static_cast<double>(s) * s;
    }
    const double n = static_cast<double>(samples.size());
    const double mean = sum / n;
    return std::sqrt(std::max(0.0, sum_of_squares / n - mean * mean));
}

// Each section alone is heard; with none the output is exactly silent; and the four renders add
// up to the whole mix (within the rounding of each section's own scaling), so no section is
// dropped or counted twice.
TEST_F(CartSessionSound, EachSectionSoundsAloneAndTheSectionsAddUpToTheMix) {
    struct Section {
        const char* name;
        uint8_t bit;
    };
    constexpr Section kSections[] = {{"FM", SECTION_MUTE_FM},
                                     {"SSG", SECTION_MUTE_SSG},
                                     {"ADPCM-A", SECTION_MUTE_ADPCM_A},
                                     {"ADPCM-B", SECTION_MUTE_ADPCM_B}};
    std::vector<int16_t> alone_renders[std::size(kSections)];
    for (size_t n = 0; n < std::size(kSections); ++n) {
        const Section& section = kSections[n];
        SCOPED_TRACE(section.name);
        const std::vector<int16_t> alone = render(kAllSections & ~section.bit);
        ASSERT_EQ(alone.size(), static_cast<size_t>(kSoundFrames) * machine.audio_ring.block_samples);
        const double rms = ac_rms(alone);
        RecordProperty(std::string("rms_") + section.name, std::to_string(rms));
        EXPECT_GT(rms, kAudibleRms);
        alone_renders[n] = alone;
    }

    const std::vector<int16_t> none = render(kAllSections);
    EXPECT_EQ(std::count(none.begin(), none.end(), 0), static_cast<std::ptrdiff_t>(none.size()));

    const std::vector<int16_t> whole = render(0);
    ASSERT_EQ(whole.size(), alone_renders[0].size());
    long differing = 0, compared = 0;
    for (size_t i = 0; i < whole.size(); ++i) {
        const int32_t fm = alone_renders[0][i],
                      before_fm = alone_renders[1][i] + alone_renders[2][i] + alone_renders[3][i];
        // The whole mix clamps where the parts alone do not: after the SSG and ADPCM, and at the end.
        if (std::abs(before_fm) >= 32000 || std::abs(before_fm + fm) >= 32000) continue;
        ++compared;
        differing += std::abs(whole[i] - (before_fm + fm)) > 3;
    }
    EXPECT_GT(compared, static_cast<long>(whole.size() * 9 / 10));
    EXPECT_EQ(differing, 0);
}

// ---- the high-score table across QUIT GAME ----

constexpr uint8_t kEscape = 0x01, kReturn = 0x1C, kDown = 0xD0;
constexpr int kScoreEntries = 5, kTableBytes = 4 + 8 * kScoreEntries + 2;

struct ScoreEntry {
    uint32_t score;
    std::string name;
};

TEST_F(CartSession, HighScoreSurvivesQuitGameAndANewStart) {
    run_session(session_end());
    // The game keeps "QZBH", five entries of (score, name) and a checksum at the start of backup RAM.
    ASSERT_EQ(
        std::string({char(backup_byte(0)), char(backup_byte(1)), char(backup_byte(2)), char(backup_byte(3))}),
        "QZBH");
    int rank = -1;
    ScoreEntry entry{};
    for (int i = 0; i < kScoreEntries && rank < 0; ++i) {
        const uint32_t at = 4 + 8 * static_cast<uint32_t>(i);
        const std::string name{char(backup_byte(at + 4)), char(backup_byte(at + 5)),
                               char(backup_byte(at + 6))};
        if (name != "1P ") continue;
        rank = i;
        for (uint32_t b = 0; b < 4; ++b)
            entry.score = entry.score << 8 | backup_byte(at + b);
        entry.name = name;
    }
    ASSERT_GE(rank, 0) << "player 1's score did not enter the high-score table";
    EXPECT_GT(entry.score, 5000u);
    std::vector<uint8_t> table;
    for (uint32_t i = 0; i < kTableBytes; ++i)
        table.push_back(backup_byte(i));

    ASSERT_FALSE(std::filesystem::exists("qzb.sav")) << "only QUIT GAME writes the save file";
    // Escape, three times down to QUIT GAME, Enter: each key pressed for a frame, then released.
    for (uint8_t key : {kEscape, kDown, kDown, kDown, kReturn}) {
        hold_keys({key});
        run_frame();
        hold_keys({});
        run_frame();
    }
    for (int frame = 0; frame < 5 && machine.app.quit_requested == 0; ++frame)
        run_frame();
    ASSERT_EQ(machine.app.quit_requested, 1) << "QUIT GAME was not reached";
    ASSERT_TRUE(std::filesystem::exists("qzb.sav"));
    EXPECT_GT(std::filesystem::file_size("qzb.sav"), static_cast<uintmax_t>(kTableBytes / 2));

    restart();
    for (uint32_t i = 0; i < kTableBytes; ++i)
        ASSERT_EQ(backup_byte(i), table[i]) << "backup RAM byte " << i << " after the new start";
    // The title's first page shows the table; the row of the entry holds its name and score.
    char digits[16];
    std::snprintf(digits, sizeof digits, "%07u", entry.score);
    const int row = 16 + 2 * rank;
    bool shown = false;
    for (int frame = 0; frame < 200 && !shown; ++frame) {
        run_frame();
        shown = fix_text(14, row, 3) == entry.name && fix_text(19, row, 7) == digits;
    }
    EXPECT_TRUE(shown) << "the title's table does not show " << entry.name << " " << digits << " in row "
                       << row;
}

} // namespace
