// The 68000 core running any program ROM content for a few frames, behind the board's real
// handler tables (memory map, I/O registers, video registers, latch, bank select).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/app_state.h"
#include "board/board.h"
#include "cpu68k/cpu68k.h"
#include "machine.h"
#include "video/video.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    machine_reset_state();
    static uint8_t* work_block = static_cast<uint8_t*>(std::calloc(WORK_BLOCK_SIZE, 1));
    machine.app.work_block = work_block;
    // The input is the whole program ROM (vectors first), an image of the input's length: reads
    // past its end see the open bus and a PC that runs off it stops the core. With a full-size
    // image of zeros behind every input, each input that ran off its end went on through up to
    // 2 MiB of zeros for the rest of its frames.
    const size_t program_bytes = size < PROGRAM_ROM_IMAGE_SIZE ? size : PROGRAM_ROM_IMAGE_SIZE;
    machine.roms.program_rom_size = static_cast<uint32_t>(program_bytes);
    std::memcpy(machine.roms.program_rom, data, program_bytes);
    // The BIOS holds the input at its start too.
    const size_t bios_bytes = size < BIOS_IMAGE_SIZE ? size : BIOS_IMAGE_SIZE;
    std::memcpy(machine.roms.bios, data, bios_bytes);
    std::memcpy(machine.roms.saved_vectors, machine.roms.program_rom, 128);
    machine.video.animation_speed = 4;
    fill_handler_tables();
    main_cpu_reset();
    for (int frame = 0; frame < 3; ++frame) {
        main_cpu_run(208'333);
        video_frame_tick();
    }
    return 0;
}
