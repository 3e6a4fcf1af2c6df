// The sprite pass and fix layer over any video RAM, palette RAM, tile tables, patterns and fix
// tiles, in both host pixel formats.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/app_state.h"
#include "host/flags.h"
#include "machine.h"
#include "video/video.h"

namespace {

// Fills `out` from the input, repeating it, so that short inputs still reach every byte.
void fill(uint8_t* out, size_t bytes, const uint8_t* data, size_t size, size_t salt) {
    if (size == 0) {
        std::memset(out, 0, bytes);
        return;
    }
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(data[(i + salt) % size] ^ (i >> 11));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static uint8_t* work_block = static_cast<uint8_t*>(std::calloc(WORK_BLOCK_SIZE, 1));
    static uint8_t* patterns = static_cast<uint8_t*>(std::malloc(SPRITE_PATTERN_SIZE));
    static uint8_t* tables = static_cast<uint8_t*>(std::malloc(SPRITE_TILE_TABLES_SIZE));
    static uint8_t* fix = static_cast<uint8_t*>(std::malloc(FIX_ROM_SIZE));
    static bool patterns_made = false;
    if (!patterns_made) { // the pattern image is large: made once, the tables point into it anywhere
        for (size_t i = 0; i < SPRITE_PATTERN_SIZE; ++i) patterns[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
        patterns_made = true;
    }
    machine.app.work_block = work_block;
    machine.app.fix_flags = work_block + FIX_FLAGS_OFFSET;
    fill(reinterpret_cast<uint8_t*>(machine.video.vram), sizeof machine.video.vram, data, size, 0);
    fill(&machine.board.palette_ram[0][0], sizeof machine.board.palette_ram, data, size, 7);
    fill(tables, SPRITE_TILE_TABLES_SIZE, data, size, 13);
    fill(fix, FIX_ROM_SIZE, data, size, 29);
    machine.roms.sprite_patterns = patterns;
    machine.roms.sprite_tile_tables = tables;
    machine.roms.fix_rom_base = fix;
    machine.roms.current_fix_rom = size > 0 && (data[0] & 1) ? fix + FIX_BOARD_BANK_OFFSET : fix;
    machine.video.animation_counter_a = size > 1 ? data[1] : 0;
    compute_fix_flags();

    machine.settings.video_flags = VF_MMX | VF_NOT_FAMILY5;
    video_use_format_16(0xF800, 0x07E0, 0x001F);
    convert_all_palettes();
    render_sprites();
    render_fix_layer();

    machine.settings.video_flags = VF_8BIT;
    video_use_format_8();
    reset_kept_palettes();
    collect_sprite_palettes();
    collect_fix_palettes();
    allocate_host_palette();
    render_sprites();
    render_fix_layer();
    return 0;
}
