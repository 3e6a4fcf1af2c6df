// qzb-run as a user drives it: arguments, files, determinism.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run_command.h"
#include "support/machine_fixture.h"

namespace {

CommandResult run(const std::string& arguments) { return run_command(std::string(QZB_RUN_PATH) + " " + arguments); }

using QzbRun = MachineTest;

TEST_F(QzbRun, HelpExitsZero) {
    const CommandResult r = run("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.output.find("--frames"), std::string::npos);
}

struct BadArguments {
    const char* name;
    const char* arguments;
    const char* message;
};

class QzbRunBadArguments : public MachineTest, public ::testing::WithParamInterface<BadArguments> {};

TEST_P(QzbRunBadArguments, FailWithOneLine) {
    const CommandResult r = run(GetParam().arguments);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find(GetParam().message), std::string::npos) << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QzbRunBadArguments,
    ::testing::Values(BadArguments{"UnknownOption", "--colour", "unknown option"},
                      BadArguments{"FramesNotANumber", "--frames ten", "--frames takes"},
                      BadArguments{"MissingValue", "--png", "needs a value"},
                      BadArguments{"PngEveryWithoutPattern", "--png a.png --png-every 5", "needs a %d"},
                      BadArguments{"MissingRomDir", "--rom-dir does-not-exist", "cannot read does-not-exist/104.bin"},
                      BadArguments{"MissingScript", "--input nothing.txt", "cannot read the input script"}),
    [](const auto& info) { return info.param.name; });

TEST_F(QzbRun, WrongSizedImageInRomDirIsNamed) {
    std::filesystem::create_directory("roms");
    const std::pair<int, size_t> sizes[] = {{104, 524288}, {105, 131072}, {102, 2097152}, {106, 11933056},
                                            {107, 786432}, {108, 131072}, {109, 5242880}};
    for (auto [id, size] : sizes) write_file("roms/" + std::to_string(id) + ".bin", std::vector<uint8_t>(size));
    write_file("roms/107.bin", std::vector<uint8_t>(1000));
    const CommandResult r = run("--rom-dir roms --frames 1");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("roms/107.bin has 1000 bytes, expected 786432"), std::string::npos) << r.output;
}

TEST_F(QzbRun, BadInputScriptLineIsNamed) {
    write_file("script.txt", std::vector<uint8_t>{'5', ' ', 'N', 'O', 'K', 'E', 'Y', '\n'});
    const CommandResult r = run("--input script.txt --frames 1");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("script.txt:1"), std::string::npos) << r.output;
}

TEST_F(QzbRun, RunsAreDeterministic) {
    const CommandResult first = run("--frames 120 --hash-every-frame");
    const CommandResult second = run("--frames 120 --hash-every-frame");
    ASSERT_EQ(first.status, 0) << first.output;
    EXPECT_EQ(first.output, second.output);
    EXPECT_EQ(std::count(first.output.begin(), first.output.end(), '\n'), 120);
}

TEST_F(QzbRun, WritesPictureSoundAndRam) {
    const CommandResult r = run("--frames 30 --png shot.png --png-scaled screen.png --wav sound.wav --dump-ram ram.bin");
    ASSERT_EQ(r.status, 0) << r.output;
    const auto png = read_file("shot.png");
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png[1], 'P');
    EXPECT_GT(read_file("screen.png").size(), 8u);
    EXPECT_EQ(read_file("ram.bin").size(), 65536u + 65536u + 131072u) << "work RAM, backup RAM, video RAM";
    const auto wav = read_file("sound.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
}

// The device plays one frame of virtual time per frame: the demo's stream neither drops nor
// repeats blocks over ten seconds (a block is short by half a sample of the frame, so one repeat
// is due about every 730 frames).
TEST_F(QzbRun, BenchReportsTheAudioStreamAndTheCpus) {
    const CommandResult r = run("--frames 600 --random-input 4 --bench");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("audio blocks sent 6"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(", dropped 0, repeated 0\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("main CPU running, sound CPU running"), std::string::npos) << r.output;
}

TEST_F(QzbRun, OverridesDoNotChangeTheSettingsFile) {
    ASSERT_EQ(run("--frames 1").status, 0);
    const auto stored = read_file("qzb.ini");
    ASSERT_EQ(run("--frames 1 --video-flags 0x1 --audio-flags 0x3").status, 0);
    EXPECT_EQ(read_file("qzb.ini"), stored);
}

} // namespace
