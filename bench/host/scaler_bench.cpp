// Scalers over a full frame: each variant once per iteration, into a 640x480 surface with a
// pitch wider than its rows. One frame at 60 Hz leaves 16.7 ms; a scaler should take well
// under a millisecond.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "app/app_state.h"
#include "host/scalers.h"
#include "machine.h"

namespace {

void scale_frame(benchmark::State& state) {
    const auto kind = static_cast<ScalerKind>(state.range(0));
    std::vector<uint8_t> work(WORK_BLOCK_SIZE);
    std::mt19937 rng(7);
    for (auto& b : work) b = static_cast<uint8_t>(rng() % 4); // equal neighbours for the edge rule
    std::vector<uint8_t> surface(static_cast<size_t>(1280 + 64) * 480);
    machine.app.work_block = work.data();
    machine.video.first_visible_row = FIRST_VISIBLE_ROW;
    machine.host.display.halving_mask = 0xF7DEF7DE;
    machine.host.display.target = surface.data();
    machine.host.display.target_pitch = 1280 + 64;
    machine.settings.video_flags = 0;
    const ScalerRoutine routine = scaler_routine(kind, true);
    for (auto _ : state) {
        routine();
        benchmark::DoNotOptimize(surface.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel(scaler_name(kind));
    state.SetItemsProcessed(state.iterations() * 304 * 224);
    machine.app.work_block = nullptr;
}

BENCHMARK(scale_frame)->DenseRange(0, 9)->Unit(benchmark::kMicrosecond);

} // namespace
