// The scalers: copy the visible 304x224 picture of the frame buffer into the locked display
// surface, enlarged and filtered for the mode and quality. One is chosen per mode selection.
// Touches: machine.host.display (target, target_pitch, halving_mask, scaler), the frame buffer
// in machine.app.work_block, machine.video.first_visible_row.
#pragma once
#include <cstdint>

#include "host/host_state.h"

enum class ScalerKind : int32_t {
    copy16, copy8, double16, double8, double_dim16, interp_gap16, interp_dim16, bilinear16, edge16, edge8,
};

inline constexpr int32_t PICTURE_WIDTH = 304;
inline constexpr int32_t PICTURE_HEIGHT = 224;
inline constexpr int32_t PICTURE_FIRST_COLUMN = 8;

// The variant for the settings word after the mode was set (VF_LOWRES tells a 320-wide mode).
ScalerKind scaler_select(uint32_t video_flags, bool eight_bit);
// The routine of a variant. The MMX-era form of the interpolating variants writes 0 into the
// last pixel of each interpolated row; the plain form interpolates with the pixel right of the
// picture. Every other variant has one picture whichever form runs.
ScalerRoutine scaler_routine(ScalerKind kind, bool mmx_form);
const char* scaler_name(ScalerKind kind);

// The two pixel operations on 16-bit pixels; `mask` is one half of the halving mask.
inline uint16_t pixel_avg(uint16_t a, uint16_t b, uint16_t mask) {
    return static_cast<uint16_t>((a & b) + (((a ^ b) & mask) >> 1));
}
inline uint16_t pixel_half(uint16_t a, uint16_t mask) { return static_cast<uint16_t>((a & mask) >> 1); }
// Each channel mask with its lowest bit removed, summed, in both halves of the result.
uint32_t halving_mask_for(const PixelMasks& masks);
