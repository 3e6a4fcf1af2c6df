// The main CPU's address map: the six handler tables (one entry per 64 KiB page), the fetch
// regions, the program ROM bank window, palette RAM with its banks and dirty flags, backup RAM
// with its write lock, the extra RAM and the memory card RAM.
#include <cstring>

#include "board/board.h"
#include "board/memory_access.h"
#include "machine.h"
#include "video/video.h"

using namespace board_memory;

namespace {

constexpr uint32_t REGION_SIZE = 0x100000;
constexpr uint32_t PROGRAM_REGION = 0;
constexpr uint32_t WORK_RAM_REGION = 1;
constexpr uint32_t BANK_REGION = 2;
constexpr uint32_t BIOS_REGION = 12;
constexpr uint32_t BANK_WINDOW_START = 0x200000;
constexpr uint32_t BIOS_START = 0xC00000;
constexpr uint32_t PALETTE_MASK = PALETTE_BANK_SIZE - 1;
constexpr uint32_t MEMORY_CARD_MASK = MEMORY_CARD_RAM_SIZE - 1;

// ---- unmapped space -------------------------------------------------------------------------

uint32_t unmapped_read(uint32_t) {
    return 0xFFFFFFFF;
}
void ignored_write(uint32_t, uint32_t) {}

// ---- ROM through the fetch regions ----------------------------------------------------------
// The program ROM, the bank window and the BIOS are read through the same fetch region entries
// that instruction fetch uses, so a bank switch changes both. Bytes past what a region holds read
// as unmapped space.

template <uint32_t Region> uint32_t region_read_byte(uint32_t address) {
    const FetchRegion& region = machine.bus.fetch[Region];
    const uint32_t offset = address - region.start;
    return offset < region.size ? get_byte(region.memory, offset) : 0xFF;
}

template <uint32_t Region> uint32_t region_read_word(uint32_t address) {
    const FetchRegion& region = machine.bus.fetch[Region];
    const uint32_t offset = even(address) - region.start;
    return offset + 2 <= region.size ? get_word(region.memory, offset) : 0xFFFF;
}

template <uint32_t Region> uint32_t region_read_long(uint32_t address) {
    if (crosses_page(address)) return read_long_split(address);
    const FetchRegion& region = machine.bus.fetch[Region];
    const uint32_t offset = even(address) - region.start;
    return offset + 4 <= region.size ? get_long(region.memory, offset) : 0xFFFFFFFF;
}

// ---- plain 64 KiB RAM pages (work RAM, backup RAM, extra RAM) --------------------------------

enum class Ram { work, backup, extra };

template <Ram Which> uint8_t* ram_block() {
    if constexpr (Which == Ram::work)
        return machine.board.work_ram;
    else if constexpr (Which == Ram::backup)
        return machine.board.backup_ram;
    else
        return machine.board.extra_ram;
}

template <Ram Which> uint32_t ram_read_byte(uint32_t address) {
    return get_byte(ram_block<Which>(), address & 0xFFFF);
}
template <Ram Which> uint32_t ram_read_word(uint32_t address) {
    return get_word(ram_block<Which>(), even(address) & 0xFFFF);
}
template <Ram Which> uint32_t ram_read_long(uint32_t address) {
    if (crosses_page(address)) return read_long_split(address);
    return get_long(ram_block<Which>(), even(address) & 0xFFFF);
}
template <Ram Which> void ram_write_byte(uint32_t address, uint32_t value) {
    put_byte(ram_block<Which>(), address & 0xFFFF, value);
}
template <Ram Which> void ram_write_word(uint32_t address, uint32_t value) {
    put_word(ram_block<Which>(), even(address) & 0xFFFF, value);
}
template <Ram Which> void ram_write_long(uint32_t address, uint32_t value) {
    if (crosses_page(address)) return write_long_split(address, value);
    put_long(ram_block<Which>(), even(address) & 0xFFFF, value);
}

// ---- palette RAM: 8 KiB repeated over page 0x40, one set of handlers per bank ---------------

void mark_palette_dirty(uint32_t address) {
    machine.board.palette_dirty[(address & PALETTE_MASK) >> 5] = 1;
}

// Byte reads past the first 8 KiB return the mirrored byte, as word reads do.
template <uint32_t Bank> uint32_t palette_read_byte(uint32_t address) {
    return get_byte(machine.board.palette_ram[Bank], address & PALETTE_MASK);
}
template <uint32_t Bank> uint32_t palette_read_word(uint32_t address) {
    return get_word(machine.board.palette_ram[Bank], even(address) & PALETTE_MASK);
}
// The two words of a long each wrap inside the 8 KiB, so a long at 0x401FFE never leaves the bank.
template <uint32_t Bank> uint32_t palette_read_long(uint32_t address) {
    if (crosses_page(address)) return read_long_split(address);
    const uint8_t* bank = machine.board.palette_ram[Bank];
    const uint32_t high = even(address);
    return get_word(bank, high & PALETTE_MASK) << 16 | get_word(bank, (high + 2) & PALETTE_MASK);
}
template <uint32_t Bank> void palette_write_byte(uint32_t address, uint32_t value) {
    mark_palette_dirty(address);
    put_byte(machine.board.palette_ram[Bank], address & PALETTE_MASK, value);
}
template <uint32_t Bank> void palette_write_word(uint32_t address, uint32_t value) {
    mark_palette_dirty(address);
    put_word(machine.board.palette_ram[Bank], even(address) & PALETTE_MASK, value);
}
// Only the first word's palette is marked: a long can cross into the next palette only with its
// second word landing on colour 0 there, which is the transparent pen and never shown.
template <uint32_t Bank> void palette_write_long(uint32_t address, uint32_t value) {
    if (crosses_page(address)) return write_long_split(address, value);
    mark_palette_dirty(address);
    uint8_t* bank = machine.board.palette_ram[Bank];
    const uint32_t high = even(address);
    put_word(bank, high & PALETTE_MASK, value >> 16);
    put_word(bank, (high + 2) & PALETTE_MASK, value & 0xFFFF);
}

// ---- memory card RAM: 4 KiB repeated over page 0x80 -----------------------------------------

uint32_t card_read_byte(uint32_t address) {
    return get_byte(machine.board.memory_card_ram, address & MEMORY_CARD_MASK);
}
uint32_t card_read_word(uint32_t address) {
    return get_word(machine.board.memory_card_ram, even(address) & MEMORY_CARD_MASK);
}
uint32_t card_read_long(uint32_t address) {
    if (crosses_page(address)) return read_long_split(address);
    const uint32_t high = even(address);
    return card_read_word(high) << 16 | card_read_word(high + 2);
}
void card_write_byte(uint32_t address, uint32_t value) {
    put_byte(machine.board.memory_card_ram, address & MEMORY_CARD_MASK, value);
}
void card_write_word(uint32_t address, uint32_t value) {
    put_word(machine.board.memory_card_ram, even(address) & MEMORY_CARD_MASK, value);
}
void card_write_long(uint32_t address, uint32_t value) {
    if (crosses_page(address)) return write_long_split(address, value);
    const uint32_t high = even(address);
    card_write_word(high, value >> 16);
    card_write_word(high + 2, value & 0xFFFF);
}

// ---- the bank select (page 0x2F) -------------------------------------------------------------

bool is_bank_select(uint32_t address) {
    return (address & 0xFFFF) >= 0xFFF0;
}

// Any size of write selects the bank from the low bits of its value.
void bank_select_write(uint32_t address, uint32_t value) {
    if (is_bank_select(address)) select_rom_bank(value);
}

// ---- I/O pages 0x30-0x3C ---------------------------------------------------------------------

uint32_t inputs_p1_read_byte(uint32_t address) {
    return (address & 0xFFFF) == 0 ? machine.board.player1 : machine.board.dip_switches;
}
uint32_t sound_latch_read_byte(uint32_t address) {
    switch (address & 0xFFFF) {
    case 0:
        return machine.board.sound_reply;
    case 1:
        return system_status_read();
    default:
        return 0xFF;
    }
}
void sound_latch_write_byte(uint32_t address, uint32_t value) {
    if ((address & 0xFFFF) == 0) sound_command_write(static_cast<uint8_t>(value));
}
// The 68000's byte at 0x320000 is the high byte of the word.
void sound_latch_write_word(uint32_t address, uint32_t value) {
    if ((address & 0xFFFF) == 0) sound_command_write(static_cast<uint8_t>(value >> 8));
}
uint32_t inputs_p2_read_byte(uint32_t address) {
    return (address & 0xFFFF) == 0 ? machine.board.player2 : 0xFF;
}
uint32_t inputs_start_read_byte(uint32_t address) {
    return (address & 0xFFFF) == 0 ? machine.board.start_select : 0xFF;
}
void system_latch_write_byte(uint32_t address, uint32_t) {
    system_latch_write(address);
}

// ---- table building ---------------------------------------------------------------------------

struct PageHandlers {
    MainReadHandler read_byte = unmapped_read;
    MainReadHandler read_word = unmapped_read;
    MainReadHandler read_long = unmapped_read;
    MainWriteHandler write_byte = ignored_write;
    MainWriteHandler write_word = ignored_write;
    MainWriteHandler write_long = ignored_write;
};

void install(uint32_t first_page, uint32_t last_page, const PageHandlers& handlers) {
    MainBus& bus = machine.bus;
    for (uint32_t page = first_page; page <= last_page; ++page) {
        bus.read_byte[page] = handlers.read_byte;
        bus.read_word[page] = handlers.read_word;
        bus.read_long[page] = handlers.read_long;
        bus.write_byte[page] = handlers.write_byte;
        bus.write_word[page] = handlers.write_word;
        bus.write_long[page] = handlers.write_long;
    }
}

constexpr uint32_t PALETTE_PAGE = 0x40;
constexpr uint32_t BACKUP_PAGE = 0xD0;

uint32_t program_rom_size() {
    // The image array is fixed; a larger recorded size must never widen the window past it.
    const uint32_t size = machine.roms.program_rom_size;
    return size < PROGRAM_ROM_IMAGE_SIZE ? size : PROGRAM_ROM_IMAGE_SIZE;
}

// Points the bank window at the program ROM from `offset`, limited to the bytes the image has.
void map_bank_window(uint32_t offset) {
    const uint32_t size = program_rom_size();
    const uint32_t available = offset < size ? size - offset : 0;
    FetchRegion& window = machine.bus.fetch[BANK_REGION];
    window.memory = available ? machine.roms.program_rom + offset : nullptr;
    window.start = BANK_WINDOW_START;
    window.size = available < REGION_SIZE ? available : REGION_SIZE;
}

void fill_fetch_regions() {
    FetchRegion* fetch = machine.bus.fetch;
    for (uint32_t i = 0; i < 16; ++i)
        fetch[i] = FetchRegion{nullptr, i * REGION_SIZE, 0};
    const uint32_t rom_size = program_rom_size();
    fetch[PROGRAM_REGION] = {machine.roms.program_rom, 0, rom_size < REGION_SIZE ? rom_size : REGION_SIZE};
    fetch[WORK_RAM_REGION] = {machine.board.work_ram, WORK_RAM_REGION * REGION_SIZE, WORK_RAM_SIZE};
    // The window starts on the program ROM's second MiB, or mirrors the first when there is none.
    map_bank_window(rom_size > REGION_SIZE ? REGION_SIZE : 0);
    fetch[BIOS_REGION] = {machine.roms.bios, BIOS_START, BIOS_IMAGE_SIZE};
}

} // namespace

