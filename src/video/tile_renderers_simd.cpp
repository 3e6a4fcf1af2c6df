// The SIMD renderer set of the 16-bit format: the same 40 members as the plain set and the same
// picture, drawing a whole 16-pixel row with byte shuffles (SSSE3): the pattern row is split into
// 16 nibble indexes, the shrink selection and the horizontal flip are one constant shuffle of
// those indexes, and the palette lookup is a shuffle of the palette's low and high bytes.
// Group 0 (shrink 0-6, a run-time mask) and the 8-bit format use the plain members.
#include "video/tile_renderers.h"

#include "video/tile_selection.h"
#include "video/video_state.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <utility>

#define QZB_SIMD __attribute__((target("ssse3")))

namespace {

struct ShuffleTable {
    alignas(16) int8_t lanes[16];
    int count;
};

// Output lane j takes nibble index `source[j]`; lanes past the selection take 0x80 (a zero index).
constexpr ShuffleTable make_shuffle(int h, bool flip_x) {
    PixelSelection s = selection(false, h, flip_x);
    ShuffleTable t{{}, s.count};
    for (int j = 0; j < 16; ++j)
        t.lanes[j] = j < s.count ? static_cast<int8_t>(s.source[static_cast<size_t>(j)]) : static_cast<int8_t>(-128);
    return t;
}

QZB_SIMD inline __m128i row_indexes(const uint8_t* row) {
    const __m128i low_nibbles = _mm_set1_epi8(0x0F);
    __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row));
    __m128i left = _mm_and_si128(_mm_srli_epi16(bytes, 4), low_nibbles);
    __m128i right = _mm_and_si128(bytes, low_nibbles);
    return _mm_unpacklo_epi8(left, right); // pixel 0, 1, 2, ... in source order
}

template <bool Reorder>
QZB_SIMD inline __m128i row_in_output_order(const uint8_t* pattern, int r, __m128i lanes) {
    __m128i indexes = row_indexes(pattern + 8 * r);
    return Reorder ? _mm_shuffle_epi8(indexes, lanes) : indexes;
}

struct SplitPalette {
    __m128i low, high; // byte k = low / high byte of palette entry k
};

QZB_SIMD inline SplitPalette split_palette(const uint16_t* palette) {
    const __m128i pick_low = _mm_setr_epi8(0, 2, 4, 6, 8, 10, 12, 14, -128, -128, -128, -128, -128, -128, -128, -128);
    const __m128i pick_high = _mm_setr_epi8(1, 3, 5, 7, 9, 11, 13, 15, -128, -128, -128, -128, -128, -128, -128, -128);
    __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(palette));
    __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(palette + 8));
    return {_mm_unpacklo_epi64(_mm_shuffle_epi8(first, pick_low), _mm_shuffle_epi8(second, pick_low)),
            _mm_unpacklo_epi64(_mm_shuffle_epi8(first, pick_high), _mm_shuffle_epi8(second, pick_high))};
}

// Writes the lanes of `write` (0xFF bytes) of the 16 looked-up pixels; the others keep their value.
QZB_SIMD inline void store_row(uint8_t* dest, __m128i indexes, const SplitPalette& palette, __m128i write, bool all) {
    __m128i low = _mm_shuffle_epi8(palette.low, indexes);
    __m128i high = _mm_shuffle_epi8(palette.high, indexes);
    __m128i pixels0 = _mm_unpacklo_epi8(low, high), pixels1 = _mm_unpackhi_epi8(low, high);
    __m128i* out = reinterpret_cast<__m128i*>(dest);
    if (all) {
        _mm_storeu_si128(out, pixels0);
        _mm_storeu_si128(out + 1, pixels1);
        return;
    }
    __m128i mask0 = _mm_unpacklo_epi8(write, write), mask1 = _mm_unpackhi_epi8(write, write);
    if (_mm_movemask_epi8(mask0)) {
        __m128i old = _mm_loadu_si128(out);
        _mm_storeu_si128(out, _mm_or_si128(_mm_and_si128(mask0, pixels0), _mm_andnot_si128(mask0, old)));
    }
    if (_mm_movemask_epi8(mask1)) {
        __m128i old = _mm_loadu_si128(out + 1);
        _mm_storeu_si128(out + 1, _mm_or_si128(_mm_and_si128(mask1, pixels1), _mm_andnot_si128(mask1, old)));
    }
}

