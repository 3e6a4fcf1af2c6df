// The Z80 core running any sound program with the board's real port map and the sound chip
// behind it, with commands (NMI) and interrupts arriving between runs.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/app_state.h"
#include "board/board.h"
#include "cpuz80/cpuz80.h"
#include "machine.h"
#include "sound/sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The program sits inside the work block as the machine places it. The core fetches through
    // the bank offset of the region the PC was last loaded in, so a program that runs on from a
    // banked window into another region fetches up to 32 KiB before the program or 16 KiB past
    // it: inside the work block, never outside it (a bare 128 KiB buffer is not enough).
    static uint8_t* work_block = static_cast<uint8_t*>(std::calloc(WORK_BLOCK_SIZE, 1));
    static uint8_t* program = work_block + SOUND_PROGRAM_OFFSET;
    static_assert(SOUND_PROGRAM_OFFSET >= 0x8000 && SOUND_PROGRAM_OFFSET + 0x24000 <= WORK_BLOCK_SIZE);
    static uint8_t* samples = static_cast<uint8_t*>(std::calloc(ADPCM_ROM_SIZE, 1));
    static bool chip_ready = false;
    if (!chip_ready) {
        chip_ready = chip_initialise(8'000'000, 22'050, samples, samples, ADPCM_ROM_SIZE, ADPCM_ROM_SIZE,
                                     sound_timer_callback) != 0;
        set_sound_clocks();
    }
    std::memset(program, 0, SOUND_PROGRAM_SIZE);
    std::memcpy(program, data, size < SOUND_PROGRAM_SIZE ? size : SOUND_PROGRAM_SIZE);

    SoundCpuContext context{};
    context.memory = program;
    context.port_read_list = sound_port_read_list;
    context.port_write_list = sound_port_write_list;
    sound_cpu_set_context(&context);
    sound_cpu_reset();
    build_sound_bank_map();
    machine.board.nmi_enabled = 1;
    for (int frame = 0; frame < 3; ++frame) {
        if (sound_cpu_run(20'000) != SOUND_CPU_RUN_OK) break;
        sound_cpu_nmi();
        if (sound_cpu_run(20'000) != SOUND_CPU_RUN_OK) break;
        sound_cpu_interrupt(0);
        sound_cpu_elapsed(1);
    }
    return 0;
}
