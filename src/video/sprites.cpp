// The sprite pass: clears the picture to the backdrop, walks the 384 sprites with their chains,
// applies vertical and horizontal shrinking and clipping, resolves each tile through the sprite
// tile tables and hands it to a tile renderer. The 8-bit format walks the same way first to
// collect the palettes in view.
#include <algorithm>
#include <iterator>

#include "app/app_state.h"
#include "machine.h"
#include "video/tile_renderers.h"
#include "video/video.h"
#include "video/video_internal.h"

namespace {

constexpr int SPRITES_DRAWN = 384;
constexpr uint32_t TILE_NUMBER_LIMIT = 0x18000; // entries in each sprite tile table
constexpr uint32_t PATTERN_COUNT = SPRITE_PATTERN_SIZE / 128;
constexpr uint32_t PATTERN_INDEX_TABLE = 0x60000;
constexpr uint32_t TRANSPARENT_TILE = 0xAAAAAAAA;
constexpr int64_t PITCH = FRAME_BUFFER_PITCH;

struct SpriteTile {
    const uint8_t* pattern;
    uint32_t row_flags;
    uint32_t vertical_mask;
    int palette;
    int flip;
    int horizontal_shrink;
    int64_t dest; // byte offset of the top-left output pixel in the frame buffer
};

uint32_t table_entry(uint32_t byte_offset) {
    uint32_t value;
    std::memcpy(&value, machine.roms.sprite_tile_tables + byte_offset, 4);
    return value;
}

uint32_t animated_tile_number(uint16_t word0, uint16_t word1) {
    const VideoState& v = machine.video;
    uint32_t low = word0;
    switch ((word1 >> 2) & 3) {
    case 1: low ^= v.animation_counter_a & 3u; break;
    case 2: low ^= v.animation_counter_a & 7u; break;
    case 3: low ^= v.animation_counter_b & 15u; break;
    default: break;
    }
    return low | ((word1 >> 4) & 7u) << 16;
}

// Resolves tile entry (word0, word1); false when it draws nothing. Tile numbers past the tables
// and pattern indexes past the pattern image count as fully transparent.
bool resolve_tile(uint16_t word0, uint16_t word1, uint32_t& row_flags, const uint8_t*& pattern) {
    uint32_t tile = animated_tile_number(word0, word1);
    if (tile >= TILE_NUMBER_LIMIT) return false;
    row_flags = table_entry(4 * tile);
    if (row_flags == TRANSPARENT_TILE) return false;
    uint32_t index = table_entry(PATTERN_INDEX_TABLE + 4 * tile);
    if (index >= PATTERN_COUNT) return false;
    pattern = machine.roms.sprite_patterns + 128 * static_cast<size_t>(index);
    return true;
}

struct Column {
    int mode;          // 0, 1 or 2
    int count;         // tiles walked
    int vertical;      // vertical shrink v (255 = full size)
    int fraction_step; // 15 - (v AND 15)
    int64_t lower, upper;
};

template <class Draw>
void walk_column(const Column& c, int sprite, int horizontal_shrink, int64_t dest, Draw& draw) {
    const uint16_t* map = &machine.video.vram[64 * sprite];
    const int64_t wrap_lines = 2 * (c.vertical + 1);
    int accumulator = 16;
    for (int i = 0; i < c.count; ++i) {
        int lines = 16;
        uint32_t vertical_mask = 0xFFFF;
        if (c.vertical != 255) {
            int l = c.vertical >> 4;
            accumulator -= c.fraction_step;
            if (accumulator < 0) {
                accumulator += 16;
                --l;
            }
            if (l < 0) continue; // the tile takes no line at all
            lines = l + 1;
            vertical_mask = shrink_masks[l];
            if (c.mode == 1 && i == 16) dest -= wrap_lines * PITCH;
        }
        if (dest > c.upper) {
            if (c.mode == 2) dest -= wrap_lines * PITCH;
            else if (c.mode == 0) dest -= 512 * PITCH;
        } else if (dest >= c.lower) {
            uint16_t word0 = map[2 * i], word1 = map[2 * i + 1];
            int palette = word1 >> 8;
            uint32_t row_flags;
            const uint8_t* pattern;
            if ((c.vertical == 255 || palette != 0) && resolve_tile(word0, word1, row_flags, pattern))
                draw(SpriteTile{pattern, row_flags, vertical_mask, palette, word1 & 3,
                                horizontal_shrink, dest});
        }
        dest += lines * PITCH;
    }
}

// Calls draw for every tile the sprite pass draws, in drawing order. bytes_per_pixel gives the
// frame buffer addresses that the clipping compares.
template <class Draw>
void walk_sprites(int64_t bytes_per_pixel, Draw&& draw) {
    if (machine.roms.sprite_tile_tables == nullptr || machine.roms.sprite_patterns == nullptr) return;
    const uint16_t* vram = machine.video.vram;
    const int64_t visible_row = frame_visible_row();
    Column c{};
    c.lower = (visible_row - 15) * PITCH;
    c.upper = c.lower + 239 * PITCH;

    int n = 0;
    while (n < SPRITES_DRAWN) {
        uint16_t control = vram[0x8200 + n];
        uint16_t shrink = vram[0x8000 + n];
        int height = control & 0x3F;
        c.vertical = shrink & 0xFF;
        if (control == 0 || (control & 0x40) || c.vertical == 0 || height == 0) {
            ++n;
            continue;
        }
        int x = vram[0x8400 + n] >> 7;
        if (x >= 320) x -= 512;
        int y = 496 - (control >> 7);
        if (y > 256) y -= 512;
        if (height == 32 && c.vertical != 255) {
            c.mode = 1;
            c.count = 32;
        } else if (height >= 32) {
            c.mode = 2;
            while (y < -16) y += 2 * (c.vertical + 1);
            c.count = height;
        } else {
            c.mode = 0;
            c.count = c.vertical == 255 ? height : (height * 256 + c.vertical) / (c.vertical + 1);
        }
        c.count = std::min(c.count, 32);
        c.fraction_step = 15 - (c.vertical & 15);
        const int64_t column_row = visible_row + y;

        int sprite = n;
        int horizontal_shrink = (shrink >> 8) & 15;
        for (;;) {
            if (x >= 320) x -= 512;
            if (x >= -7 && x < 312)
                walk_column(c, sprite, horizontal_shrink, column_row * PITCH + x * bytes_per_pixel, draw);
            x += horizontal_shrink + 1;
            ++sprite;
            // A chain ends at the last drawn sprite: the words past it are no sprites.
            if (sprite >= SPRITES_DRAWN || (vram[0x8200 + sprite] & 0x40) == 0) break;
            horizontal_shrink = (vram[0x8000 + sprite] >> 8) & 15;
        }
        n = sprite;
    }
}

template <typename Pixel>
void clear_to_backdrop(Pixel backdrop) {
    uint8_t* row = machine.app.work_block + frame_visible_row() * PITCH;
    for (int line = 0; line < 224; ++line, row += PITCH)
        std::fill_n(reinterpret_cast<Pixel*>(row) + 8, 304, backdrop);
}

} // namespace

