// The 68000 core running any program ROM content for a few frames, behind the board's real
// handler tables (memory map, I/O registers, video registers, latch, bank select).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/app_state.h"
#include "board/board.h"
#include "cpu68k/cpu68k.h"
#include "machine.h"
#include "video/video.h"

namespace {

template <typename T> void renew(T& part) {
    std::destroy_at(&part);
    std::construct_at(&part);
}

// Every part of the machine back to its start value. The 2 MiB program ROM image and the BIOS are
// cleared only where the last input wrote: clearing the whole 3 MiB record took an eighth of each
// run.
void reset_machine(size_t program_written, size_t bios_written) {
    renew(machine.app);
    renew(machine.settings);
    renew(machine.bus);
    renew(machine.main_cpu);
    renew(machine.board);
    renew(machine.video);
    renew(machine.sound_cpu);
    renew(machine.sound_chip);
    renew(machine.sound_timing);
    renew(machine.audio_ring);
    renew(machine.host);
    renew(machine.menu);
    RomState& roms = machine.roms;
    std::memset(roms.program_rom, 0, program_written);
    std::memset(roms.bios, 0, bios_written);
    static const RomState* const defaults = new RomState();
    constexpr size_t after_images = offsetof(RomState, saved_vectors);
    std::memcpy(reinterpret_cast<uint8_t*>(&roms) + after_images,
                reinterpret_cast<const uint8_t*>(defaults) + after_images, sizeof(RomState) - after_images);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static size_t program_written = PROGRAM_ROM_IMAGE_SIZE;
    static size_t bios_written = BIOS_IMAGE_SIZE;
    reset_machine(program_written, bios_written);
    static uint8_t* work_block = static_cast<uint8_t*>(std::calloc(WORK_BLOCK_SIZE, 1));
    machine.app.work_block = work_block;
    // The input is the whole program ROM (vectors first), an image of the input's length: reads
    // past its end see the open bus and a PC that runs off it stops the core. With a full-size
    // image of zeros behind every input, each input that ran off its end went on through up to
    // 2 MiB of zeros for the rest of its frames.
    program_written = size < PROGRAM_ROM_IMAGE_SIZE ? size : PROGRAM_ROM_IMAGE_SIZE;
    machine.roms.program_rom_size = static_cast<uint32_t>(program_written);
    std::memcpy(machine.roms.program_rom, data, program_written);
    // The BIOS holds the input at its start too.
    bios_written = size < BIOS_IMAGE_SIZE ? size : BIOS_IMAGE_SIZE;
    std::memcpy(machine.roms.bios, data, bios_written);
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
