// The video chip: video RAM and its registers, the per-frame tick, the sprite pass, the fix layer
// and the palette conversion into the host's pixel format.
// Owns: machine.video (VideoState) and the fix flag table machine.app.fix_flags.
// Touches: machine.board (reads palette RAM, palette_bank_flag; clears and re-sets palette_dirty),
// machine.roms (reads current_fix_rom, fix_rom_base, sprite_patterns, sprite_tile_tables; the
// busy-wait patch rewrites words of program_rom), machine.main_cpu (reads cycles_left and
// pc_pointer), the frame buffer in machine.app.work_block (writes), machine.settings.video_flags
// (reads VF_8BIT, VF_MMX, VF_NOT_FAMILY5), machine.host.display.entries (writes allocated 8-bit
// host palette entries).
// Files: registers.cpp (register page), frame_tick.cpp (animation, busy-wait patch), sprites.cpp
// (sprite pass), tile_renderers*.cpp (plain and SIMD renderer sets), fix_layer.cpp, palette.cpp
// (colour tables, 16-bit conversion), host_palette_8.cpp (8-bit allocator).
#pragma once
#include <cstdint>

// Page 0x3C of the main CPU's map: the video chip's registers (the low 16 bits of the address
// select the register).
uint32_t video_register_read_word(uint32_t address);
uint32_t video_register_read_long(uint32_t address);
void video_register_write_word(uint32_t address, uint32_t value);
void video_register_write_long(uint32_t address, uint32_t value);

// After each main CPU frame run: auto-animation and the busy-wait patch.
void video_frame_tick();

// Drawing one frame into the frame buffer, in the frame driver's order.
// 16-bit host format: convert_all_palettes (bank changed) or convert_dirty_palettes, then
// render_sprites, render_fix_layer.
// 8-bit host format: (bank changed: reset_kept_palettes), collect_sprite_palettes,
// collect_fix_palettes, allocate_host_palette, render_sprites, render_fix_layer; the host palette
// entries that changed are machine.host.display.entries[palette_changed_low ..
// palette_changed_high] (palette_changed_high 0: none).
void convert_all_palettes();
void convert_dirty_palettes();
void reset_kept_palettes();
void collect_sprite_palettes();
void collect_fix_palettes();
void allocate_host_palette();
void render_sprites();
void render_fix_layer();

// The host display changed its pixel format: rebuild the colour conversion for it.
void video_use_format_16(uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask);
void video_use_format_8();
// Classifies every fix tile of both banks into the fix flag table (all transparent / all opaque).
void compute_fix_flags();
// The fix flag table: one entry per tile, the first bank's 4,096 tiles and then the board bank's.
inline constexpr uint8_t FIX_TRANSPARENT = 1;
inline constexpr uint8_t FIX_OPAQUE = 2;
inline constexpr uint32_t FIX_TILE_BYTES = 64;
inline constexpr uint32_t FIX_BANK_TILES = 4096;
