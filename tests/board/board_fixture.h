// A machine with recognisable ROM images and the handler tables filled, and access to the main
// CPU's bus as the core sees it.
#pragma once
#include <cstdint>
#include <cstring>

#include "board/board.h"
#include "machine.h"
#include "support/machine_fixture.h"

enum class Size { byte, word, lng };

inline uint32_t bus_read(Size size, uint32_t address) {
    address &= 0xFFFFFF;
    const uint32_t page = address >> 16;
    switch (size) {
    case Size::byte:
        return machine.bus.read_byte[page](address) & 0xFF;
    case Size::word:
        return machine.bus.read_word[page](address) & 0xFFFF;
    default:
        return machine.bus.read_long[page](address);
    }
}

inline void bus_write(Size size, uint32_t address, uint32_t value) {
    address &= 0xFFFFFF;
    const uint32_t page = address >> 16;
    switch (size) {
    case Size::byte:
        machine.bus.write_byte[page](address, value & 0xFF);
        break;
    case Size::word:
        machine.bus.write_word[page](address, value & 0xFFFF);
        break;
    default:
        machine.bus.write_long[page](address, value);
        break;
    }
}

// Stores a 68000 word at 68000 offset `offset` of a block kept in host word order.
inline void poke_word(uint8_t* block, uint32_t offset, uint16_t value) {
    std::memcpy(block + offset, &value, 2);
}
inline uint16_t peek_word(const uint8_t* block, uint32_t offset) {
    uint16_t value;
    std::memcpy(&value, block + offset, 2);
    return value;
}

class BoardTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        machine.roms.program_rom_size = PROGRAM_ROM_IMAGE_SIZE;
        uint8_t* rom = machine.roms.program_rom;
        poke_word(rom, 0x000100, 0x1234);
        poke_word(rom, 0x000102, 0x5678);
        poke_word(rom, 0x0FFFFE, 0x0FFE);
        poke_word(rom, 0x100000, 0xBA00); // first word of the second MiB: the bank window
        poke_word(rom, 0x100002, 0xBA02);
        poke_word(rom, 0x1FFFFE, 0xBAFE);
        poke_word(machine.roms.bios, 0x00000, 0xB105);
        poke_word(machine.roms.bios, 0x1FFFE, 0xB1FE);
        BoardState& board = machine.board;
        board.player1 = 0x11;
        board.player2 = 0x22;
        board.start_select = 0x33;
        board.dip_switches = 0x44;
        board.coin = 0x02;
        board.sound_reply = 0x55;
        poke_word(board.work_ram, 0xFFFE, 0xAAFE);
        poke_word(board.work_ram, 0x0000, 0xAA00);
        poke_word(board.palette_ram[0], 0x0000, 0x0C00);
        poke_word(board.palette_ram[0], 0x1FFE, 0x0CFE);
        poke_word(board.palette_ram[1], 0x0000, 0x1C00);
        poke_word(board.extra_ram, 0x0000, 0xE0E1);
        poke_word(board.memory_card_ram, 0x0000, 0xCA00);
        poke_word(board.memory_card_ram, 0x0FFE, 0xCAFE);
        poke_word(board.backup_ram, 0x0000, 0xBB00);
        fill_handler_tables();
    }
};
