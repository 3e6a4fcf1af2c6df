// qzb-cart: builds the demo cartridge's images from the sources in cart/.
//
//   qzb-cart main-cpu BINARY SIZE OUT          68000 binary -> stored word order, padded
//   qzb-cart fix FONT OUT                       fix tiles (104)
//   qzb-cart sprites FONT ART PATTERNS TABLES   sprite patterns (106) and tile tables (107)
//   qzb-cart samples VOICE|- ROM INCLUDE        sample ROM (109) and the sound program's addresses
//   qzb-cart pictures FONT PICTURE ICON         loading picture (111) and icon (124)
//   qzb-cart pad BINARY SIZE OUT                plain byte order, padded (sound program, 108)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cartridge.h"

using namespace cart;

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "qzb-cart: %s\n", message.c_str());
    return 1;
}

bool load_font(const std::string& path, Font& font, std::string& error) {
    Bytes bytes;
    if (!read_file(path, bytes)) {
        error = "cannot read " + path;
        return false;
    }
    return parse_font(std::string(bytes.begin(), bytes.end()), font, error);
}

bool write(const std::string& path, const Bytes& bytes, std::string& error) {
    if (write_file(path, bytes)) return true;
    error = "cannot write " + path;
    return false;
}

int run(int argc, char** argv) {
    if (argc < 2) return fail("no command");
    const std::string command = argv[1];
    std::string error;
    if ((command == "main-cpu" || command == "pad") && argc == 5) {
        Bytes in, out;
        if (!read_file(argv[2], in)) return fail(std::string("cannot read ") + argv[2]);
        const size_t size = std::strtoul(argv[3], nullptr, 0);
        if (command == "main-cpu") {
            if (!to_main_cpu_image(in, size, out)) return fail(std::string(argv[2]) + " does not fit");
        } else {
            if (in.size() > size) return fail(std::string(argv[2]) + " does not fit");
            out = in;
            out.resize(size, 0);
        }
        return write(argv[4], out, error) ? 0 : fail(error);
    }
    Font font;
    if (argc < 3 || !load_font(argv[2], font, error)) return fail(error.empty() ? "usage" : error);
    if (command == "fix" && argc == 4) return write(argv[3], build_fix_tiles(font), error) ? 0 : fail(error);
    if (command == "sprites" && argc == 6) {
        Bytes art;
        if (!read_file(argv[3], art)) return fail(std::string("cannot read ") + argv[3]);
        std::vector<SpriteTile> tiles;
        if (!parse_sprite_art(std::string(art.begin(), art.end()), tiles, error))
            return fail(argv[3] + (": " + error));
        add_generated_sprites(font, tiles);
        Bytes patterns, tables;
        if (!build_sprite_images(tiles, patterns, tables, error)) return fail(error);
        return write(argv[4], patterns, error) && write(argv[5], tables, error) ? 0 : fail(error);
    }
    if (command == "pictures" && argc == 5) {
        return write(argv[3], build_loading_picture(font), error) && write(argv[4], build_icon(font), error)
                   ? 0
                   : fail(error);
    }
    return fail("usage: see the header of tools/cartridge/main.cpp");
}

int run_samples(int argc, char** argv) {
    // qzb-cart samples VOICE|- ROM INCLUDE: VOICE is raw 16-bit mono little-endian at 16 kHz.
    if (argc != 5) return fail("usage: samples VOICE|- ROM INCLUDE");
    std::vector<int16_t> voice;
    const std::string voice_path = argv[2];
    Bytes raw;
    if (voice_path != "-" && read_file(voice_path, raw) && raw.size() >= 2) {
        for (size_t i = 0; i + 1 < raw.size(); i += 2)
            voice.push_back(static_cast<int16_t>(raw[i] | raw[i + 1] << 8));
    } else {
        voice = synth_voice_fallback();
    }
    std::vector<SampleSlot> slots;
    const Bytes rom = build_sample_rom(voice, slots);
    std::string error;
    if (!write(argv[3], rom, error)) return fail(error);
    const std::string include = sample_include(slots);
    return write(argv[4], Bytes(include.begin(), include.end()), error) ? 0 : fail(error);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "samples") return run_samples(argc, argv);
    return run(argc, argv);
}
