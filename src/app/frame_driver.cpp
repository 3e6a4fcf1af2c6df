// The frame driver: waits for each frame's due time, emulates the board one frame at a time,
// skips the drawing of frames when the host falls behind, draws and presents the last frame, and
// hands Escape to the in-game menu.
#include "app/frame.h"
#include "app/profiler.h"
#include "board/board.h"
#include "cpu68k/cpu68k.h"
#include "cpuz80/cpuz80.h"
#include "host/audio.h"
#include "host/display.h"
#include "host/flags.h"
#include "host/input.h"
#include "host/platform/platform.h"
#include "machine.h"
#include "menu/menu.h"
#include "sound/sound.h"
#include "video/video.h"

namespace {

constexpr int32_t MAIN_CPU_CYCLES_PER_FRAME = 208'333;
constexpr int AUDIO_BLOCKS_PER_FRAME = 4;
constexpr uint8_t ESCAPE_SCAN_CODE = 1;

// Due-time differences in ticks (now minus due; negative while early).
constexpr int32_t EARLY_ENOUGH_TO_WAIT = -10;  // more than 1 ms early
constexpr int32_t EARLY_ENOUGH_TO_SLEEP = -20; // more than 2 ms early
constexpr uint32_t SLEEP_MILLISECONDS = 2;
constexpr int32_t TIMER_WENT_BACK = -4096; // 409.6 ms: the timer jumped backwards
// Late frames are emulated without drawing while skip_count stays below this (10 in a row).
constexpr int32_t SKIP_LIMIT = 11;
constexpr int32_t FRAMES_PER_SKIP_CYCLE = 11; // the budget is renewed when a cycle has more

int32_t ticks_past_due(uint32_t now) {
    return static_cast<int32_t>(now - machine.app.frame.next_frame_time);
}

bool escape_down() {
    return machine.host.input.keyboard[ESCAPE_SCAN_CODE] != 0;
}

// Waits until the next frame is due. Sleeps while more than 2 ms remain (kinder to a shared host
// than spinning through the whole wait) and spins on the timer for the rest.
// A timer that is 4096 ticks or more behind the due time went backwards (the low 32 bits of the
// counter wrapped): the due time is re-based to the reading that found it, so the wait ends at
// once and the following frames are paced from there.
void wait_for_due_time() {
    uint32_t now = timer_now();
    int32_t d = ticks_past_due(now);
    if (d >= EARLY_ENOUGH_TO_WAIT && d > TIMER_WENT_BACK) return;
    while (d < 0) {
        if (d <= TIMER_WENT_BACK) {
            machine.app.frame.next_frame_time = now;
            return;
        }
        if (d < EARLY_ENOUGH_TO_SLEEP) platform_sleep(SLEEP_MILLISECONDS);
        now = timer_now();
        d = ticks_past_due(now);
    }
}

void run_sound_frame() {
    {
        ProfileScope zone(ZONE_SOUND_CPU);
        run_sound_cpu(SOUND_CYCLES_PER_FRAME, true);
        // The sound program expects at least one maskable interrupt per frame.
        if (machine.sound_cpu.interrupt_accepted == 0) sound_cpu_interrupt(0);
        machine.sound_cpu.interrupt_accepted = 0;
    }
    {
        ProfileScope zone(ZONE_SOUND_CHIP);
        audio_render_to_now(0, true);
    }
    for (int block = 0; block < AUDIO_BLOCKS_PER_FRAME; ++block)
        if (!audio_send_block()) break;
    machine.sound_timing.sound_time -= SOUND_CYCLES_PER_FRAME;
}

void reset_input_bytes() {
    BoardState& board = machine.board;
    board.player1 = 0xFF;
    board.player2 = 0xFF;
    board.start_select = 0xFF;
    board.coin = 0x03;
}

void draw_picture_8bit(bool bank_changed) {
    if (bank_changed) reset_kept_palettes();
    collect_sprite_palettes();
    collect_fix_palettes();
    allocate_host_palette();
    render_sprites();
    render_fix_layer();
    const VideoState& video = machine.video;
    if (!machine.menu.menu_open && video.palette_changed_high != 0)
        palette_upload(video.palette_changed_low, video.palette_changed_high - video.palette_changed_low + 1);
}

void draw_picture_16bit(bool bank_changed) {
    if (bank_changed)
        convert_all_palettes();
    else
        convert_dirty_palettes();
    render_sprites();
    render_fix_layer();
}

void run_menu() {
    FrameTimerState& timer = machine.app.frame;
    if (machine.menu.menu_open) {
        menu_frame();
        return;
    }
    if (!escape_down()) {
        timer.escape_armed = 1;
    } else if (timer.escape_armed) {
        menu_enter();
        timer.escape_armed = 0;
    }
}

} // namespace

void emulate_frame() {
    {
        ProfileScope zone(ZONE_MAIN_CPU);
        main_cpu_run(MAIN_CPU_CYCLES_PER_FRAME);
    }
    {
        ProfileScope zone(ZONE_VIDEO);
        video_frame_tick();
    }
    machine.board.pulse_counter += 1;
    if (machine.app.sound_enabled) run_sound_frame();
    reset_input_bytes();
    input_poll();
    machine.app.frame.frames_emulated += 1;
}

void draw_frame() {
    FrameTimerState& timer = machine.app.frame;
    const bool bank_changed = machine.board.palette_bank != timer.drawn_palette_bank;
    timer.drawn_palette_bank = machine.board.palette_bank;
    {
        ProfileScope zone(ZONE_VIDEO);
        if (machine.settings.video_flags & VF_8BIT)
            draw_picture_8bit(bank_changed);
        else
            draw_picture_16bit(bank_changed);
    }
    run_menu();
    {
        ProfileScope zone(ZONE_SCALER);
        display_draw_frame();
    }
    timer.frames_drawn += 1;
}

void frame_step() {
    FrameTimerState& timer = machine.app.frame;
    // While the menu is open the board is frozen: nothing is emulated and nothing waits.
    if (!machine.menu.menu_open) {
        wait_for_due_time();
        for (;;) {
            emulate_frame();
            // Holding Escape leaves the due time where it is, so the frames after the press
            // catch up without waiting.
            if (escape_down()) break;
            timer.frame_period ^= 1;
            timer.next_frame_time += static_cast<uint32_t>(timer.frame_period);
            timer.frames_in_cycle += 1;
            if (ticks_past_due(timer_now()) < 0) break;
            // Late: emulate the next frame without drawing this one, at most 10 in a row; then
            // draw anyway and give up catching up.
            timer.skip_count += 1;
            if (timer.skip_count < SKIP_LIMIT) continue;
            timer.next_frame_time = timer_now() + static_cast<uint32_t>(timer.frame_period);
            break;
        }
    }
    if (timer.frames_in_cycle > FRAMES_PER_SKIP_CYCLE) {
        timer.frames_in_cycle = 0;
        timer.skip_count = 0;
    }
    draw_frame();
}
