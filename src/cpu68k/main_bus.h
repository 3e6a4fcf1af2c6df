// The main CPU's view of the board: six tables of access handlers, one entry per 64 KiB page
// (bits 23-16 of the address), and sixteen fetch regions, one per 1 MiB, for instruction fetch.
// The board fills both; the core only calls and reads them.
#pragma once
#include <cstdint>

// A handler receives the address already reduced to 24 bits. Reads return the value in the low
// 8, 16 or 32 bits; unmapped space returns all ones. Writes receive the value in the low bits.
using MainReadHandler = uint32_t (*)(uint32_t address);
using MainWriteHandler = void (*)(uint32_t address, uint32_t value);

// Host memory that holds instructions for one 1 MiB region of the bus. Main CPU memory is kept as
// 16-bit words in host order, so the 68000 word at `start` + k is the host uint16_t at memory + k.
// A region with memory == nullptr cannot hold code; fetches outside [start, start + size) are
// outside the region's memory.
struct FetchRegion {
    const uint8_t* memory = nullptr;
    uint32_t start = 0;
    uint32_t size = 0;
};

struct MainBus {
    MainReadHandler read_byte[256] = {};
    MainReadHandler read_word[256] = {};
    MainReadHandler read_long[256] = {};
    MainWriteHandler write_byte[256] = {};
    MainWriteHandler write_word[256] = {};
    MainWriteHandler write_long[256] = {};
    FetchRegion fetch[16] = {};
};
