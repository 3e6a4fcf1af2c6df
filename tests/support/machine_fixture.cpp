#include "support/machine_fixture.h"

#include <unistd.h>

#include <fstream>
#include <iterator>

#include "host/platform/headless/headless.h"
#include "host/platform/platform.h"
#include "machine.h"

void MachineTest::SetUp() {
    machine_reset_state();
    headless_reset();
    event_clear();
    platform_clear_resources();
    previous_dir_ = std::filesystem::current_path();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    scratch_ = std::filesystem::temp_directory_path() / ("qzb-test-" + std::to_string(getpid())) / name;
    std::filesystem::remove_all(scratch_);
    std::filesystem::create_directories(scratch_);
    std::filesystem::current_path(scratch_);
}

void MachineTest::TearDown() {
    std::free(machine.app.work_block);
    machine.app.work_block = nullptr;
    std::filesystem::current_path(previous_dir_);
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
}

std::filesystem::path testdata_dir() {
    std::filesystem::path dir = QZB_TESTDATA_DIR;
    return std::filesystem::is_directory(dir) ? dir : std::filesystem::path{};
}

void write_file(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
