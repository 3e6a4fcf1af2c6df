// qzb-run: the QZB machine on the headless back end, for batch runs, tests and benchmarks.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/profiler.h"
#include "app/rom_images.h"
#include "app/roms/rom_resources.h"
#include "app/shell.h"
#include "host/audio.h"
#include "host/platform/headless/headless.h"
#include "input_script.h"
#include "machine.h"
#include "options.h"
#include "outputs.h"

namespace {

// Virtual clock ticks of one frame at 60 frames per second.
constexpr uint64_t FRAME_COUNTER_TICKS = HEADLESS_COUNTER_FREQUENCY / 60;

using Clock = std::chrono::steady_clock;

int fail(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
}

// The user's images, kept for the whole run.
std::vector<uint8_t> user_images[ROM_IMAGE_COUNT];

bool load_rom_dir(const std::string& dir, std::string* error) {
    for (int stage = 1; stage <= ROM_IMAGE_COUNT; ++stage) {
        const RomImageInfo info = rom_image_info(stage);
        const std::string path = dir + "/" + std::to_string(info.resource_id) + ".bin";
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            *error = "qzb-run: cannot read " + path + " (expected " + std::to_string(info.size) + " bytes)";
            return false;
        }
        std::vector<uint8_t>& image = user_images[stage - 1];
        image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (image.size() != info.size) {
            *error = "qzb-run: " + path + " has " + std::to_string(image.size()) + " bytes, expected " +
                     std::to_string(info.size);
            return false;
        }
        platform_register_resource(info.resource_id, image.data(), image.size());
    }
    return true;
}

std::string frame_file_name(const std::string& pattern, long frame) {
    if (pattern.find('%') == std::string::npos) return pattern;
    char name[4096];
    std::snprintf(name, sizeof name, pattern.c_str(), frame);
    return name;
}

long resident_kib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// Random play: each player's bound keys and the start/select keys, a new choice every 4 to 19
// frames, each key held with probability 1/4.
std::vector<uint8_t> random_keys(std::mt19937& rng) {
    std::vector<uint8_t> candidates = {0x02, 0x03, 0x04, 0x05};
    for (const auto& block : machine.settings.bindings) candidates.insert(candidates.end(), block, block + 8);
    std::vector<uint8_t> held;
    for (uint8_t code : candidates)
        if (code != 0x01 && rng() % 4 == 0) held.push_back(code);
    return held;
}

void hold_keys(const std::vector<uint8_t>& keys) {
    uint8_t state[256] = {};
    for (uint8_t code : keys) state[code] = 0x80;
    headless_set_keyboard(state);
}

// The frame's finished sound block, in the ring's format.
void append_frame_sound(std::vector<uint8_t>* sound) {
    const AudioRing& ring = machine.audio_ring;
    if (!machine.app.sound_enabled || ring.ring == nullptr) return;
    const int32_t block = (ring.render_block + RING_BLOCKS - 1) % RING_BLOCKS;
    const size_t bytes = static_cast<size_t>(ring.block_samples) * static_cast<size_t>(ring.bits / 8 * ring.channels);
    const uint8_t* start = ring.ring + static_cast<size_t>(block) * bytes;
    sound->insert(sound->end(), start, start + bytes);
}

} // namespace

