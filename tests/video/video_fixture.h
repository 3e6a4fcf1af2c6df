// A machine with a frame buffer, fix tiles, sprite patterns and tile tables of its own, and
// helpers to fill video RAM, for the tests of the video chip.
#pragma once
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "host/flags.h"
#include "machine.h"
#include "support/machine_fixture.h"

class VideoTest : public MachineTest {
  public:
    void SetUp() override {
        MachineTest::SetUp();
        machine.app.work_block = static_cast<uint8_t*>(std::calloc(WORK_BLOCK_SIZE, 1));
        machine.app.fix_flags = machine.app.work_block + FIX_FLAGS_OFFSET;
        // calloc leaves the untouched pages of the large images unmapped: set-up stays cheap.
        fix_rom_.reset(static_cast<uint8_t*>(std::calloc(FIX_ROM_SIZE, 1)));
        patterns_.reset(static_cast<uint8_t*>(std::calloc(SPRITE_PATTERN_SIZE, 1)));
        tables_.reset(static_cast<uint8_t*>(std::calloc(SPRITE_TILE_TABLES_SIZE, 1)));
        // Every tile number starts fully transparent.
        for (uint32_t t = 0; t < 0x18000; ++t) put_u32(4 * t, 0xAAAAAAAA);
        machine.roms.fix_rom_base = fix_rom_.get();
        machine.roms.current_fix_rom = fix_rom_.get();
        machine.roms.sprite_patterns = patterns_.get();
        machine.roms.sprite_tile_tables = tables_.get();
        machine.video.animation_speed = 4;
    }

    // Pattern pixels of a 16 x 16 tile, [row][column], values 0-15.
    using TilePixels = std::array<std::array<uint8_t, 16>, 16>;

    // Stores a pattern at physical index `pattern` and maps tile number `tile` to it with the row
    // flags that follow from the pixels.
    void define_tile(uint32_t tile, uint32_t pattern, const TilePixels& pixels) {
        uint32_t flags = 0;
        for (int r = 0; r < 16; ++r) {
            bool all_set = true, all_clear = true;
            for (int x = 0; x < 16; ++x) {
                all_set &= pixels[r][x] != 0;
                all_clear &= pixels[r][x] == 0;
            }
            flags |= (all_set ? 1u : 0u) << (2 * r) | (all_clear ? 2u : 0u) << (2 * r);
            for (int b = 0; b < 8; ++b)
                patterns_[128 * pattern + 8 * r + b] =
                    static_cast<uint8_t>(pixels[r][2 * b] << 4 | pixels[r][2 * b + 1]);
        }
        put_u32(4 * tile, flags);
        put_u32(0x60000 + 4 * tile, pattern);
    }
    void map_tile(uint32_t tile, uint32_t flags, uint32_t pattern) {
        put_u32(4 * tile, flags);
        put_u32(0x60000 + 4 * tile, pattern);
    }

    static void set_sprite(int n, uint16_t control, uint16_t shrink, uint16_t x_word) {
        machine.video.vram[0x8200 + n] = control;
        machine.video.vram[0x8000 + n] = shrink;
        machine.video.vram[0x8400 + n] = x_word;
    }
    // Control word for a y code (9 bits), the sticky bit and a height.
    static uint16_t control_word(int y_code, bool sticky, int height) {
        return static_cast<uint16_t>(y_code << 7 | (sticky ? 0x40 : 0) | height);
    }
    // Control word that puts the sprite's top at screen line y (0 = first visible line).
    static uint16_t control_at(int y, bool sticky, int height) {
        return control_word((496 - y) & 0x1FF, sticky, height);
    }
    static uint16_t x_word(int x) { return static_cast<uint16_t>((x & 0x1FF) << 7); }
    static void set_tile_entry(int sprite, int i, uint16_t word0, uint16_t word1) {
        machine.video.vram[64 * sprite + 2 * i] = word0;
        machine.video.vram[64 * sprite + 2 * i + 1] = word1;
    }
    static uint16_t entry_word1(int palette, int tile_high, int animation, int flip) {
        return static_cast<uint16_t>(palette << 8 | tile_high << 4 | animation << 2 | flip);
    }

    void set_colour(int bank, int index, uint16_t colour) {
        std::memcpy(machine.board.palette_ram[bank] + 2 * index, &colour, 2);
    }

    uint8_t* fix_tile(int bank, int tile) { return fix_rom_.get() + bank * 0x40000 + 64 * tile; }

    static uint16_t pixel16(int x, int line) {
        uint16_t p;
        std::memcpy(&p, machine.app.work_block + (FIRST_VISIBLE_ROW + line) * 1024 + 2 * x, 2);
        return p;
    }
    static uint8_t pixel8(int x, int line) {
        return machine.app.work_block[(FIRST_VISIBLE_ROW + line) * 1024 + x];
    }

    // FNV-1a over the frame buffer rows that any drawing can reach.
    static uint64_t frame_hash() {
        uint64_t h = 0xCBF29CE484222325ull;
        for (uint32_t i = 0; i < 300 * 1024; ++i) {
            h ^= machine.app.work_block[i];
            h *= 0x100000001B3ull;
        }
        return h;
    }

  private:
    struct Free {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint8_t[], Free> fix_rom_, patterns_, tables_;

    void put_u32(uint32_t offset, uint32_t value) { std::memcpy(tables_.get() + offset, &value, 4); }
};
