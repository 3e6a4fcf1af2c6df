// A machine with a frame buffer, a glyph set the test shapes, and host calls that record what
// the menu asked for: a keyboard the test holds keys on, a display and a sound card that refuse
// chosen settings, and a joystick count.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/machine_fixture.h"

struct FakeHost {
    uint8_t keys[256] = {};
    int joysticks = 0;
    uint32_t refused_video_bits = 0;       // the display refuses flags holding any of these bits
    uint32_t refused_audio_bits = 0;       // the sound card refuses flags holding any of these bits
    std::vector<uint32_t> applied_video;   // VideoFlags at each mode selection
    std::vector<uint32_t> restarted_audio; // AudioFlags at each sound restart
    std::vector<int32_t> volumes;
    std::vector<std::pair<int, int>> uploads;
};

extern FakeHost fake;

class MenuTest : public MachineTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Glyphs: every tile starts as background; these make a character's tiles solid.
    void solid_glyph(uint8_t code);
    void solid_font();
    uint8_t* tile(int number) { return font_.data() + 64 * number; }

    // Runs menu frames for a sequence of keyboard states separated by blanks: "DOWN . ENTER"
    // holds DOWN for a frame, nothing for a frame, then ENTER for a frame. A state joins keys
    // with '+' ("ENTER+ESC"); keys are named (UP DOWN LEFT RIGHT ENTER ESC) or given as a scan
    // code ("0x2C"). Two frames with no key follow, so the last press is acted on (also a press
    // that leads to the quit or resume page). Frames stop when the menu closes.
    void run_keys(const std::string& sequence);

    uint16_t pixel16(int x, int y) const;
    uint8_t pixel8(int x, int y) const;
    void set_pixel16(int x, int y, uint16_t value);
    void fill16(uint16_t value);

  private:
    std::vector<uint8_t> font_;
};
