// The board's memories, latches and input bytes (one instance, inside the machine state).
// Every block the main CPU addresses holds 16-bit words in host order: the 68000 byte at
// address a is the host byte a ^ 1.
#pragma once
#include <cstdint>

inline constexpr uint32_t WORK_RAM_SIZE = 0x10000;
inline constexpr uint32_t PALETTE_BANK_SIZE = 0x2000;
inline constexpr uint32_t BACKUP_RAM_SIZE = 0x10000;
inline constexpr uint32_t EXTRA_RAM_SIZE = 0x10000;
inline constexpr uint32_t MEMORY_CARD_RAM_SIZE = 0x1000;

struct BoardState {
    alignas(16) uint8_t work_ram[WORK_RAM_SIZE] = {};
    alignas(16) uint8_t palette_ram[2][PALETTE_BANK_SIZE] = {};
    alignas(16) uint8_t backup_ram[BACKUP_RAM_SIZE] = {};
    alignas(16) uint8_t extra_ram[EXTRA_RAM_SIZE] = {};
    alignas(16) uint8_t memory_card_ram[MEMORY_CARD_RAM_SIZE] = {};

    uint32_t palette_bank = 0;       // bank reached by main CPU accesses
    uint8_t palette_bank_flag = 0;   // 0 for bank 0, 0xFF for bank 1 (read by the video chip)
    uint8_t palette_dirty[256] = {}; // one per 16-colour palette of a bank
    uint32_t rom_bank = 0;           // bank shown in the window at 0x200000
    bool backup_ram_locked = false;

    // Input bytes, active low.
    uint8_t player1 = 0xFF;
    uint8_t player2 = 0xFF;
    uint8_t start_select = 0xFF;
    uint8_t coin = 0x03;
    // All switches off once the machine reset has set bit 0.
    uint8_t dip_switches = 0xFE;
    uint32_t pulse_counter = 0;

    // Sound command latch.
    uint8_t sound_reply = 0;
    uint8_t command_copy = 0;
    uint8_t sound_command = 0;
    uint32_t nmi_enabled = 0;
};
