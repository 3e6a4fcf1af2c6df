// Mode selection: from the video settings word to a display mode, a palette or pixel format,
// a scaler and black buffers, with the fallback chain for displays that refuse modes.
#include <cstring>

#include "app/frame.h"
#include "host/display.h"
#include "host/flags.h"
#include "host/scalers.h"
#include "machine.h"
#include "video/video.h"

namespace {

bool try_mode(int width, int height, int depth, int buffers) {
    return display_set_mode(width, height, depth, buffers) == PLATFORM_OK;
}

// Steps 1-5: sets a mode; false when even the last resort fails.
bool set_mode_for_flags(uint32_t& f) {
    const int depth = (f & VF_8BIT) ? 8 : 16;
    const int buffers = (f & VF_FLIPCHAIN) ? 3 : 1;
    f &= ~VF_LOWRES;
    int failed_depth = depth;
    if (f & (VF_DIM_SCANLINES | VF_SOFT)) {
        if (try_mode(640, 480, 16, buffers)) return true;
        failed_depth = 16;
    } else if (f & VF_SCANLINES) {
        if (try_mode(320, 480, depth, buffers)) {
            f |= VF_LOWRES;
            return true;
        }
        if (try_mode(640, 480, depth, buffers)) return true;
        if (try_mode(320, 480, depth, 1)) {
            // Still a 320-wide mode: the picture must be the 1:1 copy, or a doubling scaler
            // would write past the surface's edge.
            f = (f & ~VF_FLIPCHAIN) | VF_LOWRES;
            return true;
        }
    } else if (f & VF_SHARP) {
        // HIGH (SHARP) without scanlines has no scaler that fills a 320x480 screen, so it asks
        // for 640x480 only.
        if (try_mode(640, 480, depth, buffers)) return true;
    } else {
        if (try_mode(320, 240, depth, buffers)) {
            f |= VF_LOWRES;
            return true;
        }
        if (try_mode(640, 480, depth, buffers)) return true;
    }
    if (!try_mode(640, 480, failed_depth, 1)) return false;
    f &= ~VF_FLIPCHAIN;
    return true;
}

bool prepare_8bit() {
    DisplayContext& d = machine.host.display;
    std::memset(d.entries[0], 0, sizeof d.entries[0]);
    d.entries[1][0] = d.entries[1][1] = d.entries[1][2] = 248;
    d.entries[1][3] = 0;
    if (!palette_create()) return false;
    video_use_format_8();
    // Entry 0 is the black every border shows; entry 1 the white of the menu text.
    std::memset(d.entries[0], 0, sizeof d.entries[0]);
    d.entries[1][0] = d.entries[1][1] = d.entries[1][2] = 248;
    palette_upload(1, 255);
    return true;
}

void blacken_buffers() {
    DisplayContext& d = machine.host.display;
    if (d.flip_mode) {
        surface_fill(d.back, 0);
        display_present(1);
        surface_fill(d.back, 0);
        display_present(1);
        surface_fill(d.back, 0);
        d.present_flip = 1;
    } else {
        surface_fill(d.primary, 0);
        d.present_flip = 0;
    }
}

} // namespace

int apply_video_flags() {
    uint32_t& f = machine.settings.video_flags;
    // A stored word may pair 8-bit colour with SOFT or DIM_SCANLINES, which set a 16-bit mode:
    // the picture is then shown in 16-bit colour and the word says so, so the menu shows what
    // is on the screen.
    if ((f & VF_8BIT) && (f & (VF_SOFT | VF_DIM_SCANLINES))) f &= ~VF_8BIT;
    if (!set_mode_for_flags(f)) return 0;

    DisplayContext& d = machine.host.display;
    const bool eight_bit = d.depth == 8;
    if (eight_bit) {
        if (!prepare_8bit()) return 0;
    } else {
        video_use_format_16(d.red_mask, d.green_mask, d.blue_mask);
        d.halving_mask = halving_mask_for(PixelMasks{d.red_mask, d.green_mask, d.blue_mask});
    }
    d.scaler = scaler_routine(scaler_select(f, eight_bit), (f & VF_MMX) != 0);
    blacken_buffers();
    reset_pacing();
    machine.video.first_visible_row = FIRST_VISIBLE_ROW;
    return 1;
}
