// The start-up stages (one per idle pass of the message loop) and the machine reset.
#include <cstdlib>
#include <cstring>

#include "app/frame.h"
#include "app/rom_images.h"
#include "app/settings.h"
#include "app/shell.h"
#include "board/board.h"
#include "cpu68k/cpu68k.h"
#include "cpuz80/cpuz80.h"
#include "host/audio.h"
#include "host/display.h"
#include "host/flags.h"
#include "machine.h"
#include "menu/menu.h"
#include "sound/sound.h"
#include "video/video.h"

namespace {

constexpr int32_t SOUND_CHIP_CLOCK = 8'000'000;

void start_sound() {
    ssg_reset();
    const uint8_t* samples = machine.roms.adpcm_rom;
    if (!chip_initialise(SOUND_CHIP_CLOCK, machine.audio_ring.ring_rate, samples, samples, ADPCM_ROM_SIZE,
                         ADPCM_ROM_SIZE, sound_timer_callback)) {
        audio_stop(0);
        machine.app.sound_enabled = 0;
        return;
    }
    SoundCpuContext context{};
    context.memory = machine.app.sound_program;
    context.port_read_list = sound_port_read_list;
    context.port_write_list = sound_port_write_list;
    sound_cpu_set_context(&context);
    sound_cpu_reset();

    build_sound_bank_map();
    SoundCpuState& cpu = machine.sound_cpu;
    cpu.interrupt_accepted = 0;
    machine.board.nmi_enabled = 1;
    set_sound_clocks();
    patch_sound_program();
}

} // namespace

int allocate_work_block() {
    machine.roms.program_rom_size = PROGRAM_ROM_IMAGE_SIZE;
    machine.roms.adpcm_rom_size = ADPCM_ROM_SIZE;
    auto* block = static_cast<uint8_t*>(std::calloc(WORK_BLOCK_SIZE, 1));
    if (block == nullptr) return 0;
    machine.app.work_block = block;
    machine.app.sound_program = block + SOUND_PROGRAM_OFFSET;
    machine.app.fix_flags = block + FIX_FLAGS_OFFSET;
    return 1;
}

void release_resources() {
    chip_free();
    audio_stop(0);
    timer_end();
    std::free(machine.app.work_block);
    machine.app.work_block = nullptr;
    machine.app.sound_program = nullptr;
    machine.app.fix_flags = nullptr;
    release_rom_images();
    machine.host.display.present_flip = 0;
    machine.app.quit_requested = 1;
}

int startup_stage(int n) {
    if (n == 0) {
        if (display_set_mode(640, 480, 16, 1) != 0) return 0;
        if (!allocate_work_block()) return 0;
        display_show_loading_picture();
        return 1;
    }
    if (n >= 1 && n <= 7) {
        if (!machine.app.skip_loading_pauses) platform_sleep(100);
        if (!load_rom_image(n)) return 0;
        if (n == 1) draw_text_fixed("LOADING", 240, 194, 0, 0xFFFF, 1);
        display_progress_mark(n);
        return 1;
    }
    if (n == 8) return machine_reset();
    return 0;
}

int machine_reset() {
    display_progress_mark(8);
    timer_init();

    BoardState& board = machine.board;
    std::memset(board.work_ram, 0, sizeof board.work_ram);
    std::memset(board.backup_ram, 0, sizeof board.backup_ram);
    std::memset(board.extra_ram, 0, sizeof board.extra_ram);
    std::memset(board.palette_ram, 0, sizeof board.palette_ram);
    std::memset(machine.video.vram, 0, 34'304 * sizeof(uint16_t));

    machine.video.animation_speed = 4;
    machine.video.animation_counter_a = 0;
    machine.video.vram_address = 0;
    machine.video.vram_modulo = 0;
    machine.video.mode = 0;
    board.pulse_counter = 0;

    if (machine.app.sound_enabled) start_sound();

    compute_fix_flags();
    sound_timeline_reset();

    install_bios_vectors();
    patch_bios();
    save_read();

    fill_handler_tables();
    main_cpu_reset();

    board.dip_switches |= 0x01;
    machine.app.quit_requested = 0;
    machine.host.display.starting = 0;

    if (machine.settings.video_flags & VF_8BIT) {
        std::memset(machine.host.display.entries, 0, sizeof machine.host.display.entries);
        machine.host.display.entries[1][0] = 248;
        machine.host.display.entries[1][1] = 248;
        machine.host.display.entries[1][2] = 248;
        palette_upload(1, 255);
    }
    return apply_video_flags();
}
