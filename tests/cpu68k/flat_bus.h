// A flat 16 MiB main-CPU memory behind the handler tables, for the core's tests and benchmark.
// Memory is kept as the board keeps it: 16-bit words in host order, the byte at a at host a ^ 1.
#pragma once
#include <cstdint>
#include <vector>

// Fills machine.bus: all six handler tables over the flat memory, and the sixteen fetch regions
// over it as well. Clears the memory and the write log.
void install_flat_bus();

uint8_t* flat_memory();
void poke8(uint32_t address, uint8_t value);
void poke16(uint32_t address, uint16_t value);
void poke32(uint32_t address, uint32_t value);
uint8_t peek8(uint32_t address);
uint16_t peek16(uint32_t address);
uint32_t peek32(uint32_t address);

// Byte addresses written through the handlers since install_flat_bus (or the last clear).
std::vector<uint32_t>& flat_write_log();
