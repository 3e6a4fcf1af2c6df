// The sound CPU's port map: the command latch and reply, the sound chip's four ports, the NMI
// enable and the four bank windows onto the sound program.
#include <cstring>

#include "app/app_state.h"
#include "board/board.h"
#include "machine.h"
#include "sound/sound.h"

namespace {

// One bank window of the sound CPU: its first address, its size and the bank-offset table entry
// that moves it.
struct SoundBankWindow {
    uint32_t start;
    uint32_t size;
    uint32_t entry;
};

// Ports 8, 9, 0xA and 0xB, in that order.
constexpr SoundBankWindow BANK_WINDOWS[4] = {
    {0xF000, 0x0800, 4},
    {0xE000, 0x1000, 3},
    {0xC000, 0x2000, 2},
    {0x8000, 0x4000, 1},
};

// The bank number comes from the high byte of the port. Numbers whose window would lie past the
// end of the sound program wrap onto the program (its size is a power of two, so the wrap is a
// mask): the core reads banked memory directly, so no read may ever leave the image.
uint32_t select_sound_bank(uint32_t window_index, uint32_t port) {
    const SoundBankWindow& window = BANK_WINDOWS[window_index];
    const uint32_t banks = SOUND_PROGRAM_SIZE / window.size;
    const uint32_t bank = (port >> 8) & (banks - 1);
    machine.sound_cpu.bank_offset[window.entry] =
        static_cast<int32_t>(bank * window.size) - static_cast<int32_t>(window.start);
    return 0;
}

static_assert((SOUND_PROGRAM_SIZE & (SOUND_PROGRAM_SIZE - 1)) == 0, "the bank wrap is a mask");

} // namespace

void build_sound_bank_map() {
    SoundCpuState& cpu = machine.sound_cpu;
    std::memset(cpu.bank_offset, 0, sizeof cpu.bank_offset);
    std::memset(cpu.bank_slot, 0, sizeof cpu.bank_slot);
    // Slot bytes are multiples of 4 that select an entry of the bank offset table; 0x0000-0x7FFF
    // and 0xF800-0xFFFF keep entry 0, which never moves.
    for (const SoundBankWindow& window : BANK_WINDOWS)
        std::memset(&cpu.bank_slot[window.start], static_cast<int>(window.entry * 4), window.size);
}

uint32_t sound_port_read(uint32_t port, const PortHandlerEntry*) {
    const uint32_t low = port & 0xFF;
    switch (low) {
    case 0x00:
        machine.board.sound_reply = machine.board.command_copy;
        return machine.board.sound_command;
    case 0x04:
    case 0x05:
    case 0x06:
        return chip_read(static_cast<int>(low - 0x04));
    case 0x08:
    case 0x09:
    case 0x0A:
    case 0x0B:
        return select_sound_bank(low - 0x08, port);
    default:
        return low;
    }
}

void sound_port_write(uint32_t port, uint32_t value, const PortHandlerEntry*) {
    const uint8_t byte = static_cast<uint8_t>(value);
    switch (port & 0xFF) {
    case 0x04:
    case 0x05:
    case 0x06:
    case 0x07:
        chip_write(static_cast<int>((port & 0xFF) - 0x04), byte);
        break;
    case 0x08:
        machine.board.nmi_enabled = 1;
        break;
    case 0x0C:
        machine.board.sound_reply = byte;
        break;
    case 0x18:
        machine.board.nmi_enabled = 0;
        break;
    default:
        break;
    }
}

const PortHandlerEntry sound_port_read_list[] = {
    {0x0000, 0xFFFE, sound_port_read, nullptr, 0},
    {0xFFFF, 0xFFFF, nullptr, nullptr, 0},
};
const PortHandlerEntry sound_port_write_list[] = {
    {0x0000, 0xFFFE, nullptr, sound_port_write, 0},
    {0xFFFF, 0xFFFF, nullptr, nullptr, 0},
};
