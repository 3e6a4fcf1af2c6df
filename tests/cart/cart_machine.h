// The demo cartridge on the whole machine, started as the program starts it and driven frame by
// frame the way qzb-run drives it: held keys from an input script, one emulated frame, its drawing.
// Cases skip when the cartridge was not built or the emulation cores are still stand-ins.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "input_script.h"
#include "support/machine_fixture.h"

class CartMachineTest : public MachineTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Runs before the start-up stages of every boot (a case may change the settings here).
    virtual void before_startup() {}

    // Frees what a boot made, puts the machine back to its program-start state and starts it
    // again in the same folder, as a new run of the program would.
    void restart();

    // Runs frames 1..last of tests/cart/session.txt (frame n = the n-th frame after start-up),
    // continuing from the frames already run; `after` sees each frame once it is drawn.
    void run_session(long last, const std::function<void(long frame)>& after = {});
    // One frame as qzb-run runs it: the board stands still while the menu is open.
    void run_frame();
    void hold_keys(const std::vector<uint8_t>& scan_codes);

    long frames_run() const { return frames_run_; }
    // The last frame the session script names.
    long session_end() const { return session_.empty() ? 0 : session_.back().frame; }
    // Where a case that may stop early stops: the session's end, or in the sanitizer build its
    // first 1000 frames (the title, the game start, two players in play, a bomb).
    long session_part_end() const {
#ifdef QZB_CART_QUICK_SESSION
        return session_end() < 1000 ? session_end() : 1000;
#else
        return session_end();
#endif
    }

    // Fix layer text at (column, row) as the game wrote it: character codes without palettes.
    std::string fix_text(int column, int row, int length) const;
    // The 68000's view of backup RAM (the machine keeps it in host word order).
    uint8_t backup_byte(uint32_t offset) const;

  private:
    void boot();
    void shut_down();

    std::vector<uint8_t> images_[9]; // by kResourceIds
    std::vector<InputStep> session_;
    size_t next_step_ = 0;
    long frames_run_ = 0;
    bool booted_ = false;
};
