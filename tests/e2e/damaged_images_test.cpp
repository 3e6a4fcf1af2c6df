// The user's own images, damaged: through qzb-run's --rom-dir and through the configure-time check
// of -DQZB_ROM_DIR. A wrong size is refused with a one-line message naming the file; random
// content of the right size gives a machine that runs (its cores halt safely), never a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "run_command.h"
#include "support/machine_fixture.h"

namespace {

namespace fs = std::filesystem;

struct Image {
    int id;
    uintmax_t size;
};
constexpr Image IMAGES[] = {{102, 2097152}, {104, 524288}, {105, 131072}, {106, 11933056},
                            {107, 786432},  {108, 131072}, {109, 5242880}};

// CMake wraps its messages: the output with every run of white space made one space.
std::string squeezed(const std::string& output) {
    std::string s;
    for (char c : output) {
        const bool space = c == ' ' || c == '\n' || c == '\t';
        if (!space) s += c;
        else if (!s.empty() && s.back() != ' ') s += ' ';
    }
    return s;
}

bool sanitizer_spoke(const std::string& output) {
    return output.find("Sanitizer") != std::string::npos || output.find("runtime error") != std::string::npos;
}

// A full set of zero-filled images of the right sizes (sparse files: quick to make).
void write_zero_set(const fs::path& dir) {
    fs::create_directories(dir);
    for (const Image& image : IMAGES) {
        const fs::path path = dir / (std::to_string(image.id) + ".bin");
        write_file(path, {});
        fs::resize_file(path, image.size);
    }
}

void write_random(const fs::path& path, uintmax_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
    write_file(path, bytes);
}

enum class Damage { Truncated, Oversized, Empty };

struct WrongSize {
    Damage damage;
    Image image;
    uintmax_t damaged_size() const {
        return damage == Damage::Truncated ? image.size - 1 : damage == Damage::Oversized ? image.size + 4096 : 0;
    }
    std::string name() const {
        static const char* const names[] = {"Truncated", "Oversized", "Empty"};
        return names[static_cast<int>(damage)] + std::to_string(image.id);
    }
};

void PrintTo(const WrongSize& c, std::ostream* out) { *out << c.name(); }
void PrintTo(const Image& image, std::ostream* out) { *out << image.id << ".bin"; }

std::vector<WrongSize> wrong_sizes() {
    std::vector<WrongSize> cases;
    for (Damage d : {Damage::Truncated, Damage::Oversized, Damage::Empty})
        for (const Image& image : IMAGES) cases.push_back({d, image});
    return cases;
}

class WrongSizedImage : public MachineTest, public ::testing::WithParamInterface<WrongSize> {
  protected:
    fs::path damaged_set() {
        write_zero_set("roms");
        const fs::path path = fs::path("roms") / (std::to_string(GetParam().image.id) + ".bin");
        fs::resize_file(path, GetParam().damaged_size());
        return path;
    }
    std::string expected_message(const fs::path& path) const {
        return path.string() + " has " + std::to_string(GetParam().damaged_size()) + " bytes, expected " +
               std::to_string(GetParam().image.size);
    }
};

TEST_P(WrongSizedImage, QzbRunRefusesItWithOneLine) {
    const fs::path path = damaged_set();
    const CommandResult r = run_command(std::string(QZB_RUN_PATH) + " --rom-dir roms --frames 1");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find(expected_message(path)), std::string::npos) << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
}

TEST_P(WrongSizedImage, ConfigureCheckRefusesIt) {
    const fs::path path = damaged_set();
    const CommandResult r = run_command(std::string("\"") + QZB_CMAKE_COMMAND + "\" -DQZB_ROM_DIR=" + scratch().string() +
                                 "/roms -P \"" + QZB_CHECK_ROM_DIR_SCRIPT + "\"");
    EXPECT_NE(r.status, 0) << r.output;
    EXPECT_NE(squeezed(r.output).find("QZB_ROM_DIR: " + (scratch() / path).string() + " has " +
                            std::to_string(GetParam().damaged_size()) + " bytes, expected " +
                            std::to_string(GetParam().image.size)),
              std::string::npos)
        << r.output;
}

INSTANTIATE_TEST_SUITE_P(Images, WrongSizedImage, ::testing::ValuesIn(wrong_sizes()),
                         [](const auto& info) { return info.param.name(); });

using DamagedImages = MachineTest;

TEST_F(DamagedImages, ConfigureCheckNamesAMissingImageAndAcceptsAGoodSet) {
    write_zero_set("roms");
    const std::string check = std::string("\"") + QZB_CMAKE_COMMAND + "\" -DQZB_ROM_DIR=" + scratch().string() +
                              "/roms -P \"" + QZB_CHECK_ROM_DIR_SCRIPT + "\"";
    const CommandResult good = run_command(check);
    EXPECT_EQ(good.status, 0) << good.output;
    fs::remove("roms/108.bin");
    const CommandResult missing = run_command(check);
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(squeezed(missing.output).find("108.bin is missing (expected 131072 bytes)"), std::string::npos) << missing.output;
}

// Random content of the right size: the machine starts and runs with random play; whatever the
// cores meet, they stop safely and the run ends normally.
TEST_F(DamagedImages, RandomImagesRunWithoutACrash) {
    fs::create_directory("roms");
    for (const Image& image : IMAGES)
        write_random(fs::path("roms") / (std::to_string(image.id) + ".bin"), image.size, static_cast<uint32_t>(image.id));
    const CommandResult r = run_command(std::string(QZB_RUN_PATH) + " --rom-dir roms --frames 300 --random-input 5 --bench");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_FALSE(sanitizer_spoke(r.output)) << r.output;
    EXPECT_NE(r.output.find("frames 300 in"), std::string::npos) << r.output;
}

// One random image among the demo cartridge's good ones, for each image in turn: the damage meets
// a running game rather than cores that stop at once.
class OneRandomImage : public MachineTest, public ::testing::WithParamInterface<Image> {};

TEST_P(OneRandomImage, TheGameRunsWithoutACrash) {
    const fs::path cartridge = QZB_CART_IMAGES;
    if (cartridge.empty() || !fs::exists(cartridge / "102.bin"))
        GTEST_SKIP() << "the demo cartridge images were not built (no cartridge in this build)";
    fs::create_directory("roms");
    for (const Image& image : IMAGES) {
        const std::string name = std::to_string(image.id) + ".bin";
        if (image.id == GetParam().id) write_random(fs::path("roms") / name, image.size, 77);
        else fs::copy_file(cartridge / name, fs::path("roms") / name);
    }
    const CommandResult r = run_command(std::string(QZB_RUN_PATH) + " --rom-dir roms --frames 300 --random-input 9 --bench");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_FALSE(sanitizer_spoke(r.output)) << r.output;
    EXPECT_NE(r.output.find("frames 300 in"), std::string::npos) << r.output;
}

INSTANTIATE_TEST_SUITE_P(Images, OneRandomImage, ::testing::ValuesIn(IMAGES),
                         [](const auto& info) { return "Image" + std::to_string(info.param.id); });

} // namespace
