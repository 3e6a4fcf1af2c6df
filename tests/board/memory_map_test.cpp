#include <gtest/gtest.h>

#include <vector>

#include "board_fixture.h"

namespace {

struct ReadCase {
    const char* what;
    Size size;
    uint32_t address;
    uint32_t expected;
};

std::ostream& operator<<(std::ostream& out, const ReadCase& c) {
    return out << c.what;
}

class PageReadTest : public BoardTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(PageReadTest, ReadsWhatThePageHolds) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(bus_read(c.size, c.address), c.expected) << std::hex << "address 0x" << c.address;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageReadTest,
    ::testing::Values(ReadCase{"program ROM byte, high half", Size::byte, 0x000100, 0x12},
                      ReadCase{"program ROM byte, low half", Size::byte, 0x000101, 0x34},
                      ReadCase{"program ROM word", Size::word, 0x000100, 0x1234},
                      ReadCase{"program ROM long", Size::lng, 0x000100, 0x12345678},
                      ReadCase{"odd word address reads the word below", Size::word, 0x000101, 0x1234},
                      ReadCase{"long crossing from ROM into work RAM", Size::lng, 0x0FFFFE, 0x0FFEAA00},
                      ReadCase{"work RAM first word", Size::word, 0x100000, 0xAA00},
                      ReadCase{"work RAM last word", Size::word, 0x10FFFE, 0xAAFE},
                      ReadCase{"work RAM long crossing into unmapped page", Size::lng, 0x10FFFE, 0xAAFEFFFF},
                      ReadCase{"no work RAM mirror, byte", Size::byte, 0x110000, 0xFF},
                      ReadCase{"no work RAM mirror, word", Size::word, 0x1F0000, 0xFFFF},
                      ReadCase{"no work RAM mirror, long", Size::lng, 0x110000, 0xFFFFFFFF},
                      ReadCase{"bank window starts at the second MiB", Size::word, 0x200000, 0xBA00},
                      ReadCase{"bank window long", Size::lng, 0x200000, 0xBA00BA02},
                      ReadCase{"bank window last word", Size::word, 0x2FFFFE, 0xBAFE},
                      ReadCase{"player 1 byte", Size::byte, 0x300000, 0x11},
                      ReadCase{"word at 0x300000 is unmapped", Size::word, 0x300000, 0xFFFF},
                      ReadCase{"long at 0x300000 is unmapped", Size::lng, 0x300000, 0xFFFFFFFF},
                      ReadCase{"DIP byte at 0x300001", Size::byte, 0x300001, 0x44},
                      ReadCase{"DIP byte at 0x30FFFF", Size::byte, 0x30FFFF, 0x44},
                      ReadCase{"page 0x31 unmapped", Size::byte, 0x310000, 0xFF},
                      ReadCase{"sound reply", Size::byte, 0x320000, 0x55},
                      ReadCase{"system status: no pulse, coin bits", Size::byte, 0x320001, 0xFE},
                      ReadCase{"rest of page 0x32", Size::byte, 0x320002, 0xFF},
                      ReadCase{"word of page 0x32", Size::word, 0x320000, 0xFFFF},
                      ReadCase{"player 2 byte", Size::byte, 0x340000, 0x22},
                      ReadCase{"rest of page 0x34", Size::byte, 0x340001, 0xFF},
                      ReadCase{"start/select byte", Size::byte, 0x380000, 0x33},
                      ReadCase{"rest of page 0x38", Size::byte, 0x38FFFF, 0xFF},
                      ReadCase{"system latch page reads nothing", Size::byte, 0x3A0003, 0xFF},
                      ReadCase{"bytes never reach the video chip", Size::byte, 0x3C0000, 0xFF},
                      ReadCase{"palette word", Size::word, 0x400000, 0x0C00},
                      ReadCase{"palette byte", Size::byte, 0x400000, 0x0C},
                      ReadCase{"palette word mirrored every 8 KiB", Size::word, 0x40E000, 0x0C00},
                      ReadCase{"palette byte past 8 KiB reads the mirror", Size::byte, 0x402000, 0x0C},
                      ReadCase{"palette long wraps inside the bank", Size::lng, 0x401FFE, 0x0CFE0C00},
                      ReadCase{"palette long crossing into page 0x41", Size::lng, 0x40FFFE, 0x0CFEFFFF},
                      ReadCase{"page 0x41 unmapped", Size::word, 0x410000, 0xFFFF},
                      ReadCase{"extra RAM byte", Size::byte, 0x500001, 0xE1},
                      ReadCase{"extra RAM word is unmapped", Size::word, 0x500000, 0xFFFF},
                      ReadCase{"extra RAM long is unmapped", Size::lng, 0x500000, 0xFFFFFFFF},
                      ReadCase{"memory card word", Size::word, 0x800000, 0xCA00},
                      ReadCase{"memory card mirrored every 4 KiB", Size::word, 0x80F000, 0xCA00},
                      ReadCase{"memory card long wraps inside 4 KiB", Size::lng, 0x800FFE, 0xCAFECA00},
                      ReadCase{"page 0x81 unmapped", Size::byte, 0x810000, 0xFF},
                      ReadCase{"BIOS first word", Size::word, 0xC00000, 0xB105},
                      ReadCase{"BIOS last word", Size::word, 0xC1FFFE, 0xB1FE},
                      ReadCase{"BIOS last long crosses into page 0xC2", Size::lng, 0xC1FFFE, 0xB1FEFFFF},
                      ReadCase{"page 0xC2 unmapped", Size::word, 0xC20000, 0xFFFF},
                      ReadCase{"backup RAM", Size::word, 0xD00000, 0xBB00},
                      ReadCase{"page 0xD1 unmapped", Size::lng, 0xD10000, 0xFFFFFFFF},
                      ReadCase{"last page unmapped", Size::byte, 0xFFFFFF, 0xFF}));

