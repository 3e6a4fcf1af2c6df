// A fixture that gives every test a machine at its program-start state and a fresh headless
// back end, and runs it in a scratch folder so settings and save files never touch the tree.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class MachineTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The scratch folder the test runs in.
    const std::filesystem::path& scratch() const { return scratch_; }

  private:
    std::filesystem::path previous_dir_;
    std::filesystem::path scratch_;
};

// Folder of the external test vectors, or an empty path when it is absent.
std::filesystem::path testdata_dir();

// Writes and reads whole files in the current folder.
void write_file(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> read_file(const std::filesystem::path& path);
