#include <gtest/gtest.h>

#include <cstring>

#include "app/save_codec.h"
#include "app/save_file_io.h"
#include "app/settings.h"
#include "host/flags.h"
#include "machine.h"
#include "support/machine_fixture.h"

namespace {

using SettingsTest = MachineTest;

std::vector<uint8_t> le32(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

TEST_F(SettingsTest, MissingFileKeepsDefaults) {
    settings_read();
    EXPECT_EQ(machine.settings.audio_flags, 0x0Bu);
    EXPECT_EQ(machine.settings.device_code[0], 0x20000u);
    EXPECT_EQ(machine.settings.device_code[1], 0x10000u);
    EXPECT_EQ(machine.settings.volume, 80);
    EXPECT_EQ(machine.settings.bindings[0][7], 0x16);
    EXPECT_EQ(machine.settings.bindings[1][0], 0xD2);
}

TEST_F(SettingsTest, WriteThenReadRoundTrips) {
    machine.settings.video_flags = VF_8BIT | VF_SHARP | VF_MMX;
    machine.settings.audio_flags = 0x1F;
    machine.settings.device_code[0] = 0x20002;
    machine.settings.volume = 30;
    machine.settings.bindings[1][3] = 0x01;
    settings_write();
    EXPECT_EQ(read_file(SETTINGS_FILE_NAME).size(), SETTINGS_FILE_SIZE);
    const Settings written = machine.settings;
    machine.settings = Settings{};
    settings_read();
    EXPECT_EQ(machine.settings.video_flags, written.video_flags);
    EXPECT_EQ(machine.settings.audio_flags, written.audio_flags);
    EXPECT_EQ(machine.settings.device_code[0], written.device_code[0]);
    EXPECT_EQ(machine.settings.volume, 30);
    EXPECT_EQ(0, std::memcmp(machine.settings.bindings, written.bindings, 16));
}

TEST_F(SettingsTest, ShortFileFillsOnlyWholeFields) {
    std::vector<uint8_t> bytes = le32(VF_VSYNC);
    auto audio = le32(0x03);
    bytes.insert(bytes.end(), audio.begin(), audio.begin() + 2); // a field cut in half
    write_file(SETTINGS_FILE_NAME, bytes);
    settings_read();
    EXPECT_EQ(machine.settings.video_flags, VF_VSYNC);
    EXPECT_EQ(machine.settings.audio_flags, 0x0Bu);
    EXPECT_EQ(machine.settings.volume, 80);
}

TEST_F(SettingsTest, DamagedFieldsAreMadeSafe) {
    std::vector<uint8_t> bytes;
    for (uint32_t v : {0xFFFFFFFFu, 0xFFFFFFFFu, 0x12345u, 0x20007u, 0x80000000u}) {
        auto f = le32(v);
        bytes.insert(bytes.end(), f.begin(), f.end());
    }
    bytes.resize(SETTINGS_FILE_SIZE, 0xFF);
    write_file(SETTINGS_FILE_NAME, bytes);
    settings_read();
    EXPECT_EQ(machine.settings.video_flags & ~0x77Fu, 0u) << "unknown video bits are dropped";
    EXPECT_EQ(machine.settings.audio_flags, 0x7Fu);
    EXPECT_EQ(machine.settings.device_code[0], 0x20000u) << "an unknown device code keeps the default";
    EXPECT_EQ(machine.settings.device_code[1], 0x10000u);
    EXPECT_EQ(machine.settings.volume, 0) << "a negative volume is clamped";
    EXPECT_EQ(machine.settings.bindings[1][7], 0xFF) << "every scan code is a valid binding";
}

TEST_F(SettingsTest, SaveFileRoundTripsBackupRam) {
    for (size_t i = 0; i < BACKUP_RAM_SIZE; i += 7) machine.board.backup_ram[i] = static_cast<uint8_t>(i * 13 + 1);
    std::vector<uint8_t> before(machine.board.backup_ram, machine.board.backup_ram + BACKUP_RAM_SIZE);
    ASSERT_EQ(save_write(), 1);
    std::memset(machine.board.backup_ram, 0xAB, BACKUP_RAM_SIZE);
    save_read();
    EXPECT_EQ(std::vector<uint8_t>(machine.board.backup_ram, machine.board.backup_ram + BACKUP_RAM_SIZE), before);
    EXPECT_FALSE(std::filesystem::exists(SAVE_TEMP_FILE_NAME));
}

TEST_F(SettingsTest, AllZeroBackupRamWritesAnEmptyFileAndMissingFileReadsZero) {
    ASSERT_EQ(save_write(), 1);
    EXPECT_EQ(read_file(SAVE_FILE_NAME).size(), 0u);
    std::filesystem::remove(SAVE_FILE_NAME);
    std::memset(machine.board.backup_ram, 0xAB, BACKUP_RAM_SIZE);
    save_read();
    for (size_t i = 0; i < BACKUP_RAM_SIZE; ++i) ASSERT_EQ(machine.board.backup_ram[i], 0) << i;
}

TEST_F(SettingsTest, OversizedDamagedSaveFileDecodesWithinBounds) {
    std::vector<uint8_t> junk(400'000, 0x5A);
    write_file(SAVE_FILE_NAME, junk);
    save_read(); // AddressSanitizer guards the bounds
    SUCCEED();
}

// A save interrupted at any stage leaves the previous file as it was.
struct SaveFault {
    const char* name;
    void (*inject)(SaveFileIo& io);
};

class SaveFaultTest : public MachineTest, public ::testing::WithParamInterface<SaveFault> {
    void TearDown() override {
        save_file_io_reset();
        MachineTest::TearDown();
    }
};

TEST_P(SaveFaultTest, PreviousSaveSurvives) {
    machine.board.backup_ram[10] = 0x42;
    ASSERT_EQ(save_write(), 1);
    const auto previous = read_file(SAVE_FILE_NAME);

    for (size_t i = 0; i < BACKUP_RAM_SIZE; ++i) machine.board.backup_ram[i] = static_cast<uint8_t>(i | 1);
    GetParam().inject(save_file_io);
    EXPECT_EQ(save_write(), 0);
    save_file_io_reset();

    EXPECT_EQ(read_file(SAVE_FILE_NAME), previous);
    EXPECT_FALSE(std::filesystem::exists(SAVE_TEMP_FILE_NAME));
    std::memset(machine.board.backup_ram, 0, BACKUP_RAM_SIZE);
    save_read();
    EXPECT_EQ(machine.board.backup_ram[10], 0x42);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SaveFaultTest,
    ::testing::Values(
        SaveFault{"OpenFails", [](SaveFileIo& io) { io.open = [](const char*, const char*) -> FILE* { return nullptr; }; }},
        SaveFault{"ShortWrite",
                  [](SaveFileIo& io) {
                      io.write = [](const void* d, size_t s, size_t n, FILE* f) { return std::fwrite(d, s, n / 2, f); };
                  }},
        SaveFault{"DiskFull", [](SaveFileIo& io) { io.write = [](const void*, size_t, size_t, FILE*) -> size_t { return 0; }; }},
        SaveFault{"SyncFails", [](SaveFileIo& io) { io.sync = [](FILE*) { return -1; }; }},
        SaveFault{"CloseFails",
                  [](SaveFileIo& io) {
                      io.close = [](FILE* f) {
                          std::fclose(f);
                          return -1;
                      };
                  }},
        SaveFault{"RenameFails", [](SaveFileIo& io) { io.rename = [](const char*, const char*) { return -1; }; }}),
    [](const auto& info) { return info.param.name; });

} // namespace
