#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/rom_images.h"
#include "app/settings.h"
#include "app/shell.h"
#include "host/flags.h"
#include "host/platform/headless/headless.h"
#include "machine.h"
#include "support/machine_fixture.h"

namespace {

// A set of seven images of the right sizes, with distinct vectors in the program and the BIOS.
class StartupTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        for (int stage = 1; stage <= 7; ++stage) {
            const RomImageInfo info = rom_image_info(stage);
            images_[stage - 1].assign(info.size, 0);
        }
        put_long(program(), 0, 0x0010F000);
        put_long(program(), 4, 0x00001000);
        put_long(bios(), 0, 0x0010F300);
        put_long(bios(), 4, 0x00C00402);
        register_images();
    }

    void register_images() {
        for (int stage = 1; stage <= 7; ++stage) {
            const RomImageInfo info = rom_image_info(stage);
            platform_register_resource(info.resource_id, images_[stage - 1].data(), images_[stage - 1].size());
        }
    }

    std::vector<uint8_t>& program() { return images_[2]; }
    std::vector<uint8_t>& bios() { return images_[1]; }

    static void put_long(std::vector<uint8_t>& image, size_t offset, uint32_t value) {
        const uint16_t words[2] = {static_cast<uint16_t>(value >> 16), static_cast<uint16_t>(value)};
        std::memcpy(&image[offset], words, 4);
    }

    // Runs the program; `on_pass` is called at every idle pass with the pass number and may post
    // events. Stops after `max_passes` by closing the window.
    int run(std::function<void(int)> on_pass, int max_passes = 40) {
        int pass = 0;
        headless_set_pump_hook([&] {
            if (on_pass) on_pass(pass);
            if (++pass == max_passes) event_post(EVENT_CLOSE, 0);
        });
        machine.app.skip_loading_pauses = true;
        return app_main();
    }

    std::vector<uint8_t> images_[7];
};

TEST_F(StartupTest, RunsOneStagePerIdlePassThenFrames) {
    std::vector<bool> loaded_program_at;
    std::vector<int> starting_at;
    const int code = run([&](int) {
        starting_at.push_back(machine.host.display.starting);
        loaded_program_at.push_back(machine.roms.program_rom[1] == 0x00 && machine.roms.program_rom[0] == 0x10);
    });
    EXPECT_EQ(code, 0);
    // Pass 0 delivers the create and activate events; stages 0..8 run on the following passes.
    ASSERT_GT(starting_at.size(), 12u);
    int first_running = -1;
    for (size_t i = 0; i < starting_at.size(); ++i)
        if (starting_at[i] == 0) {
            first_running = static_cast<int>(i);
            break;
        }
    EXPECT_GE(first_running, 9) << "nine stages take nine idle passes";
    EXPECT_TRUE(std::filesystem::exists(SETTINGS_FILE_NAME)) << "shutdown writes the settings";
    EXPECT_EQ(machine.app.work_block, nullptr) << "shutdown frees the work block";
}

TEST_F(StartupTest, MachineResetInstallsBiosVectorsAndKeepsTheGames) {
    run(nullptr, 15);
    // The reset ran: the BIOS vectors sit over the program's, the game's are kept aside.
    EXPECT_EQ(std::memcmp(machine.roms.program_rom, bios().data(), 128), 0);
    EXPECT_EQ(std::memcmp(machine.roms.saved_vectors, program().data(), 128), 0);
    EXPECT_EQ(machine.board.dip_switches, 0xFF);
    EXPECT_EQ(machine.video.animation_speed, 4);
    select_game_vectors();
    EXPECT_EQ(std::memcmp(machine.roms.program_rom, program().data(), 128), 0);
}

TEST_F(StartupTest, NothingRunsWhileInactiveAndStartupResumesWhereItWas) {
    headless_set_start_active(false);
    std::vector<int> stages_seen;
    run(
        [&](int pass) {
            if (pass == 5) event_post(EVENT_ACTIVATE, 1);
            if (pass == 8) event_post(EVENT_ACTIVATE, 0);
            if (pass == 20) event_post(EVENT_ACTIVATE, 1);
            stages_seen.push_back(machine.app.work_block != nullptr);
        },
        40);
    for (int pass = 0; pass <= 5; ++pass) EXPECT_FALSE(stages_seen[pass]) << "inactive at pass " << pass;
    EXPECT_EQ(machine.host.display.starting, 0) << "start-up finished once active again";
}

TEST_F(StartupTest, MissingImageClosesWithoutMessageAndStillWritesSettings) {
    platform_register_resource(106, nullptr, 0);
    run(nullptr, 100);
    EXPECT_TRUE(headless_messages().empty());
    EXPECT_TRUE(std::filesystem::exists(SETTINGS_FILE_NAME));
    EXPECT_EQ(machine.host.display.starting, 1) << "no frame ever ran";
}

TEST_F(StartupTest, WrongSizedImageFailsTheStage) {
    images_[0].resize(1000);
    register_images();
    run(nullptr, 100);
    EXPECT_EQ(machine.host.display.starting, 1);
}

TEST_F(StartupTest, ClosingDuringStartupFreesWhatWasLoaded) {
    run([&](int pass) {
        if (pass == 4) event_post(EVENT_CLOSE, 0);
    });
    EXPECT_EQ(machine.app.work_block, nullptr);
    EXPECT_EQ(machine.roms.fix_rom_base, nullptr);
    EXPECT_TRUE(std::filesystem::exists(SETTINGS_FILE_NAME));
}

