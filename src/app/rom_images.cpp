#include "app/rom_images.h"

#include <cstring>

#include "machine.h"

namespace {

constexpr RomImageInfo IMAGES[ROM_IMAGE_COUNT] = {
    {104, FIX_ROM_SIZE},          {105, BIOS_IMAGE_SIZE},     {102, PROGRAM_ROM_IMAGE_SIZE},
    {106, SPRITE_PATTERN_SIZE},   {107, SPRITE_TILE_TABLES_SIZE}, {108, SOUND_PROGRAM_SIZE},
    {109, ADPCM_ROM_SIZE},
};

constexpr uint32_t BIOS_BASE = 0xC00000;

void set_bios_word(uint32_t address, uint16_t value) {
    std::memcpy(machine.roms.bios + (address - BIOS_BASE), &value, 2);
}

} // namespace

RomImageInfo rom_image_info(int stage) { return IMAGES[stage - 1]; }

int load_rom_image(int stage) {
    if (stage < 1 || stage > ROM_IMAGE_COUNT) return 0;
    const RomImageInfo info = IMAGES[stage - 1];
    RomState& roms = machine.roms;
    const bool sound_image = stage == 6 || stage == 7;
    if (sound_image && !machine.app.sound_enabled) return 1;

    ResourceData resource;
    if (!platform_find_resource(info.resource_id, &resource) || resource.data == nullptr) return 0;
    // An image of another size would be read past its end: refuse it like a missing one.
    if (resource.size != info.size) return 0;

    switch (stage) {
    case 1:
        roms.fix_rom_base = resource.data;
        roms.current_fix_rom = resource.data;
        roms.resource_held[0] = true;
        break;
    case 2:
        std::memcpy(roms.bios, resource.data, BIOS_IMAGE_SIZE);
        break;
    case 3:
        std::memcpy(roms.program_rom, resource.data, PROGRAM_ROM_IMAGE_SIZE);
        break;
    case 4:
        roms.sprite_patterns = resource.data;
        roms.resource_held[3] = true;
        break;
    case 5:
        roms.sprite_tile_tables = resource.data;
        roms.resource_held[4] = true;
        break;
    case 6:
        if (machine.app.sound_program == nullptr) return 0;
        std::memcpy(machine.app.sound_program, resource.data, SOUND_PROGRAM_SIZE);
        break;
    case 7:
        roms.adpcm_rom = resource.data;
        roms.resource_held[6] = true;
        break;
    default:
        return 0;
    }
    return 1;
}

void release_rom_images() {
    RomState& roms = machine.roms;
    for (bool& held : roms.resource_held) held = false;
    roms.fix_rom_base = nullptr;
    roms.current_fix_rom = nullptr;
    roms.sprite_patterns = nullptr;
    roms.sprite_tile_tables = nullptr;
    roms.adpcm_rom = nullptr;
}

void install_bios_vectors() {
    std::memcpy(machine.roms.saved_vectors, machine.roms.program_rom, 128);
    std::memcpy(machine.roms.program_rom, machine.roms.bios, 128);
}

void patch_bios() {
    // The byte at a is the host byte at a ^ 1.
    if (machine.roms.bios[(0xC11C62 - BIOS_BASE) ^ 1] != 0x66) return;
    set_bios_word(0xC00400, 0x0000);
    set_bios_word(0xC11B16, 0x6000);
    set_bios_word(0xC11B18, 0x0052);
    set_bios_word(0xC11C62, 0x4E71);
    set_bios_word(0xC11C64, 0x4E71);
}

void select_bios_vectors() {
    std::memcpy(machine.roms.program_rom, machine.roms.bios, 128);
    if (machine.roms.fix_rom_base) machine.roms.current_fix_rom = machine.roms.fix_rom_base + FIX_BOARD_BANK_OFFSET;
}

void select_game_vectors() {
    std::memcpy(machine.roms.program_rom, machine.roms.saved_vectors, 128);
    machine.roms.current_fix_rom = machine.roms.fix_rom_base;
}
