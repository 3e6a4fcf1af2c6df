// The ten scaler variants. Plain loops over whole rows that the compiler vectorises; the
// averaging uses the halving mask instead of unpacking channels, and the edge rule is written
// with selects, not branches, so it vectorises too.
#include "host/scalers.h"

#include <cstring>

#include "host/flags.h"
#include "machine.h"

namespace {

constexpr int32_t SOURCE_PITCH = 1024;
constexpr int32_t WIDE_FIRST_ROW = 16;    // 640x480: the 608x448 picture starts at row 16...
constexpr int32_t WIDE_FIRST_COLUMN = 16; // ...and column 16

const uint8_t* source_row(int32_t k) {
    return machine.app.work_block + static_cast<size_t>(machine.video.first_visible_row + k) * SOURCE_PITCH;
}
const uint16_t* source_pixels16(int32_t k) {
    return reinterpret_cast<const uint16_t*>(source_row(k)) + PICTURE_FIRST_COLUMN;
}
const uint8_t* source_pixels8(int32_t k) { return source_row(k) + PICTURE_FIRST_COLUMN; }

uint8_t* target_row(int32_t y) {
    const DisplayContext& d = machine.host.display;
    return d.target + static_cast<ptrdiff_t>(y) * d.target_pitch;
}
uint16_t* wide_row16(int32_t y) {
    return reinterpret_cast<uint16_t*>(target_row(WIDE_FIRST_ROW + y)) + WIDE_FIRST_COLUMN;
}
uint8_t* wide_row8(int32_t y) { return target_row(WIDE_FIRST_ROW + y) + WIDE_FIRST_COLUMN; }
uint16_t mask16() { return static_cast<uint16_t>(machine.host.display.halving_mask); }

// 320-wide modes: 1:1, one or two pitches per row, starting at column 8 and row 8 x row step.
void copy_rows(int32_t bytes_per_pixel) {
    const int32_t step = (machine.settings.video_flags & VF_SCANLINES) ? 2 : 1;
    for (int32_t k = 0; k < PICTURE_HEIGHT; ++k) {
        uint8_t* out = target_row((8 + k) * step) + PICTURE_FIRST_COLUMN * bytes_per_pixel;
        std::memcpy(out, source_row(k) + PICTURE_FIRST_COLUMN * bytes_per_pixel, PICTURE_WIDTH * bytes_per_pixel);
    }
}

void double_row16(const uint16_t* s, uint16_t* out) {
    for (int32_t i = 0; i < PICTURE_WIDTH; ++i) out[2 * i] = out[2 * i + 1] = s[i];
}

void interpolate_row16(const uint16_t* s, uint16_t* out, bool mmx_form) {
    const uint16_t m = mask16();
    for (int32_t i = 0; i < PICTURE_WIDTH; ++i) {
        out[2 * i] = s[i];
        out[2 * i + 1] = pixel_avg(s[i], s[i + 1], m);
    }
    if (mmx_form) out[2 * PICTURE_WIDTH - 1] = 0;
}

void half_row16(const uint16_t* upper, uint16_t* out) {
    const uint16_t m = mask16();
    for (int32_t i = 0; i < 2 * PICTURE_WIDTH; ++i) out[i] = pixel_half(upper[i], m);
}

void scale_copy16() { copy_rows(2); }
void scale_copy8() { copy_rows(1); }

void scale_double16() {
    for (int32_t k = 0; k < PICTURE_HEIGHT; ++k) double_row16(source_pixels16(k), wide_row16(2 * k));
}

void scale_double8() {
    for (int32_t k = 0; k < PICTURE_HEIGHT; ++k) {
        const uint8_t* s = source_pixels8(k);
        uint8_t* out = wide_row8(2 * k);
        for (int32_t i = 0; i < PICTURE_WIDTH; ++i) out[2 * i] = out[2 * i + 1] = s[i];
    }
}

void scale_double_dim16() {
    for (int32_t k = 0; k < PICTURE_HEIGHT; ++k) {
        double_row16(source_pixels16(k), wide_row16(2 * k));
        half_row16(wide_row16(2 * k), wide_row16(2 * k + 1));
    }
}

template <bool MmxForm> void scale_interp_gap16() {
    for (int32_t k = 0; k < PICTURE_HEIGHT; ++k) interpolate_row16(source_pixels16(k), wide_row16(2 * k), MmxForm);
}

template <bool MmxForm> void scale_interp_dim16() {
    for (int32_t k = 0; k < PICTURE_HEIGHT; ++k) {
        interpolate_row16(source_pixels16(k), wide_row16(2 * k), MmxForm);
        half_row16(wide_row16(2 * k), wide_row16(2 * k + 1));
    }
}

template <bool MmxForm> void scale_bilinear16() {
    // The previous source row after horizontal interpolation; black before the first row.
    alignas(16) uint16_t previous[2 * PICTURE_WIDTH] = {};
    const uint16_t m = mask16();
    for (int32_t k = 0; k < PICTURE_HEIGHT; ++k) {
        uint16_t* lower = wide_row16(2 * k + 1);
        uint16_t* upper = wide_row16(2 * k);
        interpolate_row16(source_pixels16(k), lower, MmxForm);
        for (int32_t i = 0; i < 2 * PICTURE_WIDTH; ++i) {
            upper[i] = pixel_avg(lower[i], previous[i], m);
            previous[i] = lower[i];
        }
    }
}

// Edge rule: the upper row doubles each pixel; the lower row takes a neighbour's colour on the
// side where the row below continues that neighbour (a diagonal), which keeps lines sharp.
template <typename Pixel> void edge_rows(const Pixel* s, const Pixel* b, Pixel before, Pixel* upper, Pixel* lower) {
    // The first pixel's left neighbour is the pixel processed before it; the rest of the row is
    // one branch-free loop.
    upper[0] = upper[1] = s[0];
    lower[0] = b[0] == before ? before : s[0];
    lower[1] = b[0] == s[1] ? s[1] : s[0];
    for (int32_t i = 1; i < PICTURE_WIDTH; ++i) {
        const Pixel left = s[i - 1];
        const Pixel right = s[i + 1];
        const Pixel here = s[i];
        upper[2 * i] = here;
        upper[2 * i + 1] = here;
        lower[2 * i] = b[i] == left ? left : here;
        lower[2 * i + 1] = b[i] == right ? right : here;
    }
}

void scale_edge16() {
    uint16_t before = source_pixels16(0)[0];
    for (int32_t k = 0; k < PICTURE_HEIGHT; ++k) {
        const uint16_t* s = source_pixels16(k);
        edge_rows<uint16_t>(s, source_pixels16(k + 1), before, wide_row16(2 * k), wide_row16(2 * k + 1));
        before = s[PICTURE_WIDTH - 1];
    }
}

void scale_edge8() {
    uint8_t before = source_pixels8(0)[0];
    for (int32_t k = 0; k < PICTURE_HEIGHT; ++k) {
        const uint8_t* s = source_pixels8(k);
        edge_rows<uint8_t>(s, source_pixels8(k + 1), before, wide_row8(2 * k), wide_row8(2 * k + 1));
        before = s[PICTURE_WIDTH - 1];
    }
}

} // namespace