template <int Group, int Flip>
QZB_SIMD void draw_tile_simd(const uint8_t* pattern, const void* palette_data, uint8_t* dest, uint32_t row_flags,
                             uint32_t vertical_mask, uint32_t) {
    static constexpr ShuffleTable shuffle = make_shuffle(Group + 6, (Flip & 1) != 0);
    constexpr bool flip_y = (Flip & 2) != 0;
    constexpr bool reorder = shuffle.count < 16 || (Flip & 1) != 0;
    const __m128i lanes = _mm_load_si128(reinterpret_cast<const __m128i*>(shuffle.lanes));
    // Lanes inside the selection: an opaque row writes exactly these.
    const __m128i selected = _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(shuffle.count)),
                                            _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    const __m128i zero = _mm_setzero_si128();
    SplitPalette palette = split_palette(static_cast<const uint16_t*>(palette_data));

    if (Group == 9 && vertical_mask == 0xFFFF && row_flags == 0x55555555) {
        for (int step = 0; step < 16; ++step, dest += FRAME_BUFFER_PITCH)
            store_row(dest, row_in_output_order<reorder>(pattern, flip_y ? 15 - step : step, lanes), palette, selected, true);
        return;
    }
    for (int step = 0; step < 16; ++step) {
        if (((vertical_mask >> step) & 1) == 0) continue;
        int r = flip_y ? 15 - step : step;
        uint32_t flags = (row_flags >> (2 * r)) & 3;
        if ((flags & 2) == 0) {
            __m128i indexes = row_in_output_order<reorder>(pattern, r, lanes);
            if (flags & 1)
                store_row(dest, indexes, palette, selected, shuffle.count == 16);
            else
                store_row(dest, indexes, palette, _mm_xor_si128(_mm_cmpeq_epi8(indexes, zero), _mm_set1_epi8(-1)), false);
        }
        dest += FRAME_BUFFER_PITCH;
    }
}

template <size_t... I>
std::array<TileRenderer, TILE_RENDERER_COUNT> make_simd_table(std::index_sequence<I...>) {
    // Entries 4-39: groups 1-9 of the 16-bit format; the rest come from the plain set.
    return {{(I >= 4 && I < 40 ? &draw_tile_simd<static_cast<int>(I / 4), static_cast<int>(I % 4)> : tile_renderers[I])...}};
}

// One 8 x 8 fix tile of the 16-bit format: a byte per pixel, its low 4 bits the colour.
QZB_SIMD void draw_fix_tile_simd(const uint8_t* source, const uint16_t* palette_data, uint8_t* dest, bool opaque) {
    SplitPalette palette = split_palette(palette_data);
    const __m128i low_nibbles = _mm_set1_epi8(0x0F);
    for (int y = 0; y < 8; ++y, source += 8, dest += FRAME_BUFFER_PITCH) {
        __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(source));
        __m128i indexes = _mm_and_si128(bytes, low_nibbles);
        __m128i pixels = _mm_unpacklo_epi8(_mm_shuffle_epi8(palette.low, indexes), _mm_shuffle_epi8(palette.high, indexes));
        __m128i* out = reinterpret_cast<__m128i*>(dest);
        if (opaque) {
            _mm_storeu_si128(out, pixels);
            continue;
        }
        __m128i clear = _mm_cmpeq_epi8(bytes, _mm_setzero_si128());
        clear = _mm_unpacklo_epi8(clear, clear);
        _mm_storeu_si128(out, _mm_or_si128(_mm_andnot_si128(clear, pixels), _mm_and_si128(clear, _mm_loadu_si128(out))));
    }
}

} // namespace

FixTileRenderer simd_fix_tile_renderer() {
    static const bool supported = __builtin_cpu_supports("ssse3");
    return supported ? &draw_fix_tile_simd : nullptr;
}

const TileRenderer* simd_tile_renderers() {
    static const bool supported = __builtin_cpu_supports("ssse3");
    static const std::array<TileRenderer, TILE_RENDERER_COUNT> table =
        make_simd_table(std::make_index_sequence<TILE_RENDERER_COUNT>{});
    return supported ? table.data() : nullptr;
}

#else

const TileRenderer* simd_tile_renderers() { return nullptr; }
FixTileRenderer simd_fix_tile_renderer() { return nullptr; }

#endif