struct WriteCase {
    const char* what;
    Size size;
    uint32_t address;
    uint32_t value;
    Size read_size;
    uint32_t read_address;
    uint32_t expected;
};

std::ostream& operator<<(std::ostream& out, const WriteCase& c) {
    return out << c.what;
}

class PageWriteTest : public BoardTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(PageWriteTest, WriteLandsWhereThePageSays) {
    const WriteCase& c = GetParam();
    bus_write(c.size, c.address, c.value);
    EXPECT_EQ(bus_read(c.read_size, c.read_address), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageWriteTest,
    ::testing::Values(
        WriteCase{"program ROM ignores writes", Size::word, 0x000100, 0, Size::word, 0x000100, 0x1234},
        WriteCase{"work RAM byte", Size::byte, 0x100011, 0xAB, Size::word, 0x100010, 0x00AB},
        WriteCase{"work RAM word", Size::word, 0x10FFFE, 0xBEEF, Size::word, 0x10FFFE, 0xBEEF},
        WriteCase{"work RAM long, second half", Size::lng, 0x100010, 0x11223344, Size::word, 0x100012,
                  0x3344},
        WriteCase{"work RAM long, first half", Size::lng, 0x100010, 0x11223344, Size::byte, 0x100010, 0x11},
        WriteCase{"work RAM long crossing the page keeps only its first word", Size::lng, 0x10FFFE,
                  0xCAFEF00D, Size::lng, 0x10FFFE, 0xCAFEFFFF},
        WriteCase{"unmapped page ignores writes", Size::word, 0x110000, 0x1234, Size::word, 0x100000, 0xAA00},
        WriteCase{"bank window ignores writes", Size::word, 0x200000, 0, Size::word, 0x200000, 0xBA00},
        WriteCase{"palette word at 0x401FFE", Size::word, 0x401FFE, 0x7FFF, Size::word, 0x403FFE, 0x7FFF},
        WriteCase{"palette word at 0x403FFE", Size::word, 0x403FFE, 0x1357, Size::word, 0x401FFE, 0x1357},
        WriteCase{"palette long: colour 15", Size::lng, 0x40001E, 0xAAAABBBB, Size::word, 0x40001E, 0xAAAA},
        WriteCase{"palette long: next colour 0", Size::lng, 0x40001E, 0xAAAABBBB, Size::word, 0x400020,
                  0xBBBB},
        WriteCase{"palette long wraps inside the bank", Size::lng, 0x40DFFE, 0x12345678, Size::word, 0x400000,
                  0x5678},
        WriteCase{"palette byte mirrored", Size::byte, 0x406001, 0x99, Size::word, 0x400000, 0x0C99},
        WriteCase{"extra RAM byte", Size::byte, 0x500001, 0x5A, Size::byte, 0x500001, 0x5A},
        WriteCase{"extra RAM ignores words", Size::word, 0x500000, 0x1234, Size::byte, 0x500000, 0xE0},
        WriteCase{"extra RAM ignores longs", Size::lng, 0x500000, 0x12345678, Size::byte, 0x500001, 0xE1},
        WriteCase{"memory card byte through the mirror", Size::byte, 0x80F001, 0x77, Size::byte, 0x800001,
                  0x77},
        WriteCase{"memory card long wraps inside 4 KiB", Size::lng, 0x801FFE, 0x11112222, Size::word,
                  0x800000, 0x2222},
        WriteCase{"BIOS ignores writes", Size::lng, 0xC00000, 0, Size::word, 0xC00000, 0xB105},
        WriteCase{"backup RAM word", Size::word, 0xD01234, 0x4321, Size::word, 0xD01234, 0x4321},
        WriteCase{"backup RAM long", Size::lng, 0xD0FFFC, 0x89ABCDEF, Size::word, 0xD0FFFE, 0xCDEF},
        WriteCase{"video page ignores bytes", Size::byte, 0x3C0000, 0x12, Size::byte, 0x3C0000, 0xFF}));

// The dirty flag of each 16-colour palette a write reaches.
struct DirtyCase {
    const char* what;
    Size size;
    uint32_t address;
    std::vector<int> dirty;
};

std::ostream& operator<<(std::ostream& out, const DirtyCase& c) {
    return out << c.what;
}

class PaletteDirtyTest : public BoardTest, public ::testing::WithParamInterface<DirtyCase> {};

TEST_P(PaletteDirtyTest, MarksThePaletteOfTheWrite) {
    const DirtyCase& c = GetParam();
    bus_write(c.size, c.address, 0x1234);
    std::vector<int> dirty;
    for (int group = 0; group < 256; ++group)
        if (machine.board.palette_dirty[group]) dirty.push_back(group);
    EXPECT_EQ(dirty, c.dirty);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, PaletteDirtyTest,
    ::testing::Values(DirtyCase{"byte", Size::byte, 0x400021, {1}},
                      DirtyCase{"word in the mirror", Size::word, 0x40BFE0, {255}},
                      DirtyCase{"long marks only its first word's palette", Size::lng, 0x40001E, {0}},
                      DirtyCase{"long inside one palette", Size::lng, 0x400044, {2}},
                      DirtyCase{"writes elsewhere mark nothing", Size::byte, 0x3C0000, {}}));

TEST_F(BoardTest, PaletteBankSwitchesAllAccessesAndTheVideoFlag) {
    set_palette_bank(1);
    EXPECT_EQ(machine.board.palette_bank_flag, 0xFF);
    EXPECT_EQ(bus_read(Size::word, 0x400000), 0x1C00u);
    bus_write(Size::word, 0x400002, 0x0111);
    bus_write(Size::byte, 0x400004, 0x22);
    bus_write(Size::lng, 0x400008, 0x03330444);
    EXPECT_EQ(peek_word(machine.board.palette_ram[1], 2), 0x0111);
    EXPECT_EQ(peek_word(machine.board.palette_ram[1], 4), 0x2200);
    EXPECT_EQ(bus_read(Size::lng, 0x400008), 0x03330444u);
    EXPECT_EQ(peek_word(machine.board.palette_ram[0], 2), 0) << "bank 0 untouched";

    set_palette_bank(0);
    EXPECT_EQ(machine.board.palette_bank_flag, 0x00);
    EXPECT_EQ(bus_read(Size::byte, 0x400000), 0x0Cu);
}

TEST_F(BoardTest, LockedBackupRamIgnoresEveryWriteSizeUntilUnlocked) {
    lock_backup_ram();
    bus_write(Size::byte, 0xD00001, 0x11);
    bus_write(Size::word, 0xD00002, 0x2222);
    bus_write(Size::lng, 0xD00004, 0x33334444);
    EXPECT_EQ(bus_read(Size::lng, 0xD00000), 0xBB000000u);
    EXPECT_EQ(bus_read(Size::lng, 0xD00004), 0u);
    EXPECT_EQ(bus_read(Size::word, 0xD00000), 0xBB00u) << "reads still served";

    unlock_backup_ram();
    bus_write(Size::byte, 0xD00001, 0x11);
    bus_write(Size::lng, 0xD00004, 0x33334444);
    EXPECT_EQ(bus_read(Size::word, 0xD00000), 0xBB11u);
    EXPECT_EQ(bus_read(Size::lng, 0xD00004), 0x33334444u);
}

TEST_F(BoardTest, FetchRegionsMapTheCodeMemories) {
    const FetchRegion* fetch = machine.bus.fetch;
    EXPECT_EQ(fetch[0].memory, machine.roms.program_rom);
    EXPECT_EQ(fetch[0].size, 0x100000u);
    EXPECT_EQ(fetch[1].memory, machine.board.work_ram);
    EXPECT_EQ(fetch[1].start, 0x100000u);
    EXPECT_EQ(fetch[1].size, WORK_RAM_SIZE) << "only the 64 KiB of work RAM exist";
    EXPECT_EQ(fetch[2].memory, machine.roms.program_rom + 0x100000);
    EXPECT_EQ(fetch[2].start, 0x200000u);
    EXPECT_EQ(fetch[2].size, 0x100000u);
    EXPECT_EQ(fetch[12].memory, machine.roms.bios);
    EXPECT_EQ(fetch[12].start, 0xC00000u);
    EXPECT_EQ(fetch[12].size, BIOS_IMAGE_SIZE);
    for (int region : {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15}) {
        EXPECT_EQ(fetch[region].memory, nullptr) << "region " << region;
        EXPECT_EQ(fetch[region].size, 0u) << "region " << region;
    }
}

// Bank select: every size of write at 0x2FFFF0-0x2FFFFF; the 2 MiB image has one bank, so every
// bank number shows its second MiB and the window never reaches past the image.
struct BankCase {
    Size size;
    uint32_t address;
    uint32_t value;
    uint32_t expected_bank; // ROM bank recorded, or ~0 when the write is ignored
};

class BankSelectTest : public BoardTest, public ::testing::WithParamInterface<BankCase> {};

TEST_P(BankSelectTest, WindowStaysInsideTheImage) {
    const BankCase& c = GetParam();
    machine.board.rom_bank = 0x77;
    bus_write(c.size, c.address, c.value);
    if (c.expected_bank == ~0u) {
        EXPECT_EQ(machine.board.rom_bank, 0x77u) << "ignored";
    } else {
        EXPECT_EQ(machine.board.rom_bank, c.expected_bank);
    }
    const FetchRegion& window = machine.bus.fetch[2];
    ASSERT_NE(window.memory, nullptr);
    EXPECT_GE(window.memory, machine.roms.program_rom);
    EXPECT_LE(window.memory + window.size, machine.roms.program_rom + PROGRAM_ROM_IMAGE_SIZE);
    EXPECT_EQ(bus_read(Size::word, 0x200000), 0xBA00u);
    EXPECT_EQ(bus_read(Size::word, 0x2FFFFE), 0xBAFEu);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, BankSelectTest,
    ::testing::Values(BankCase{Size::byte, 0x2FFFF0, 0, 0}, BankCase{Size::byte, 0x2FFFFF, 1, 1},
                      BankCase{Size::word, 0x2FFFF0, 0xFF02, 2}, BankCase{Size::lng, 0x2FFFF8, 0x12345673, 3},
                      BankCase{Size::byte, 0x2FFFEF, 1, ~0u}, BankCase{Size::word, 0x2F0000, 1, ~0u}));

// A smaller program ROM: 1 MiB or less mirrors the first MiB and ignores bank writes; 1.5 MiB
// leaves the window's second half unmapped.
TEST_F(BoardTest, SmallerProgramRomKeepsTheWindowInsideIt) {
    machine.roms.program_rom_size = 0x100000;
    fill_handler_tables();
    EXPECT_EQ(bus_read(Size::word, 0x200100), 0x1234u) << "mirror of region 0";
    bus_write(Size::byte, 0x2FFFF0, 1);
    EXPECT_EQ(machine.board.rom_bank, 0u);
    EXPECT_EQ(bus_read(Size::word, 0x200100), 0x1234u);

    machine.roms.program_rom_size = 0x180000;
    fill_handler_tables();
    bus_write(Size::byte, 0x2FFFF0, 3);
    EXPECT_EQ(machine.bus.fetch[2].size, 0x80000u);
    EXPECT_EQ(bus_read(Size::word, 0x200000), 0xBA00u);
    EXPECT_EQ(bus_read(Size::word, 0x27FFFE), 0u);
    EXPECT_EQ(bus_read(Size::word, 0x280000), 0xFFFFu) << "past the image";
    EXPECT_EQ(bus_read(Size::lng, 0x27FFFE), 0x0000FFFFu) << "a long straddling the end reads ones past it";
    EXPECT_EQ(bus_read(Size::byte, 0x2FFFFF), 0xFFu);
}

} // namespace
