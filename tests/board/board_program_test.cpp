// A small 68000 program run through frame_step: the level-1 interrupt enters its handler once per
// frame, and the handler counts frames, reads the player 1 byte and writes palette and backup RAM
// through the board's handlers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/frame.h"
#include "board/board.h"
#include "cpu68k/cpu68k.h"
#include "machine.h"
#include "support/machine_fixture.h"

namespace {

constexpr uint32_t STACK = 0x0010F000;
constexpr uint32_t START = 0x000400;
constexpr uint32_t HANDLER = 0x000500;
constexpr uint32_t LEVEL1_VECTOR = 25 * 4;

const std::vector<uint16_t> MAIN_CODE = {
    0x46FC, 0x2000, // MOVE #$2000,SR     supervisor, interrupt mask 0
    0x60FE,         // BRA.S *            wait for the frame's interrupt
};

const std::vector<uint16_t> HANDLER_CODE = {
    0x5279, 0x0010, 0x0000, // ADDQ.W #1,$100000    frame count in work RAM
    0x1039, 0x0030, 0x0000, // MOVE.B $300000,D0    player 1 byte
    0x13C0, 0x00D0, 0x0001, // MOVE.B D0,$D00001    into backup RAM
    0x3239, 0x0010, 0x0000, // MOVE.W $100000,D1
    0x33C1, 0x0040, 0x0002, // MOVE.W D1,$400002    palette 0, colour 1
    0x4E73,                 // RTE
};

class BoardProgramTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        machine.roms.program_rom_size = PROGRAM_ROM_IMAGE_SIZE;
        put_long(0, STACK);
        put_long(4, START);
        put_long(LEVEL1_VECTOR, HANDLER);
        put_code(START, MAIN_CODE);
        put_code(HANDLER, HANDLER_CODE);
        fill_handler_tables();
        main_cpu_reset();
        timer_init();
        reset_pacing();
    }

    static void put_word(uint32_t address, uint16_t value) {
        std::memcpy(machine.roms.program_rom + address, &value, 2);
    }
    static void put_long(uint32_t address, uint32_t value) {
        put_word(address, static_cast<uint16_t>(value >> 16));
        put_word(address + 2, static_cast<uint16_t>(value));
    }
    static void put_code(uint32_t address, const std::vector<uint16_t>& words) {
        for (uint16_t word : words) {
            put_word(address, word);
            address += 2;
        }
    }
    static uint16_t word_at(const uint8_t* block, uint32_t offset) {
        uint16_t value;
        std::memcpy(&value, block + offset, 2);
        return value;
    }
};

TEST_F(BoardProgramTest, InterruptHandlerRunsOncePerFrameThroughTheHandlers) {
    // The first run starts with the mask at 7 from the reset, so its interrupt offer is refused.
    for (uint8_t frame = 1; frame <= 6; ++frame) {
        machine.board.player1 = static_cast<uint8_t>(0xF0 | frame); // as the poll leaves it
        frame_step();
        const uint16_t count = word_at(machine.board.work_ram, 0);
        EXPECT_EQ(count, frame - 1) << "frame " << int{frame};
        if (frame > 1) {
            EXPECT_EQ(machine.board.backup_ram[0], 0xF0 | frame) << "the byte at 0xD00001 is host byte 0";
            // (Its dirty flag is already consumed by the frame's palette conversion.)
            EXPECT_EQ(word_at(machine.board.palette_ram[0], 2), count);
        }
    }
    EXPECT_EQ(machine.board.pulse_counter, 6u);
    EXPECT_EQ(machine.app.frame.frames_drawn, 6u);
    EXPECT_LT(machine.main_cpu.cycles_left, 0) << "each run uses its whole budget";

    // With backup RAM locked the handler's write is ignored.
    lock_backup_ram();
    machine.board.player1 = 0x00;
    frame_step();
    EXPECT_EQ(machine.board.backup_ram[0], 0xF6);
    EXPECT_EQ(word_at(machine.board.work_ram, 0), 6);
}

} // namespace
