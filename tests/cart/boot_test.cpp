// The demo cartridge on the whole machine: it boots through the board's logo to the title
// screen, and both idle mechanisms engage. Runs once the CPU, board, video and sound cores have
// replaced their stand-ins.
#include <gtest/gtest.h>

#include "app/frame.h"
#include "cart_machine.h"
#include "machine.h"

namespace {

constexpr int kLogoShownBy = 10; // frames after start-up
constexpr int kTitleShownBy = 130;

class CartBoot : public CartMachineTest {
  protected:
    uint16_t fix_entry(int column, int row) const { return machine.video.vram[0x7000 + 32 * column + row]; }
    uint16_t program_word(uint32_t address) const {
        return static_cast<uint16_t>(machine.roms.program_rom[address] | machine.roms.program_rom[address + 1]
                                                                             << 8);
    }
    uint32_t program_long(uint32_t address) const {
        return static_cast<uint32_t>(program_word(address)) << 16 | program_word(address + 2);
    }
};

TEST_F(CartBoot, ShowsTheBoardLogoThenTheTitle) {
    const uint8_t* board_tiles = machine.roms.fix_rom_base + 262'144;
    int logo_at = -1, title_at = -1;
    for (int frame = 1; frame <= kTitleShownBy && title_at < 0; ++frame) {
        emulate_frame();
        draw_frame();
        if (logo_at < 0 && machine.roms.current_fix_rom == board_tiles && fix_entry(12, 17) == 'Q')
            logo_at = frame;
        if (machine.roms.current_fix_rom == machine.roms.fix_rom_base && fix_entry(12, 14) == (0x2000 | 'H'))
            title_at = frame;
    }
    EXPECT_GE(logo_at, 1);
    EXPECT_LE(logo_at, kLogoShownBy);
    EXPECT_GT(title_at, logo_at);
    EXPECT_LE(title_at, kTitleShownBy);
}

TEST_F(CartBoot, BothIdleMechanismsEngage) {
    ASSERT_EQ(machine.app.sound_program[0x13C], 0xED) << "the sound program's waiting loop was not hooked";
    const uint32_t idle = program_long(0x108);
    ASSERT_EQ(program_word(idle), 0x60FE);
    int sound_waiting = 0;
    for (int frame = 1; frame <= kTitleShownBy + 60; ++frame) {
        emulate_frame();
        // Between the frame's last events the sound CPU only waits: its runs end in the hooked loop
        // (0x133-0x13D), one instruction into it at most.
        const uint16_t pc = machine.sound_cpu.context.pc;
        sound_waiting += pc >= 0x133 && pc <= 0x13D;
    }
    EXPECT_EQ(program_word(idle), 0xA0FE) << "the frame tick rewrites the game's idle branch";
    EXPECT_GT(sound_waiting, kTitleShownBy / 2) << "sound CPU runs end in the hooked waiting loop";
}

} // namespace
