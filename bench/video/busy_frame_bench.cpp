// A busy frame in the 16-bit format: all 384 sprites in use as full-height columns, a mix of
// opaque, sparse, transparent and shrunk tiles, and a full fix layer. Goal: 2,000 frames per
// second on one core.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "app/app_state.h"
#include "host/flags.h"
#include "machine.h"
#include "video/video.h"

namespace {

struct BusyFrame {
    std::vector<uint8_t> fix_rom, patterns, tables;

    BusyFrame() : fix_rom(FIX_ROM_SIZE), patterns(SPRITE_PATTERN_SIZE), tables(SPRITE_TILE_TABLES_SIZE) {
        machine_reset_state();
        std::mt19937 rng(12345);
        machine.app.work_block = static_cast<uint8_t*>(std::calloc(WORK_BLOCK_SIZE, 1));
        machine.app.fix_flags = machine.app.work_block + FIX_FLAGS_OFFSET;
        machine.roms.fix_rom_base = machine.roms.current_fix_rom = fix_rom.data();
        machine.roms.sprite_patterns = patterns.data();
        machine.roms.sprite_tile_tables = tables.data();

        // Tiles 0-63 opaque, 64-127 sparse (about a third of the pixels set), 128+ transparent.
        for (uint32_t t = 0; t < 0x18000; ++t) {
            uint32_t flags = 0xAAAAAAAA;
            if (t < 128) {
                flags = 0;
                for (int r = 0; r < 16; ++r) {
                    bool all_set = true, all_clear = true;
                    for (int x = 0; x < 16; ++x) {
                        int v = t < 64 ? 1 + static_cast<int>(rng() % 15) : (rng() % 3 == 0 ? 1 + static_cast<int>(rng() % 15) : 0);
                        all_set &= v != 0;
                        all_clear &= v == 0;
                        patterns[128 * t + 8 * r + x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? v << 4 : v);
                    }
                    flags |= (all_set ? 1u : 0u) << (2 * r) | (all_clear ? 2u : 0u) << (2 * r);
                }
            }
            std::memcpy(tables.data() + 4 * t, &flags, 4);
            std::memcpy(tables.data() + 0x60000 + 4 * t, &t, 4);
        }

        uint16_t* vram = machine.video.vram;
        for (int n = 0; n < 384; ++n) {
            bool shrunk_across = n % 4 == 3, shrunk_down = n % 8 == 5;
            int h = shrunk_across ? 8 + n % 7 : 15;
            int v = shrunk_down ? 0xC0 : 0xFF;
            int x = (n * 13) % 340 - 16;
            int y_code = (496 - ((n * 29) % 240 - 16)) & 0x1FF;
            vram[0x8200 + n] = static_cast<uint16_t>(y_code << 7 | 32); // 32 tiles: a full-height column
            vram[0x8000 + n] = static_cast<uint16_t>(h << 8 | v);
            vram[0x8400 + n] = static_cast<uint16_t>((x & 0x1FF) << 7);
            for (int i = 0; i < 32; ++i) {
                uint32_t kind = rng() % 100;
                uint16_t tile = static_cast<uint16_t>(kind < 45 ? rng() % 64 : kind < 75 ? 64 + rng() % 64 : 128 + rng() % 1000);
                vram[64 * n + 2 * i] = tile;
                vram[64 * n + 2 * i + 1] = static_cast<uint16_t>((1 + rng() % 255) << 8 | (rng() % 4));
            }
        }

        // Fix layer: every visible cell holds text-like tiles, a few opaque.
        for (int t = 0; t < 4096; ++t)
            for (int p = 0; p < 64; ++p)
                fix_rom[64 * t + p] = t % 16 == 0 ? 9 : (rng() % 4 == 0 ? static_cast<uint8_t>(1 + rng() % 15) : 0);
        compute_fix_flags();
        for (int column = 0; column < 40; ++column)
            for (int row = 0; row < 32; ++row)
                vram[0x7000 + 32 * column + row] = static_cast<uint16_t>((rng() % 16) << 12 | (1 + rng() % 4000));

        for (uint32_t i = 0; i < 0x2000; ++i) machine.board.palette_ram[0][i] = static_cast<uint8_t>(rng());
        video_use_format_16(0xF800, 0x07E0, 0x001F);
    }
    ~BusyFrame() {
        std::free(machine.app.work_block);
        machine.app.work_block = nullptr;
    }
};

// Argument 0: the plain renderer set; 1: the SIMD set.
void BM_BusyFrame16(benchmark::State& state) {
    BusyFrame frame;
    if (state.range(0) == 1) machine.settings.video_flags |= VF_MMX;
    for (auto _ : state) {
        convert_dirty_palettes();
        render_sprites();
        render_fix_layer();
        benchmark::ClobberMemory();
    }
    state.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BusyFrame16)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