ScalerKind scaler_select(uint32_t f, bool eight_bit) {
    const bool mmx = f & VF_MMX;
    const bool soft = f & VF_SOFT;
    const bool dim = f & VF_DIM_SCANLINES;
    const bool gap = f & VF_SCANLINES;
    if (eight_bit) {
        // A 320-wide mode always gets the 1:1 copy: a doubling scaler would write past the edge
        // of the surface (the edge rule's 640-wide output included).
        if (f & VF_LOWRES) return ScalerKind::copy8;
        if (mmx && (f & VF_SHARP)) return ScalerKind::edge8;
        return ScalerKind::double8;
    }
    if (f & VF_LOWRES) return ScalerKind::copy16;
    if (mmx) {
        if (soft) return dim ? ScalerKind::interp_dim16 : gap ? ScalerKind::interp_gap16 : ScalerKind::bilinear16;
        if (f & VF_SHARP) return ScalerKind::edge16;
        return dim ? ScalerKind::double_dim16 : ScalerKind::double16;
    }
    if (soft) return gap ? ScalerKind::interp_gap16 : dim ? ScalerKind::interp_dim16 : ScalerKind::bilinear16;
    return dim ? ScalerKind::interp_dim16 : ScalerKind::double16;
}

ScalerRoutine scaler_routine(ScalerKind kind, bool mmx_form) {
    switch (kind) {
    case ScalerKind::copy16: return scale_copy16;
    case ScalerKind::copy8: return scale_copy8;
    case ScalerKind::double16: return scale_double16;
    case ScalerKind::double8: return scale_double8;
    case ScalerKind::double_dim16: return scale_double_dim16;
    case ScalerKind::interp_gap16: return mmx_form ? scale_interp_gap16<true> : scale_interp_gap16<false>;
    case ScalerKind::interp_dim16: return mmx_form ? scale_interp_dim16<true> : scale_interp_dim16<false>;
    case ScalerKind::bilinear16: return mmx_form ? scale_bilinear16<true> : scale_bilinear16<false>;
    case ScalerKind::edge16: return scale_edge16;
    case ScalerKind::edge8: return scale_edge8;
    }
    return scale_double16;
}

const char* scaler_name(ScalerKind kind) {
    static const char* const names[] = {"copy16",       "copy8",        "double16",   "double8", "double_dim16",
                                        "interp_gap16", "interp_dim16", "bilinear16", "edge16",  "edge8"};
    return names[static_cast<int32_t>(kind)];
}

uint32_t halving_mask_for(const PixelMasks& masks) {
    const uint32_t half = (((masks.red << 1) & masks.red) + ((masks.green << 1) & masks.green) +
                           ((masks.blue << 1) & masks.blue)) & 0xFFFF;
    return half | (half << 16);
}
