#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool parse_number(const char* text, long min, long max, long* out) {
    if (text == nullptr || *text == '\0') return false;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 0);
    if (errno != 0 || *end != '\0' || value < min || value > max) return false;
    *out = value;
    return true;
}

} // namespace

const char* usage_text() {
    return "usage: qzb-run [options]\n"
           "Runs the QZB arcade machine without a window, for batch work, tests and benchmarks.\n"
           "Settings come from qzb.ini and backup RAM from qzb.sav in the current folder.\n"
           "\n"
           "  --frames N          emulate N frames (default 600, ten seconds)\n"
           "  --rom-dir DIR       use the images DIR/102.bin, DIR/104.bin ... DIR/109.bin\n"
           "  --input FILE        held keys per frame: lines 'FRAME KEY KEY ...', each line holding its\n"
           "                      keys (names as in the key definition menu) from FRAME until the next line\n"
           "  --random-input SEED hold random player keys (directions, buttons, start, select),\n"
           "                      changing every few frames; never ESCAPE\n"
           "  --png FILE          the visible 304x224 picture of the last frame; with a %d in FILE and\n"
           "  --png-every N       of every Nth frame, the frame number in the name\n"
           "  --png-scaled FILE   the last frame as the current scaler draws it on the display\n"
           "  --wav FILE          all sound rendered during the run\n"
           "  --hash              print a hash of the picture and of the sound at the end\n"
           "  --hash-every-frame  print the hashes after every frame\n"
           "  --dump-ram FILE     write work RAM and backup RAM (64 KiB each) and video RAM\n"
           "                      (128 KiB) at the end, as the 68000 sees them\n"
           "  --bench             run as fast as possible and report speed and time per subsystem,\n"
           "                      the audio blocks sent, dropped and repeated, and the CPUs' state\n"
           "  --video-flags X     use this VideoFlags word for this run (settings file unchanged)\n"
           "  --audio-flags X     use this AudioFlags word for this run\n"
           "  --help              this text\n";
}

bool parse_options(int argc, char** argv, RunOptions* o, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char** out) {
            if (i + 1 >= argc) {
                *error = "qzb-run: " + arg + " needs a value";
                return false;
            }
            *out = argv[++i];
            return true;
        };
        const char* v = nullptr;
        long n = 0;
        if (arg == "--help" || arg == "-h") {
            o->help = true;
        } else if (arg == "--frames") {
            if (!value(&v)) return false;
            if (!parse_number(v, 0, 100'000'000, &n)) {
                *error = "qzb-run: --frames takes a number of frames, not '" + std::string(v) + "'";
                return false;
            }
            o->frames = n;
        } else if (arg == "--png-every") {
            if (!value(&v)) return false;
            if (!parse_number(v, 1, 100'000'000, &n)) {
                *error = "qzb-run: --png-every takes a positive number, not '" + std::string(v) + "'";
                return false;
            }
            o->png_every = n;
        } else if (arg == "--random-input") {
            if (!value(&v)) return false;
            if (!parse_number(v, 0, 0xFFFFFFFFL, &n)) {
                *error = "qzb-run: --random-input takes a seed number, not '" + std::string(v) + "'";
                return false;
            }
            o->random_input_seed = static_cast<uint32_t>(n);
        } else if (arg == "--video-flags" || arg == "--audio-flags") {
            if (!value(&v)) return false;
            if (!parse_number(v, 0, 0xFFFF, &n)) {
                *error = "qzb-run: " + arg + " takes a number (0x... for hexadecimal), not '" + std::string(v) + "'";
                return false;
            }
            (arg == "--video-flags" ? o->video_flags : o->audio_flags) = static_cast<uint32_t>(n);
        } else if (arg == "--rom-dir" || arg == "--input" || arg == "--png" || arg == "--png-scaled" ||
                   arg == "--wav" || arg == "--dump-ram") {
            if (!value(&v)) return false;
            std::string& target = arg == "--rom-dir"      ? o->rom_dir
                                  : arg == "--input"      ? o->input_script
                                  : arg == "--png"        ? o->png
                                  : arg == "--png-scaled" ? o->png_scaled
                                  : arg == "--wav"        ? o->wav
                                                          : o->dump_ram;
            target = v;
        } else if (arg == "--hash") {
            o->hash = true;
        } else if (arg == "--hash-every-frame") {
            o->hash = true;
            o->hash_every_frame = true;
        } else if (arg == "--bench") {
            o->bench = true;
        } else {
            *error = "qzb-run: unknown option '" + arg + "' (see --help)";
            return false;
        }
    }
    if (o->random_input_seed && !o->input_script.empty()) {
        *error = "qzb-run: --input and --random-input exclude each other";
        return false;
    }
    if (o->png_every > 0 && o->png.find('%') == std::string::npos) {
        *error = "qzb-run: --png-every needs a %d in the --png file name";
        return false;
    }
    return true;
}
