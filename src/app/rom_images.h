// The seven ROM images: loading them from the built-in resources, the BIOS vectors and patches,
// the sound program patches, and the vector/fix bank swap of the system latch.
// Touches: machine.roms (its own), machine.app.sound_program, machine.app.sound_enabled.
#pragma once
#include <cstddef>
#include <cstdint>

struct RomImageInfo {
    int resource_id;
    uint32_t size;
};
// Resource id and exact size of the image loaded by start-up stage n (1..7).
RomImageInfo rom_image_info(int stage);

int load_rom_image(int stage);
void release_rom_images();
void install_bios_vectors();
void patch_bios();
// Patches the waiting loops of known sound programs with the sound CPU's idle opcodes.
void patch_sound_program_image(uint8_t* program, size_t size);
void patch_sound_program();
void select_bios_vectors();
void select_game_vectors();
