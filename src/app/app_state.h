// State of the application shell and the ROM images (one instance each, inside the machine state).
#pragma once
#include <cstdint>
#include "app/frame_state.h"
#include "host/platform/platform.h"

inline constexpr uint32_t PROGRAM_ROM_IMAGE_SIZE = 2'097'152;
inline constexpr uint32_t BIOS_IMAGE_SIZE = 131'072;
inline constexpr uint32_t FIX_ROM_SIZE = 524'288;
inline constexpr uint32_t FIX_BOARD_BANK_OFFSET = 262'144;
inline constexpr uint32_t SPRITE_PATTERN_SIZE = 11'933'056;
inline constexpr uint32_t SPRITE_TILE_TABLES_SIZE = 786'432;
inline constexpr uint32_t SOUND_PROGRAM_SIZE = 131'072;
inline constexpr uint32_t ADPCM_ROM_SIZE = 5'242'880;

// The one heap block: frame buffer, sound program, fix tile flags.
inline constexpr uint32_t WORK_BLOCK_SIZE = 1'318'912;
inline constexpr uint32_t FRAME_BUFFER_BYTES = 1'048'576;
inline constexpr uint32_t SOUND_PROGRAM_OFFSET = 1'048'576;
inline constexpr uint32_t FIX_FLAGS_OFFSET = 1'179'648;
inline constexpr uint32_t FIX_TILE_COUNT = 8192;

inline constexpr int ROM_IMAGE_COUNT = 7;

struct RomState {
    alignas(16) uint8_t program_rom[PROGRAM_ROM_IMAGE_SIZE] = {};
    alignas(16) uint8_t bios[BIOS_IMAGE_SIZE] = {};
    uint8_t saved_vectors[128] = {};
    uint32_t program_rom_size = 0;
    uint32_t adpcm_rom_size = 0;
    const uint8_t* fix_rom_base = nullptr;
    const uint8_t* current_fix_rom = nullptr;
    const uint8_t* sprite_patterns = nullptr;
    const uint8_t* sprite_tile_tables = nullptr;
    const uint8_t* adpcm_rom = nullptr;
    // One slot per start-up stage 1..7: set while an image is used in place.
    bool resource_held[ROM_IMAGE_COUNT] = {};
};

struct AppState {
    WindowHandle window = 0;
    int32_t active = 0;
    int32_t quit_requested = 0;
    int32_t sound_enabled = 0;
    uint8_t* work_block = nullptr;
    uint8_t* sound_program = nullptr; // work_block + SOUND_PROGRAM_OFFSET
    uint8_t* fix_flags = nullptr;     // work_block + FIX_FLAGS_OFFSET
    // Set once the settings file was read (or found missing): only then is it written back, so a
    // start that fails before reading it never overwrites the player's settings with defaults.
    bool settings_loaded = false;
    // Batch runs skip the deliberate pauses between the loading stages.
    bool skip_loading_pauses = false;
    FrameTimerState frame; // the frame driver's timer and pacing
};
