#include "cart_machine.h"

#include "app/frame.h"
#include "app/settings.h"
#include "app/shell.h"
#include "cartridge.h"
#include "host/audio.h"
#include "host/display.h"
#include "host/input.h"
#include "host/platform/headless/headless.h"
#include "host/platform/platform.h"
#include "machine.h"

namespace {
// The cartridge's images as resources: the seven ROM images, the loading picture and the icon.
constexpr int kResourceIds[] = {102, 104, 105, 106, 107, 108, 109, 111, 124};
} // namespace

void CartMachineTest::SetUp() {
    MachineTest::SetUp();
#ifndef QZB_CART_IMAGE_DIR
    GTEST_SKIP() << "the demo cartridge was not built (cross tools missing)";
#elif defined(QZB_CORES_ARE_STANDINS)
    GTEST_SKIP() << "the emulation cores are still stand-ins";
#else
    for (size_t i = 0; i < std::size(kResourceIds); ++i)
        ASSERT_TRUE(cart::read_file(
            std::string(QZB_CART_IMAGE_DIR) + "/" + std::to_string(kResourceIds[i]) + ".bin", images_[i]));
    std::string error;
    ASSERT_TRUE(read_input_script(QZB_CART_SESSION, &session_, &error)) << error;
    boot();
#endif
}

void CartMachineTest::TearDown() {
    if (booted_) shut_down();
    MachineTest::TearDown();
}

void CartMachineTest::boot() {
    for (size_t i = 0; i < std::size(kResourceIds); ++i)
        platform_register_resource(kResourceIds[i], images_[i].data(), images_[i].size());
    machine.app.skip_loading_pauses = true;
    ASSERT_TRUE(init_instance());
    booted_ = true;
    before_startup();
    machine.host.display.starting = 1;
    for (int stage = 0; stage <= 8; ++stage)
        ASSERT_TRUE(startup_stage(stage)) << stage;
}

// The program's shutdown without its once-per-process guard: settings, then the resources and
// devices in the order the shell releases them.
void CartMachineTest::shut_down() {
    if (machine.app.settings_loaded) settings_write();
    release_resources();
    audio_close();
    input_close();
    display_release();
    booted_ = false;
}

void CartMachineTest::restart() {
    shut_down();
    machine_reset_state();
    headless_reset();
    event_clear();
    platform_clear_resources();
    frames_run_ = 0;
    next_step_ = 0;
    boot();
}

void CartMachineTest::hold_keys(const std::vector<uint8_t>& scan_codes) {
    uint8_t state[256] = {};
    for (uint8_t code : scan_codes)
        state[code] = 0x80;
    headless_set_keyboard(state);
}

void CartMachineTest::run_frame() {
    if (!machine.menu.menu_open) emulate_frame();
    draw_frame();
    ++frames_run_;
}

void CartMachineTest::run_session(long last, const std::function<void(long frame)>& after) {
    while (frames_run_ < last) {
        // A line's keys are held from the frame after the one it names, as qzb-run holds them.
        while (next_step_ < session_.size() && session_[next_step_].frame <= frames_run_)
            hold_keys(session_[next_step_++].keys);
        run_frame();
        if (after) after(frames_run_);
    }
}

std::string CartMachineTest::fix_text(int column, int row, int length) const {
    std::string text;
    for (int i = 0; i < length; ++i)
        text += static_cast<char>(machine.video.vram[0x7000 + 32 * (column + i) + row] & 0xFF);
    return text;
}

uint8_t CartMachineTest::backup_byte(uint32_t offset) const {
    return machine.board.backup_ram[offset ^ 1];
}
