// Writes a placeholder image set of the exact sizes into a folder: a program whose vectors enter
// a BIOS that waits forever, blank graphics, a sound program that halts, silent samples, and the
// loading picture and icon. Used when neither the demo cartridge nor a user's images are built in.
//
//   make_placeholder_roms OUTPUT_DIR
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Main CPU memory holds 16-bit words in host (little-endian) order.
void put_word(std::vector<uint8_t>& image, uint32_t offset, uint16_t word) {
    image[offset] = static_cast<uint8_t>(word);
    image[offset + 1] = static_cast<uint8_t>(word >> 8);
}

void put_long(std::vector<uint8_t>& image, uint32_t offset, uint32_t value) {
    put_word(image, offset, static_cast<uint16_t>(value >> 16));
    put_word(image, offset + 2, static_cast<uint16_t>(value));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_placeholder_roms OUTPUT_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];

    std::vector<uint8_t> program(2'097'152, 0);
    put_long(program, 0, 0x0010F300); // initial SSP
    put_long(program, 4, 0x00C00402); // initial PC, in the BIOS

    std::vector<uint8_t> bios(131'072, 0);
    put_long(bios, 0, 0x0010F300);
    put_long(bios, 4, 0x00C00402);
    put_word(bios, 0x402, 0x60FE); // BRA.S to itself

    std::vector<uint8_t> fix(524'288, 0);
    std::vector<uint8_t> patterns(11'933'056, 0);
    std::vector<uint8_t> tables(786'432, 0);
    for (uint32_t i = 0; i < 0x18000; ++i) { // every row of every tile transparent
        tables[4 * i] = tables[4 * i + 1] = tables[4 * i + 2] = tables[4 * i + 3] = 0xAA;
    }

    std::vector<uint8_t> sound(131'072, 0);
    const uint8_t halt_loop[] = {0xF3, 0x76, 0x18, 0xFD}; // DI; HALT; JR back to the HALT
    for (size_t i = 0; i < sizeof halt_loop; ++i) sound[i] = halt_loop[i];
    sound[0x66] = 0xED; // RETN: commands are taken and ignored
    sound[0x67] = 0x45;

    std::vector<uint8_t> samples(5'242'880, 0x80);

    std::vector<uint8_t> picture(640 * 480 * 3);
    for (uint32_t y = 0; y < 480; ++y) {
        for (uint32_t x = 0; x < 640; ++x) {
            uint8_t* p = &picture[(y * 640 + x) * 3];
            p[0] = static_cast<uint8_t>(y * 255 / 479 / 4);
            p[1] = 0;
            p[2] = static_cast<uint8_t>(32 + y * 223 / 479 / 2);
        }
    }
    std::vector<uint8_t> icon(32 * 32 * 4);
    for (uint32_t i = 0; i < 32 * 32; ++i) {
        icon[4 * i] = 0xE0;
        icon[4 * i + 1] = 0x40;
        icon[4 * i + 2] = 0x20;
        icon[4 * i + 3] = 0xFF;
    }

    const struct {
        const char* name;
        const std::vector<uint8_t>& bytes;
    } files[] = {{"102.bin", program}, {"104.bin", fix},     {"105.bin", bios},    {"106.bin", patterns},
                 {"107.bin", tables},  {"108.bin", sound},   {"109.bin", samples}, {"111.bin", picture},
                 {"124.bin", icon}};
    for (const auto& f : files) {
        if (!write_file(dir + "/" + f.name, f.bytes)) {
            std::fprintf(stderr, "make_placeholder_roms: cannot write %s/%s\n", dir.c_str(), f.name);
            return 1;
        }
    }
    return 0;
}