int main(int argc, char** argv) {
    const Clock::time_point started = Clock::now();
    RunOptions options;
    std::string error;
    if (!parse_options(argc, argv, &options, &error)) return fail(error);
    if (options.help) {
        std::fputs(usage_text(), stdout);
        return 0;
    }
    std::vector<InputStep> script;
    if (!options.input_script.empty() && !read_input_script(options.input_script, &script, &error)) return fail(error);

    if (options.rom_dir.empty()) rom_resources_register();
    else if (!load_rom_dir(options.rom_dir, &error)) return fail(error);

    machine.app.skip_loading_pauses = true;
    // The run writes its sound from the machine's ring; the device need not keep what it played.
    headless_sound_switches().keep_played = false;
    if (!init_instance()) return fail("qzb-run: the machine could not start");
    const uint32_t stored_video_flags = machine.settings.video_flags;
    const uint32_t stored_audio_flags = machine.settings.audio_flags;
    if (options.audio_flags) {
        machine.settings.audio_flags = *options.audio_flags;
        machine.app.sound_enabled = audio_restart(0);
    }
    if (options.video_flags) machine.settings.video_flags = *options.video_flags;
    machine.host.display.starting = 1;
    for (int stage = 0; stage <= 8; ++stage) {
        if (!startup_stage(stage)) {
            window_proc(WindowEvent{EVENT_DESTROY, 0});
            return fail("qzb-run: start-up stage " + std::to_string(stage) +
                        " failed (missing or damaged images, or no display mode)");
        }
    }

    profiler_enable(options.bench);
    // All the sound is kept only for --wav; its hash is taken as the run goes, so a long run's
    // memory stays flat.
    std::vector<uint8_t> sound, frame_sound;
    uint64_t sound_hash = fnv1a(nullptr, 0);
    uint64_t picture_hash = 0;
    size_t next_step = 0;
    std::mt19937 rng(options.random_input_seed.value_or(0));
    long next_random_change = 0;
    Clock::time_point first_frame_done{};
    const Clock::time_point frames_started = Clock::now();
    for (long frame = 0; frame < options.frames; ++frame) {
        while (next_step < script.size() && script[next_step].frame <= frame) hold_keys(script[next_step++].keys);
        if (options.random_input_seed && frame == next_random_change) {
            hold_keys(random_keys(rng));
            next_random_change = frame + 4 + static_cast<long>(rng() % 16);
        }
        if (!machine.menu.menu_open) emulate_frame();
        draw_frame();
        // The device plays in virtual time: one frame of it per emulated frame, so the audio
        // counters show how the stream keeps up with a machine running at its own speed.
        headless_clock_advance(FRAME_COUNTER_TICKS);
        if (frame == 0) first_frame_done = Clock::now();
        frame_sound.clear();
        append_frame_sound(&frame_sound);
        sound_hash = fnv1a(frame_sound.data(), frame_sound.size(), sound_hash);
        if (!options.wav.empty()) sound.insert(sound.end(), frame_sound.begin(), frame_sound.end());

        const bool last = frame + 1 == options.frames;
        const bool png_now = !options.png.empty() && (options.png_every > 0 ? (frame + 1) % options.png_every == 0 : last);
        if (options.hash_every_frame || (options.hash && last) || png_now) {
            const std::vector<uint8_t> picture = visible_picture_rgb();
            picture_hash = fnv1a(picture.data(), picture.size());
            if (options.hash_every_frame)
                std::printf("frame %ld picture %016llx sound %016llx\n", frame + 1,
                            static_cast<unsigned long long>(picture_hash),
                            static_cast<unsigned long long>(fnv1a(frame_sound.data(), frame_sound.size())));
            if (png_now && !write_png(frame_file_name(options.png, frame + 1), picture, 304, 224))
                return fail("qzb-run: cannot write " + frame_file_name(options.png, frame + 1));
        }
    }
    const double run_seconds = std::chrono::duration<double>(Clock::now() - frames_started).count();
    const ProfileTotals totals = profiler_totals();

    int status = 0;
    if (options.hash && !options.hash_every_frame)
        std::printf("picture %016llx sound %016llx\n", static_cast<unsigned long long>(picture_hash),
                    static_cast<unsigned long long>(sound_hash));
    if (!options.png_scaled.empty()) {
        int width = 0, height = 0;
        const std::vector<uint8_t> picture = scaled_picture_rgb(&width, &height);
        if (width <= 0 || height <= 0 || !write_png(options.png_scaled, picture, width, height))
            status = fail("qzb-run: cannot write " + options.png_scaled);
    }
    if (!options.wav.empty() &&
        !write_wav(options.wav, sound, machine.audio_ring.ring_rate, machine.audio_ring.channels, machine.audio_ring.bits))
        status = fail("qzb-run: cannot write " + options.wav);
    if (!options.dump_ram.empty() && !write_ram_dump(options.dump_ram))
        status = fail("qzb-run: cannot write " + options.dump_ram);
    if (options.bench) {
        const double fps = static_cast<double>(options.frames) / run_seconds;
        std::printf("frames %ld in %.3f s: %.1f frames per second, %.1fx real time\n", options.frames, run_seconds, fps,
                    fps / 60.0);
        uint64_t all = 0;
        for (uint64_t ns : totals.nanoseconds) all += ns;
        for (int zone = 1; zone < ZONE_COUNT; ++zone)
            std::printf("  %-11s %5.1f%%\n", profile_zone_name(zone),
                        all ? 100.0 * static_cast<double>(totals.nanoseconds[zone]) / static_cast<double>(all) : 0.0);
        std::printf("  %-11s %5.1f%%\n", profile_zone_name(ZONE_OTHER),
                    all ? 100.0 * static_cast<double>(totals.nanoseconds[ZONE_OTHER]) / static_cast<double>(all) : 0.0);
        const AudioStreamState& audio = machine.host.audio;
        std::printf("audio blocks sent %llu, dropped %llu, repeated %llu\n",
                    static_cast<unsigned long long>(audio.blocks_sent),
                    static_cast<unsigned long long>(audio.blocks_dropped),
                    static_cast<unsigned long long>(audio.blocks_repeated));
        std::printf("main CPU %s, sound CPU %s\n", machine.main_cpu.halted ? "halted" : "running",
                    machine.sound_cpu.stopped ? "stopped on an unknown opcode" : "running");
        std::printf("start to first frame %.1f ms, peak resident memory %ld KiB\n",
                    std::chrono::duration<double, std::milli>(first_frame_done - started).count(), resident_kib());
    }

    // The overrides are for this run only: the settings file keeps the stored words.
    if (options.video_flags) machine.settings.video_flags = stored_video_flags;
    if (options.audio_flags) machine.settings.audio_flags = stored_audio_flags;
    window_proc(WindowEvent{EVENT_DESTROY, 0});
    return status;
}
