// The board's I/O registers behind pages 0x30-0x3A: system status with its pulse bit, the sound
// command latch (and the catch-up of the sound CPU it triggers), and the system latch.
#include "app/rom_images.h"
#include "board/board.h"
#include "cpuz80/cpuz80.h"
#include "machine.h"
#include "sound/sound.h"

namespace {

// ---- the system latch: one action per register (address bits 4-0) ---------------------------

using LatchAction = void (*)();

void no_action() {}
void palette_bank_1() {
    set_palette_bank(1);
}
void palette_bank_0() {
    set_palette_bank(0);
}

constexpr LatchAction LATCH_ACTIONS[32] = {
    no_action, no_action,         no_action, select_bios_vectors, // 0x00-0x03
    no_action, no_action,         no_action, no_action,           // 0x04-0x07
    no_action, no_action,         no_action, select_bios_vectors, // 0x08-0x0B
    no_action, lock_backup_ram,   no_action, palette_bank_1,      // 0x0C-0x0F
    no_action, no_action,         no_action, select_game_vectors, // 0x10-0x13
    no_action, no_action,         no_action, no_action,           // 0x14-0x17
    no_action, no_action,         no_action, select_game_vectors, // 0x18-0x1B
    no_action, unlock_backup_ram, no_action, palette_bank_0,      // 0x1C-0x1F
};

} // namespace

// Sound CPU cycles of the frame that correspond to the main CPU's position in its run. Early in a
// run (more cycles left than the reference, or a carry-over from the previous run) the difference
// is negative: the sound CPU is then at the start of its frame already and the target is 0, rather
// than letting it race to the end of the frame ahead of the main CPU.
int32_t sound_catch_up_target(int32_t cycles_left) {
    const int64_t main_cycles = int64_t{SOUND_SYNC_REFERENCE} - cycles_left;
    return main_cycles <= 0 ? 0 : static_cast<int32_t>(main_cycles / MAIN_TO_SOUND_RATIO);
}

// The pulse bit (6) reads 0 when the counter has reached 64 frames; that read restarts it at 1.
uint32_t system_status_read() {
    BoardState& board = machine.board;
    const uint32_t pulse = board.pulse_counter & 0x40;
    if (pulse) board.pulse_counter = 1;
    return (~pulse & 0xFC) | (board.coin & 0x03);
}

void sound_command_write(uint8_t value) {
    BoardState& board = machine.board;
    board.sound_reply = value;
    board.command_copy = value;
    if (machine.app.sound_enabled) {
        run_sound_cpu(sound_catch_up_target(machine.main_cpu.cycles_left), false);
        board.sound_reply &= 0x7F;
        if (board.nmi_enabled) {
            sound_cpu_nmi();
            machine.sound_timing.sound_time += SOUND_NMI_CYCLES;
            board.sound_command = value;
        }
    }
    machine.main_cpu.cycles_left -= SOUND_COMMAND_CHARGE;
}

void system_latch_write(uint32_t address) {
    LATCH_ACTIONS[address & 0x1F]();
}
