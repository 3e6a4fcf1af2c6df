// The fix layer: 40 x 28 tiles of 8 x 8 pixels drawn over the sprites, from the fix map in video
// RAM and the fix tile bank in use, with tiles classified once so that empty ones cost one test.
#include <cstring>

#include "app/app_state.h"
#include "machine.h"
#include "video/tile_renderers.h"
#include "video/video.h"
#include "video/video_internal.h"

namespace {

constexpr uint32_t FIX_MAP = 0x7000;

// The bank of tiles in use (0 = game, 1 = board), or -1 when no fix tiles are loaded.
int fix_bank_in_use() {
    const uint8_t* base = machine.roms.fix_rom_base;
    const uint8_t* current = machine.roms.current_fix_rom;
    if (base == nullptr || current == nullptr) return -1;
    if (current == base) return 0;
    if (current == base + FIX_BOARD_BANK_OFFSET) return 1;
    return -1;
}

// The plain tile body; a pixel's colour is the low 4 bits of its byte.
template <typename Pixel>
void draw_fix_tile(const uint8_t* source, const Pixel* palette, uint8_t* line, bool opaque) {
    for (int y = 0; y < 8; ++y, source += 8, line += FRAME_BUFFER_PITCH) {
        Pixel* out = reinterpret_cast<Pixel*>(line);
        if (opaque) {
            for (int x = 0; x < 8; ++x) out[x] = palette[source[x] & 15];
        } else {
            for (int x = 0; x < 8; ++x)
                if (source[x] != 0) out[x] = palette[source[x] & 15];
        }
    }
}

template <typename Pixel>
void draw_fix_tiles(const Pixel* converted, int64_t visible_row, void (*draw)(const uint8_t*, const Pixel*, uint8_t*, bool)) {
    int bank = fix_bank_in_use();
    uint8_t* frame = machine.app.work_block;
    if (bank < 0 || frame == nullptr || machine.app.fix_flags == nullptr) return;
    const uint8_t* tiles = machine.roms.fix_rom_base + bank * FIX_BOARD_BANK_OFFSET;
    const uint8_t* flags = machine.app.fix_flags + bank * FIX_BANK_TILES;
    for (int column = 0; column < 40; ++column) {
        for (int row = 2; row < 30; ++row) {
            uint16_t entry = machine.video.vram[FIX_MAP + 32 * column + row];
            uint32_t tile = entry & 0xFFF;
            uint8_t tile_flags = flags[tile];
            if (tile_flags & FIX_TRANSPARENT) continue;
            uint8_t* line = frame + (visible_row + 8 * (row - 2)) * FRAME_BUFFER_PITCH +
                            8 * column * sizeof(Pixel);
            draw(tiles + FIX_TILE_BYTES * tile, converted + 16 * (entry >> 12), line, (tile_flags & FIX_OPAQUE) != 0);
        }
    }
}

// True when any of the eight bytes is zero (exact: a borrow can only start at a zero byte).
bool has_zero_byte(uint64_t word) { return ((word - 0x0101010101010101) & ~word & 0x8080808080808080) != 0; }

} // namespace

void compute_fix_flags() {
    uint8_t* flags = machine.app.fix_flags;
    if (flags == nullptr) return;
    const uint8_t* tiles = machine.roms.fix_rom_base;
    static_assert(FIX_TILE_BYTES % 8 == 0);
    for (uint32_t t = 0; t < FIX_TILE_COUNT; ++t) {
        if (tiles == nullptr) {
            flags[t] = FIX_TRANSPARENT;
            continue;
        }
        // Eight pixels at a time: the table covers the whole 512 KiB image at every start.
        const uint8_t* tile = tiles + FIX_TILE_BYTES * t;
        uint64_t any_set = 0;
        bool any_clear = false;
        for (uint32_t i = 0; i < FIX_TILE_BYTES; i += 8) {
            uint64_t word;
            std::memcpy(&word, tile + i, sizeof word);
            any_set |= word;
            any_clear = any_clear || has_zero_byte(word);
        }
        flags[t] = any_set == 0 ? FIX_TRANSPARENT : !any_clear ? FIX_OPAQUE : 0;
    }
}

void render_fix_layer() {
    if (video_format_8bit()) {
        // The 8-bit picture always starts at row 17, whatever the row setting says.
        draw_fix_tiles<uint8_t>(machine.video.converted_8, FIRST_VISIBLE_ROW, &draw_fix_tile<uint8_t>);
        return;
    }
    FixTileRenderer draw = &draw_fix_tile<uint16_t>;
    uint32_t flags = machine.settings.video_flags;
    if ((flags & VF_MMX) && !(flags & VF_NOT_FAMILY5) && simd_fix_tile_renderer() != nullptr)
        draw = simd_fix_tile_renderer();
    draw_fix_tiles<uint16_t>(machine.video.converted_16, frame_visible_row(), draw);
}

void collect_fix_palettes() {
    VideoState& v = machine.video;
    int bank = fix_bank_in_use();
    if (bank < 0 || machine.app.fix_flags == nullptr) return;
    const uint8_t* flags = machine.app.fix_flags + bank * FIX_BANK_TILES;
    for (int column = 0; column < 40; ++column) {
        for (int row = 2; row < 30; ++row) {
            uint16_t entry = v.vram[FIX_MAP + 32 * column + row];
            int palette = entry >> 12;
            if ((flags[entry & 0xFFF] & FIX_TRANSPARENT) || v.used_seen[palette]) continue;
            v.used_seen[palette] = 1;
            v.used_palettes[v.used_count++] = static_cast<uint8_t>(palette);
        }
    }
}