TEST_F(StartupTest, FlipChainIsSetAtEveryStartAndStoredFlagsReplaceProcessorBits) {
    const uint8_t stored[36] = {0x01, 0x00, 0x00, 0x00, 0x0B}; // VF_8BIT only
    write_file(SETTINGS_FILE_NAME, std::vector<uint8_t>(stored, stored + 36));
    run(nullptr, 3);
    EXPECT_EQ(machine.settings.video_flags & (VF_MMX | VF_NOT_FAMILY5), 0u);
    EXPECT_TRUE(machine.settings.video_flags & VF_FLIPCHAIN);
    EXPECT_TRUE(machine.settings.video_flags & VF_8BIT);
}

struct FatalStart {
    const char* name;
    void (*inject)();
    const char* message;
    bool settings_were_read;
};

class FatalStartTest : public StartupTest, public ::testing::WithParamInterface<FatalStart> {};

// Without a display or an input device the machine shows the one message, still shuts down in
// order (the settings file is written) and ends with status 0.
TEST_P(FatalStartTest, ShowsTheMessageAndShutsDown) {
    const uint8_t stored[36] = {0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,
                                0x00, 0x00, 0x01, 0x00, 0x1E};
    write_file(SETTINGS_FILE_NAME, std::vector<uint8_t>(stored, stored + 36));
    GetParam().inject();
    EXPECT_EQ(app_main(), 0);
    EXPECT_EQ(headless_messages(), std::string("ERROR: ") + GetParam().message);
    const auto written = read_file(SETTINGS_FILE_NAME);
    ASSERT_EQ(written.size(), 36u);
    // A display failure comes before the settings are read: the file is left as it was rather
    // than overwritten with the defaults.
    EXPECT_EQ(written[4], 0x03);
    EXPECT_EQ(machine.app.settings_loaded, GetParam().settings_were_read);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FatalStartTest,
    ::testing::Values(FatalStart{"NoDisplay", [] { headless_display_switches().open_fails = true; },
                                 "Direct Draw 7.0 or later required!\n", false},
                      FatalStart{"NoKeyboard", [] { headless_input_switches().keyboard_fails = true; },
                                 "Direct Input 7.0 or later required!\n", true}),
    [](const auto& info) { return info.param.name; });

TEST_F(StartupTest, WindowCreationFailureEndsAtOnce) {
    headless_set_window_fails(true);
    EXPECT_EQ(app_main(), 0);
    EXPECT_FALSE(std::filesystem::exists(SETTINGS_FILE_NAME));
}

struct CpuCase {
    const char* name;
    bool has_cpuid;
    uint32_t leaf0[4];
    uint32_t leaf1[4];
    uint32_t expected;
};

class CpuFeatureCheck : public MachineTest, public ::testing::WithParamInterface<CpuCase> {};

TEST_P(CpuFeatureCheck, SetsTheProcessorBits) {
    const CpuCase& c = GetParam();
    headless_set_cpuid(c.has_cpuid, c.leaf0, c.leaf1);
    cpu_feature_check();
    EXPECT_EQ(machine.settings.video_flags, c.expected);
}

constexpr uint32_t GENU = 0x756E6547, AUTH = 0x68747541;
constexpr uint32_t MMX = 1u << 23;

INSTANTIATE_TEST_SUITE_P(
    Processors, CpuFeatureCheck,
    ::testing::Values(CpuCase{"NoCpuid", false, {}, {}, 0},
                      CpuCase{"MaxLeafZero", true, {0, GENU, 0, 0}, {}, VF_NOT_FAMILY5},
                      CpuCase{"NoMmx", true, {1, GENU, 0, 0}, {0x500, 0, 0, 0}, VF_NOT_FAMILY5},
                      CpuCase{"IntelFamily5WithMmx", true, {1, GENU, 0, 0}, {0x540, 0, 0, MMX}, VF_MMX},
                      CpuCase{"IntelFamily6", true, {1, GENU, 0, 0}, {0x600, 0, 0, MMX}, VF_MMX | VF_NOT_FAMILY5},
                      CpuCase{"OtherVendorFamily5", true, {1, AUTH, 0, 0}, {0x500, 0, 0, MMX}, VF_MMX | VF_NOT_FAMILY5}),
    [](const auto& info) { return info.param.name; });

using BiosPatch = MachineTest;

TEST_F(BiosPatch, PatchesOnlyTheKnownBios) {
    auto byte_at = [](uint32_t a) -> uint8_t& { return machine.roms.bios[(a - 0xC00000) ^ 1]; };
    auto word_at = [](uint32_t a) {
        uint16_t w;
        std::memcpy(&w, machine.roms.bios + (a - 0xC00000), 2);
        return w;
    };
    byte_at(0xC11C62) = 0x67;
    patch_bios();
    EXPECT_EQ(word_at(0xC11B16), 0);
    byte_at(0xC11C62) = 0x66;
    patch_bios();
    EXPECT_EQ(word_at(0xC00400), 0x0000);
    EXPECT_EQ(word_at(0xC11B16), 0x6000);
    EXPECT_EQ(word_at(0xC11B18), 0x0052);
    EXPECT_EQ(word_at(0xC11C62), 0x4E71);
    EXPECT_EQ(word_at(0xC11C64), 0x4E71);
}

} // namespace
