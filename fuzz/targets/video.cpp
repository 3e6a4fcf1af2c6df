// The sprite pass and fix layer over any video RAM, palette RAM, tile tables and fix tiles, with
// each of the three renderer sets (plain 16-bit, SIMD 16-bit, 8-bit with its palette allocator).
//
// The input describes a few changes to a fixed machine instead of filling every memory: filling
// the tables, the fix tiles and the colour tables for each input cost far more than drawing. The
// fixed machine has pseudo-random tile tables (with transparent tiles and pattern indexes past
// the image), fix tiles of all three kinds, palette RAM full of colours and zeroed video RAM.
//
// Input: a header, then records until the input ends.
//   header  flags (bit 0: board fix bank; bit 1: second palette bank; bits 2-3: draw with the
//           plain (0), SIMD (1) or 8-bit (2) set, or with all three in turn (3); bit 5: recompute
//           the fix flags after the fix tile records; bit 6: convert only the palettes the records
//           changed),
//           animation counters A and B, first visible row (2 bytes)
//   record  kind byte (low 3 bits), then:
//     0 sprite       number, control, shrink, x (2 bytes each), tile word 0 and 1: the sprite's 32
//                    tile entries are (word 0 + i, word 1)
//     1 video word   address, value (2 bytes each)
//     2 palette      colour index (2 bytes), value (2 bytes)
//     3 tile table   tile number (3 bytes), row flags, pattern index (4 bytes each)
//     4 fix pixels   tile number (2 bytes), byte in the tile, value
//     5 fix column   first fix map word (2 bytes), count (1 byte), value (2 bytes)
//     6 chain        first sprite, count (2 bytes, 1 byte), shrink word: sprites marked as
//                    chained to the one before
// Every change to the tables and fix tiles is undone after the input, so inputs do not depend on
// each other.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "host/flags.h"
#include "machine.h"
#include "video/video.h"

namespace {

constexpr uint32_t TRANSPARENT_TILE = 0xAAAAAAAA;
constexpr uint32_t TILE_NUMBER_LIMIT = 0x18000;
constexpr uint32_t PATTERN_INDEX_TABLE = 0x60000;
constexpr uint32_t PATTERN_COUNT = SPRITE_PATTERN_SIZE / 128;
constexpr uint32_t FIX_MAP = 0x7000;

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool more() const { return at < size; }
    uint32_t byte() { return at < size ? data[at++] : 0; }
    uint32_t word() { return byte() | byte() << 8; }
    uint32_t triple() { return word() | byte() << 16; }
    uint32_t longword() { return word() | word() << 16; }
};

struct Undo {
    uint8_t* at;
    uint32_t old;
    size_t bytes;
};

struct Fixture {
    uint8_t* work_block;
    uint8_t* patterns;
    uint8_t* tables;
    uint8_t* fix;
    VideoState* pristine_video;
    uint8_t pristine_fix_flags[FIX_TILE_COUNT];
    uint8_t pristine_palettes[2][PALETTE_BANK_SIZE];
    std::vector<Undo> undo;
};

uint32_t mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    return x ^ (x >> 16);
}

