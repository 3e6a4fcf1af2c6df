#include "flat_bus.h"

#include "machine.h"

namespace {

constexpr uint32_t memory_size = 1u << 24;
std::vector<uint8_t> memory(memory_size);
std::vector<uint32_t> write_log;

uint32_t read_byte(uint32_t a) { return peek8(a); }
uint32_t read_word(uint32_t a) { return peek16(a); }
uint32_t read_long(uint32_t a) { return peek32(a); }
void write_byte(uint32_t a, uint32_t v) {
    write_log.push_back(a);
    poke8(a, static_cast<uint8_t>(v));
}
void write_word(uint32_t a, uint32_t v) {
    write_log.push_back(a);
    write_log.push_back((a + 1) & 0xFFFFFF);
    poke16(a, static_cast<uint16_t>(v));
}
void write_long(uint32_t a, uint32_t v) {
    for (uint32_t i = 0; i < 4; ++i) write_log.push_back((a + i) & 0xFFFFFF);
    poke32(a, v);
}

} // namespace

void install_flat_bus() {
    std::fill(memory.begin(), memory.end(), 0);
    write_log.clear();
    for (int page = 0; page < 256; ++page) {
        machine.bus.read_byte[page] = read_byte;
        machine.bus.read_word[page] = read_word;
        machine.bus.read_long[page] = read_long;
        machine.bus.write_byte[page] = write_byte;
        machine.bus.write_word[page] = write_word;
        machine.bus.write_long[page] = write_long;
    }
    for (uint32_t region = 0; region < 16; ++region)
        machine.bus.fetch[region] = FetchRegion{memory.data() + (region << 20), region << 20, 1u << 20};
}

uint8_t* flat_memory() { return memory.data(); }
void poke8(uint32_t a, uint8_t v) { memory[(a & 0xFFFFFF) ^ 1] = v; }
uint8_t peek8(uint32_t a) { return memory[(a & 0xFFFFFF) ^ 1]; }
// Word and long accesses go byte by byte so odd addresses and the wrap at 16 MiB work too.
void poke16(uint32_t a, uint16_t v) {
    poke8(a, static_cast<uint8_t>(v >> 8));
    poke8(a + 1, static_cast<uint8_t>(v));
}
uint16_t peek16(uint32_t a) { return static_cast<uint16_t>(peek8(a) << 8 | peek8(a + 1)); }
void poke32(uint32_t a, uint32_t v) {
    poke16(a, static_cast<uint16_t>(v >> 16));
    poke16(a + 2, static_cast<uint16_t>(v));
}
uint32_t peek32(uint32_t a) { return static_cast<uint32_t>(peek16(a)) << 16 | peek16(a + 2); }
std::vector<uint32_t>& flat_write_log() { return write_log; }
