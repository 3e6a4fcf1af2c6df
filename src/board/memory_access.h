// Access to main CPU memory blocks kept as 16-bit words in host order (the 68000 byte at a is the
// host byte a ^ 1; a long is the word at a, high half, then the word at a + 2), and the split of
// a long that crosses into the next 64 KiB page.
#pragma once
#include <cstdint>
#include <cstring>

#include "machine.h"

namespace board_memory {

inline uint32_t get_byte(const uint8_t* block, uint32_t offset) {
    return block[offset ^ 1];
}

inline void put_byte(uint8_t* block, uint32_t offset, uint32_t value) {
    block[offset ^ 1] = static_cast<uint8_t>(value);
}

// `offset` is even.
inline uint32_t get_word(const uint8_t* block, uint32_t offset) {
    uint16_t word;
    std::memcpy(&word, block + offset, 2);
    return word;
}

inline void put_word(uint8_t* block, uint32_t offset, uint32_t value) {
    const uint16_t word = static_cast<uint16_t>(value);
    std::memcpy(block + offset, &word, 2);
}

// `offset` is even and offset + 4 lies inside the block.
inline uint32_t get_long(const uint8_t* block, uint32_t offset) {
    uint32_t pair;
    std::memcpy(&pair, block + offset, 4);
    return pair << 16 | pair >> 16;
}

inline void put_long(uint8_t* block, uint32_t offset, uint32_t value) {
    const uint32_t pair = value << 16 | value >> 16;
    std::memcpy(block + offset, &pair, 4);
}

// The 68000 has no address line 0 on its bus: a word or long access at an odd address (which the
// core passes on unchanged) reaches the even word below it.
inline uint32_t even(uint32_t address) {
    return address & ~1u;
}

// A long whose second word lies in the next page: each half goes through the table of its own
// page, so no handler ever reads past the end of its block.
inline bool crosses_page(uint32_t address) {
    return (address & 0xFFFE) == 0xFFFE;
}

// Kept out of line: inlined, its calls would make every long handler save registers on its
// common path too.
[[gnu::noinline]] inline uint32_t read_long_split(uint32_t address) {
    const uint32_t high = even(address) & 0xFFFFFF;
    const uint32_t low = (high + 2) & 0xFFFFFF;
    return (machine.bus.read_word[high >> 16](high) & 0xFFFF) << 16 |
           (machine.bus.read_word[low >> 16](low) & 0xFFFF);
}

[[gnu::noinline]] inline void write_long_split(uint32_t address, uint32_t value) {
    const uint32_t high = even(address) & 0xFFFFFF;
    const uint32_t low = (high + 2) & 0xFFFFFF;
    machine.bus.write_word[high >> 16](high, value >> 16);
    machine.bus.write_word[low >> 16](low, value & 0xFFFF);
}

} // namespace board_memory