void fill_handler_tables() {
    install(0x00, 0xFF, PageHandlers{});

    install(0x00, 0x0F,
            {region_read_byte<PROGRAM_REGION>, region_read_word<PROGRAM_REGION>,
             region_read_long<PROGRAM_REGION>, ignored_write, ignored_write, ignored_write});
    install(0x10, 0x10,
            {ram_read_byte<Ram::work>, ram_read_word<Ram::work>, ram_read_long<Ram::work>,
             ram_write_byte<Ram::work>, ram_write_word<Ram::work>, ram_write_long<Ram::work>});
    const PageHandlers window{region_read_byte<BANK_REGION>,
                              region_read_word<BANK_REGION>,
                              region_read_long<BANK_REGION>,
                              ignored_write,
                              ignored_write,
                              ignored_write};
    install(0x20, 0x2E, window);
    install(0x2F, 0x2F,
            {window.read_byte, window.read_word, window.read_long, bank_select_write, bank_select_write,
             bank_select_write});
    install(0x30, 0x30, {.read_byte = inputs_p1_read_byte});
    install(0x32, 0x32,
            {.read_byte = sound_latch_read_byte,
             .write_byte = sound_latch_write_byte,
             .write_word = sound_latch_write_word});
    install(0x34, 0x34, {.read_byte = inputs_p2_read_byte});
    install(0x38, 0x38, {.read_byte = inputs_start_read_byte});
    install(0x3A, 0x3A, {.write_byte = system_latch_write_byte});
    install(0x3C, 0x3C,
            {.read_word = video_register_read_word,
             .read_long = video_register_read_long,
             .write_word = video_register_write_word,
             .write_long = video_register_write_long});
    set_palette_bank(machine.board.palette_bank);
    install(0x50, 0x50, {.read_byte = ram_read_byte<Ram::extra>, .write_byte = ram_write_byte<Ram::extra>});
    install(
        0x80, 0x80,
        {card_read_byte, card_read_word, card_read_long, card_write_byte, card_write_word, card_write_long});
    install(0xC0, 0xC1,
            {region_read_byte<BIOS_REGION>, region_read_word<BIOS_REGION>, region_read_long<BIOS_REGION>,
             ignored_write, ignored_write, ignored_write});
    install(BACKUP_PAGE, BACKUP_PAGE,
            {ram_read_byte<Ram::backup>, ram_read_word<Ram::backup>, ram_read_long<Ram::backup>});
    unlock_backup_ram();

    machine.board.rom_bank = 0;
    fill_fetch_regions();
}

