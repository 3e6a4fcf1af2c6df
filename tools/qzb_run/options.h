// Command-line options of qzb-run.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

struct RunOptions {
    long frames = 600;
    std::string rom_dir;
    std::string input_script;
    std::optional<uint32_t> random_input_seed; // random play: new held keys every few frames
    std::string png;          // may hold "%d" (or a printf form like "%05d") for the frame number
    long png_every = 0;       // with a pattern: every Nth frame; 0 = the last frame only
    std::string png_scaled;
    std::string wav;
    bool hash = false;
    bool hash_every_frame = false;
    std::string dump_ram;
    bool bench = false;
    std::optional<uint32_t> video_flags;
    std::optional<uint32_t> audio_flags;
    bool help = false;
};

// Parses the arguments; on a bad one returns false with a one-line message in `error`.
bool parse_options(int argc, char** argv, RunOptions* options, std::string* error);
const char* usage_text();
