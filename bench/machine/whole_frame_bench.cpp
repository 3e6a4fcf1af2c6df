// One whole frame of the machine on the built-in cartridge, the way the player runs it: the main
// and sound CPUs, the sound chip, the video chip and the scaler, on the headless back end. Goal:
// 3,000 frames per second (50x real time) in play, 16-bit picture with the LOW scaler, 16-bit
// stereo sound.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "app/frame.h"
#include "app/roms/rom_resources.h"
#include "app/shell.h"
#include "host/audio.h"
#include "host/flags.h"
#include "host/platform/headless/headless.h"
#include "machine.h"

namespace {

// The LOW scaler is the one drawn without scan lines, softening or sharpening.
constexpr uint32_t kLowScaler16 = VF_MMX | VF_FLIPCHAIN | VF_NOT_FAMILY5;
constexpr uint32_t kStereo16 = AF_ADPCM | AF_FM_SSG | AF_16BIT | AF_STEREO;

// The machine keeps its settings file in the current folder: start it in a scratch one.
void enter_scratch_folder() {
    char pattern[] = "/tmp/qzb-machine-bench-XXXXXX";
    if (const char* dir = mkdtemp(pattern)) std::filesystem::current_path(dir);
}

bool start_machine(uint32_t video_flags, uint32_t audio_flags) {
    headless_reset();
    machine_reset_state();
    rom_resources_register();
    machine.app.skip_loading_pauses = true;
    if (!init_instance()) return false;
    machine.settings.audio_flags = audio_flags;
    machine.app.sound_enabled = audio_restart(0);
    machine.settings.video_flags = video_flags;
    machine.host.display.starting = 1;
    for (int stage = 0; stage <= 8; ++stage)
        if (!startup_stage(stage)) return false;
    return true;
}

void stop_machine() { window_proc(WindowEvent{EVENT_DESTROY, 0}); }

// Random play as qzb-run --random-input does it: the players' keys and start/select, a new
// choice every 4 to 19 frames.
struct RandomPlayer {
    std::mt19937 rng{3};
    long frame = 0, next_change = 0;

    void step() {
        if (frame++ != next_change) return;
        uint8_t keys[256] = {};
        const uint8_t fixed[] = {0x02, 0x03, 0x04, 0x05};
        for (uint8_t code : fixed)
            if (rng() % 4 == 0) keys[code] = 0x80;
        for (const auto& block : machine.settings.bindings)
            for (uint8_t code : block)
                if (code != 0x01 && rng() % 4 == 0) keys[code] = 0x80;
        headless_set_keyboard(keys);
        next_change = frame + 4 + static_cast<long>(rng() % 16);
    }
};

void run_frame() {
    emulate_frame();
    draw_frame();
}

// Attract mode: the title and demo loop, no input.
void BM_WholeFrameAttract(benchmark::State& state) {
    enter_scratch_folder();
    if (!start_machine(kLowScaler16, kStereo16)) {
        state.SkipWithError("the machine could not start");
        return;
    }
    for (int i = 0; i < 200; ++i) run_frame(); // past the board logo
    for (auto _ : state) run_frame();
    state.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["times_real_time"] = benchmark::Counter(static_cast<double>(state.iterations()) / 60.0, benchmark::Counter::kIsRate);
    stop_machine();
}
BENCHMARK(BM_WholeFrameAttract)->Unit(benchmark::kMicrosecond);

// In play with random input, with the picture and sound formats of the goal and, for comparison,
// the 8-bit picture and sound off.
void BM_WholeFramePlay(benchmark::State& state) {
    enter_scratch_folder();
    const auto video_flags = static_cast<uint32_t>(state.range(0));
    const auto audio_flags = static_cast<uint32_t>(state.range(1));
    if (!start_machine(video_flags, audio_flags)) {
        state.SkipWithError("the machine could not start");
        return;
    }
    RandomPlayer player;
    for (int i = 0; i < 600; ++i) { // into play
        player.step();
        run_frame();
    }
    for (auto _ : state) {
        player.step();
        run_frame();
    }
    state.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["times_real_time"] = benchmark::Counter(static_cast<double>(state.iterations()) / 60.0, benchmark::Counter::kIsRate);
    stop_machine();
}
BENCHMARK(BM_WholeFramePlay)
    ->ArgNames({"video_flags", "audio_flags"})
    ->Args({kLowScaler16, kStereo16})
    ->Args({kLowScaler16, 0})
    ->Unit(benchmark::kMicrosecond);

} // namespace