void select_rom_bank(uint32_t value) {
    const uint32_t size = program_rom_size();
    if (size <= REGION_SIZE) return;
    machine.board.rom_bank = value & 3;
    // Banks past the end of the image wrap onto the banks it has, as a cartridge without the
    // upper address lines would: with the 2 MiB image every bank shows its second MiB.
    const uint32_t banks = (size - REGION_SIZE + REGION_SIZE - 1) / REGION_SIZE;
    map_bank_window((machine.board.rom_bank % banks + 1) * REGION_SIZE);
}

void set_palette_bank(uint32_t bank) {
    const uint32_t b = bank & 1;
    machine.board.palette_bank = b;
    machine.board.palette_bank_flag = b ? 0xFF : 0x00;
    if (b == 0)
        install(PALETTE_PAGE, PALETTE_PAGE,
                {palette_read_byte<0>, palette_read_word<0>, palette_read_long<0>, palette_write_byte<0>,
                 palette_write_word<0>, palette_write_long<0>});
    else
        install(PALETTE_PAGE, PALETTE_PAGE,
                {palette_read_byte<1>, palette_read_word<1>, palette_read_long<1>, palette_write_byte<1>,
                 palette_write_word<1>, palette_write_long<1>});
}

void lock_backup_ram() {
    machine.board.backup_ram_locked = true;
    machine.bus.write_byte[BACKUP_PAGE] = ignored_write;
    machine.bus.write_word[BACKUP_PAGE] = ignored_write;
    machine.bus.write_long[BACKUP_PAGE] = ignored_write;
}

void unlock_backup_ram() {
    machine.board.backup_ram_locked = false;
    machine.bus.write_byte[BACKUP_PAGE] = ram_write_byte<Ram::backup>;
    machine.bus.write_word[BACKUP_PAGE] = ram_write_word<Ram::backup>;
    machine.bus.write_long[BACKUP_PAGE] = ram_write_long<Ram::backup>;
}