void render_sprites() {
    uint8_t* frame = machine.app.work_block;
    if (frame == nullptr) return;
    const VideoState& v = machine.video;
    if (video_format_8bit()) {
        clear_to_backdrop<uint8_t>(v.converted_8[BACKDROP_ENTRY]);
        walk_sprites(1, [&](const SpriteTile& t) {
            uint32_t mask = t.horizontal_shrink < 7 ? shrink_masks_8bit[t.horizontal_shrink] : 0;
            tile_renderers[tile_renderer_index(1, t.horizontal_shrink, t.flip)](
                t.pattern, &v.converted_8[16 * t.palette], frame + t.dest, t.row_flags,
                t.vertical_mask, mask);
        });
    } else {
        clear_to_backdrop<uint16_t>(v.converted_16[BACKDROP_ENTRY]);
        const TileRenderer* set = tile_renderers.data();
        uint32_t flags = machine.settings.video_flags;
        if ((flags & VF_MMX) && !(flags & VF_NOT_FAMILY5) && simd_tile_renderers() != nullptr)
            set = simd_tile_renderers();
        walk_sprites(2, [&](const SpriteTile& t) {
            uint32_t mask = t.horizontal_shrink < 7 ? shrink_masks[t.horizontal_shrink] : 0;
            set[tile_renderer_index(0, t.horizontal_shrink, t.flip)](
                t.pattern, &v.converted_16[16 * t.palette], frame + t.dest, t.row_flags,
                t.vertical_mask, mask);
        });
    }
}

void collect_sprite_palettes() {
    VideoState& v = machine.video;
    v.used_count = 0;
    std::fill(std::begin(v.used_seen), std::end(v.used_seen), 0);
    walk_sprites(1, [&](const SpriteTile& t) {
        if (v.used_seen[t.palette]) return;
        v.used_seen[t.palette] = 1;
        v.used_palettes[v.used_count++] = static_cast<uint8_t>(t.palette);
    });
}