Fixture& fixture() {
    static Fixture* f = [] {
        auto* made = new Fixture{};
        made->work_block = static_cast<uint8_t*>(std::calloc(WORK_BLOCK_SIZE, 1));
        made->patterns = static_cast<uint8_t*>(std::malloc(SPRITE_PATTERN_SIZE));
        made->tables = static_cast<uint8_t*>(std::malloc(SPRITE_TILE_TABLES_SIZE));
        made->fix = static_cast<uint8_t*>(std::malloc(FIX_ROM_SIZE));
        for (size_t i = 0; i < SPRITE_PATTERN_SIZE; ++i)
            made->patterns[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
        for (uint32_t t = 0; t < TILE_NUMBER_LIMIT; ++t) {
            const uint32_t r = mix(t);
            const uint32_t row_flags = r % 8 == 0 ? TRANSPARENT_TILE : mix(r);
            const uint32_t index = r % 16 == 1 ? PATTERN_COUNT + r % 5000 : mix(r + 1) % PATTERN_COUNT;
            std::memcpy(made->tables + 4 * t, &row_flags, 4);
            std::memcpy(made->tables + PATTERN_INDEX_TABLE + 4 * t, &index, 4);
        }
        // Fix tiles: transparent, opaque and mixed in turn.
        for (uint32_t i = 0; i < FIX_ROM_SIZE; ++i) {
            const uint32_t kind = (i / 64) % 3;
            const uint8_t pixel = static_cast<uint8_t>(mix(i) & 0x0F);
            made->fix[i] = kind == 0 ? 0 : kind == 1 ? static_cast<uint8_t>(pixel | 0x10) : pixel;
        }
        machine.app.work_block = made->work_block;
        machine.app.fix_flags = made->work_block + FIX_FLAGS_OFFSET;
        machine.roms.sprite_patterns = made->patterns;
        machine.roms.sprite_tile_tables = made->tables;
        machine.roms.fix_rom_base = made->fix;
        compute_fix_flags();
        std::memcpy(made->pristine_fix_flags, machine.app.fix_flags, FIX_TILE_COUNT);
        // Both colour tables are built once; each input starts from this video state.
        video_use_format_16(0xF800, 0x07E0, 0x001F);
        video_use_format_8();
        made->pristine_video = new VideoState(machine.video);
        // Palette RAM full of colours, so that the 8-bit allocator can run out of host entries.
        for (uint32_t i = 0; i < sizeof made->pristine_palettes; ++i)
            (&made->pristine_palettes[0][0])[i] = static_cast<uint8_t>(mix(i ^ 0x5A5A));
        return made;
    }();
    return *f;
}

void patch(Fixture& f, uint8_t* at, uint32_t value, size_t bytes) {
    Undo u{at, 0, bytes};
    std::memcpy(&u.old, at, bytes);
    f.undo.push_back(u);
    std::memcpy(at, &value, bytes);
}

void apply_record(Fixture& f, Reader& in, bool& fix_changed) {
    uint16_t* vram = machine.video.vram;
    switch (in.byte() & 7) {
    case 0: {
        const uint32_t sprite = in.word() % 384;
        vram[0x8200 + sprite] = static_cast<uint16_t>(in.word());
        vram[0x8000 + sprite] = static_cast<uint16_t>(in.word());
        vram[0x8400 + sprite] = static_cast<uint16_t>(in.word());
        const uint32_t word0 = in.word(), word1 = in.word();
        for (uint32_t i = 0; i < 32; ++i) {
            vram[64 * sprite + 2 * i] = static_cast<uint16_t>(word0 + i);
            vram[64 * sprite + 2 * i + 1] = static_cast<uint16_t>(word1);
        }
        break;
    }
    case 1: {
        const uint32_t address = in.word();
        vram[address % VRAM_WORDS] = static_cast<uint16_t>(in.word());
        break;
    }
    case 2: {
        const uint32_t index = in.word();
        const uint16_t value = static_cast<uint16_t>(in.word());
        std::memcpy(&machine.board.palette_ram[index >> 15 & 1][2 * (index & 0xFFF)], &value, 2);
        machine.board.palette_dirty[(index >> 4) & 0xFF] = 1;
        break;
    }
    case 3: {
        const uint32_t tile = in.triple() % TILE_NUMBER_LIMIT;
        patch(f, f.tables + 4 * tile, in.longword(), 4);
        patch(f, f.tables + PATTERN_INDEX_TABLE + 4 * tile, in.longword(), 4);
        break;
    }
    case 4: {
        const uint32_t tile = in.word() % FIX_TILE_COUNT;
        const uint32_t offset = in.byte() % 64;
        patch(f, f.fix + 64 * tile + offset, in.byte(), 1);
        fix_changed = true;
        break;
    }
    case 5: {
        const uint32_t first = in.word();
        const uint32_t count = in.byte();
        const uint16_t value = static_cast<uint16_t>(in.word());
        for (uint32_t i = 0; i < count; ++i) vram[(FIX_MAP + first + i) % VRAM_WORDS] = static_cast<uint16_t>(value + i);
        break;
    }
    default: {
        const uint32_t first = in.word() % 384;
        const uint32_t count = in.byte() % 32;
        const uint16_t shrink = static_cast<uint16_t>(in.word());
        for (uint32_t s = first + 1; s <= first + count && s < 384; ++s) {
            vram[0x8200 + s] = static_cast<uint16_t>(vram[0x8200 + s] | 0x40);
            vram[0x8000 + s] = shrink;
        }
        break;
    }
    }
}

void draw_16(uint32_t video_flags, bool only_dirty) {
    machine.settings.video_flags = video_flags;
    if (only_dirty) convert_dirty_palettes();
    else convert_all_palettes();
    render_sprites();
    render_fix_layer();
}

void draw_8() {
    machine.settings.video_flags = VF_8BIT;
    reset_kept_palettes();
    collect_sprite_palettes();
    collect_fix_palettes();
    allocate_host_palette();
    render_sprites();
    render_fix_layer();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fixture& f = fixture();
    machine.video = *f.pristine_video;
    std::memcpy(machine.board.palette_ram, f.pristine_palettes, sizeof machine.board.palette_ram);
    std::memset(machine.board.palette_dirty, 0, sizeof machine.board.palette_dirty);

    Reader in{data, size};
    const uint32_t flags = in.byte();
    machine.roms.current_fix_rom = (flags & 1) ? f.fix + FIX_BOARD_BANK_OFFSET : f.fix;
    machine.board.palette_bank_flag = (flags >> 1) & 1;
    machine.video.animation_counter_a = static_cast<uint8_t>(in.byte());
    machine.video.animation_counter_b = static_cast<uint8_t>(in.byte());
    machine.video.first_visible_row = static_cast<uint16_t>(in.word());
    bool fix_changed = false;
    while (in.more()) apply_record(f, in, fix_changed);
    const bool recompute_fix_flags = fix_changed && (flags & 0x20);
    if (recompute_fix_flags) compute_fix_flags();

    // Every drawing is a whole frame: drawing all three sets whenever none was chosen made the
    // average input draw 1.9 frames; now it is 1.5.
    const uint32_t choice = (flags >> 2) & 3;
    const uint32_t sets = choice == 3 ? 7 : 1u << choice;
    const bool only_dirty = (flags & 0x40) != 0;
    if (sets & 1) draw_16(VF_MMX | VF_NOT_FAMILY5, only_dirty);
    if (sets & 2) draw_16(VF_MMX, only_dirty);
    if (sets & 4) draw_8();

    for (size_t i = f.undo.size(); i-- > 0;) std::memcpy(f.undo[i].at, &f.undo[i].old, f.undo[i].bytes);
    f.undo.clear();
    // Copied back rather than computed again: a pass over the whole fix image took a third of the run.
    if (recompute_fix_flags) std::memcpy(machine.app.fix_flags, f.pristine_fix_flags, FIX_TILE_COUNT);
    return 0;
}
