// The menu's colours, the dimming of the picture behind it and its text drawing.
#include <cstring>

#include "host/flags.h"
#include "machine.h"
#include "menu/menu.h"
#include "menu_fixture.h"

namespace {

struct Ramp16Case {
    const char* name;
    uint32_t red_mask, green_mask, blue_mask;
    uint16_t grey_first;     // ramp 0, entry 0
    uint16_t item_last;      // ramp 1, entry 7
    uint16_t selected_first; // ramp 2, entry 0
    uint16_t white;          // a white game pixel ...
    uint16_t white_dimmed;   // ... behind the menu
};

void PrintTo(const Ramp16Case& c, std::ostream* os) {
    *os << c.name;
}

class MenuRamps16 : public MenuTest, public ::testing::WithParamInterface<Ramp16Case> {};

TEST_P(MenuRamps16, FollowTheDisplayMasks) {
    const Ramp16Case& c = GetParam();
    DisplayContext& display = machine.host.display;
    display.red_mask = c.red_mask;
    display.green_mask = c.green_mask;
    display.blue_mask = c.blue_mask;
    fill16(c.white);
    set_pixel16(100, 100, 0x0000);
    menu_enter();
    EXPECT_EQ(machine.menu.ramps[0][0], c.grey_first);
    EXPECT_EQ(machine.menu.ramps[1][7], c.item_last);
    EXPECT_EQ(machine.menu.ramps[2][0], c.selected_first);

    menu_frame();
    EXPECT_EQ(pixel16(8, 17), c.white_dimmed);
    EXPECT_EQ(pixel16(311, 240), c.white_dimmed);
    EXPECT_EQ(pixel16(100, 100), 0x0000) << "black stays black";
    // Only the visible 304 x 224 picture from column 8 and row 17 is dimmed.
    EXPECT_EQ(pixel16(7, 100), c.white);
    EXPECT_EQ(pixel16(312, 100), c.white);
    EXPECT_EQ(pixel16(100, 16), c.white);
    EXPECT_EQ(pixel16(100, 241), c.white);
}

const Ramp16Case RAMP16_CASES[] = {
    {"rgb565", 0xF800, 0x07E0, 0x001F, 0x8410, 0xF79E, 0xF782, 0xFFFF, 0x000A},
    {"rgb555", 0x7C00, 0x03E0, 0x001F, 0x4210, 0x7BDE, 0x7BC2, 0x7FFF, 0x000A},
    {"bgr565", 0x001F, 0x07E0, 0xF800, 0x8410, 0xF79E, 0x179E, 0xFFFF, 0x5000},
};

INSTANTIATE_TEST_SUITE_P(Menu, MenuRamps16, ::testing::ValuesIn(RAMP16_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

using MenuColours = MenuTest;

TEST_F(MenuColours, DimsEachChannelsTopBits) {
    menu_enter();
    set_pixel16(50, 50, 0xF800); // red 31: (15 + 0 + 0) / 8 = 1
    set_pixel16(51, 50, 0x8410); // every channel's top bit: (8 + 8 + 8) / 8 = 3
    menu_frame();
    EXPECT_EQ(pixel16(50, 50), 0x0002);
    EXPECT_EQ(pixel16(51, 50), 0x0006);
}

void set_entry(int i, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* e = machine.host.display.entries[i];
    e[0] = r;
    e[1] = g;
    e[2] = b;
}

std::vector<uint8_t> entry(int i) {
    const uint8_t* e = machine.host.display.entries[i];
    return {e[0], e[1], e[2]};
}

TEST_F(MenuColours, EightBitMenuPaletteAndDimTable) {
    machine.settings.video_flags = VF_8BIT;
    set_entry(1, 10, 20, 30);
    set_entry(33, 96, 96, 96);
    set_entry(100, 255, 255, 255);
    menu_enter();

    const MenuState& menu = machine.menu;
    for (int ramp = 0; ramp < 3; ++ramp)
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(menu.ramps[ramp][k], 1 + 8 * ramp + k);
    EXPECT_EQ(entry(1), (std::vector<uint8_t>{168, 168, 168}));
    EXPECT_EQ(entry(8), (std::vector<uint8_t>{252, 252, 252}));
    EXPECT_EQ(entry(9), (std::vector<uint8_t>{252, 28, 28}));
    EXPECT_EQ(entry(17), (std::vector<uint8_t>{252, 252, 28}));
    EXPECT_EQ(entry(25), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(entry(32), (std::vector<uint8_t>{0, 0, 84}));
    EXPECT_EQ(entry(33), (std::vector<uint8_t>{96, 96, 96}));
    EXPECT_EQ(fake.uploads, (std::vector<std::pair<int, int>>{{1, 32}}));

    EXPECT_EQ(menu.dim[0], 25);   // black
    EXPECT_EQ(menu.dim[1], 30);   // taken from the menu's grey 168, not the game's colour
    EXPECT_EQ(menu.dim[32], 25);  // the menu's darkest blue
    EXPECT_EQ(menu.dim[33], 28);  // grey 96
    EXPECT_EQ(menu.dim[100], 32); // white

    machine.app.work_block[1024 * 20 + 10] = 100;
    machine.app.work_block[1024 * 20 + 7] = 100;
    menu_frame();
    EXPECT_EQ(pixel8(10, 20), 32);
    EXPECT_EQ(pixel8(7, 20), 100) << "left of the picture";
    EXPECT_EQ(pixel8(100, 100), 25) << "index 0 dims to the first shade";
}

TEST_F(MenuColours, ClosingGivesTheGameItsEightBitEntriesBack) {
    machine.settings.video_flags = VF_8BIT;
    set_entry(1, 10, 20, 30);
    set_entry(32, 40, 50, 60);
    menu_enter();
    menu_build_colours(); // a second build must not take the menu's colours for the game's
    menu_leave();
    EXPECT_EQ(entry(1), (std::vector<uint8_t>{10, 20, 30}));
    EXPECT_EQ(entry(32), (std::vector<uint8_t>{40, 50, 60}));
    EXPECT_EQ(fake.uploads.back(), (std::pair<int, int>{1, 255}));
}

// Glyph shapes that tell rows and columns apart: pixel (row, column) is background (2) in
// column 0, else 1.
class MenuText : public MenuTest {
  protected:
    void SetUp() override {
        MenuTest::SetUp();
        for (int base : {4096 + 256, 4096 + 512})
            for (int r = 0; r < 8; ++r) {
                uint8_t* row = tile(base + 'A') + 8 * r;
                std::memset(row, 1, 8);
                row[0] = 2;
            }
    }
};

TEST_F(MenuText, EachCharacterRunsDownTheRampAndBack) {
    menu_enter();
    fill16(0x1234);
    menu_text("AA", 40, 60, 2);
    const auto& ramp = machine.menu.ramps[2];
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(pixel16(41, 60 + k), ramp[k]);
        EXPECT_EQ(pixel16(41, 68 + k), ramp[7 - k]);
        EXPECT_EQ(pixel16(49, 68 + k), ramp[7 - k]);
        EXPECT_EQ(pixel16(40, 60 + k), 0x1234) << "background pixels are left alone";
        EXPECT_EQ(pixel16(48, 68 + k), 0x1234);
    }
    EXPECT_EQ(pixel16(56, 60), 0x1234);
}

TEST_F(MenuText, StopsAfterEightyCharacters) {
    machine.settings.video_flags = VF_8BIT;
    menu_enter();
    menu_text(std::string(100, 'A').c_str(), 0, 100, 1);
    EXPECT_EQ(pixel8(8 * 79 + 7, 100), machine.menu.ramps[1][0]);
    EXPECT_EQ(pixel8(8 * 80 + 1, 100), 0);
}

TEST_F(MenuText, ClipsAtTheFrameBufferEdges) {
    menu_enter();
    std::vector<uint8_t> after(machine.app.work_block + FRAME_BUFFER_BYTES,
                               machine.app.work_block + FRAME_BUFFER_BYTES + 4096);
    menu_text("AAAA", 500, 1016, 2); // the second character starts past column 511, rows past 1023
    menu_text("AA", -12, -4, 2);
    EXPECT_EQ(pixel16(509, 1016), machine.menu.ramps[2][0]);
    for (int y = 1016; y < 1024; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(pixel16(x, y), 0) << "wrapped into the next row at " << x << "," << y;
    EXPECT_TRUE(std::equal(after.begin(), after.end(), machine.app.work_block + FRAME_BUFFER_BYTES))
        << "wrote past the frame buffer";
    EXPECT_EQ(pixel16(1, 0), machine.menu.ramps[2][4]);
}

struct FixedTextCase {
    const char* name;
    bool eight_bit;
    int two_rows;
    uint32_t colour_a, colour_b;
    uint16_t foreground, background; // as stored in the frame buffer
};

void PrintTo(const FixedTextCase& c, std::ostream* os) {
    *os << c.name;
}

class MenuFixedText : public MenuTest, public ::testing::WithParamInterface<FixedTextCase> {};

// Each bank marks its own column: bank 0 (one row) column 0, bank 1 (upper) column 1, bank 2
// (lower) column 2; all other pixels are background.
TEST_P(MenuFixedText, DrawsTheBankWithBothColours) {
    const FixedTextCase& c = GetParam();
    if (c.eight_bit) machine.settings.video_flags = VF_8BIT;
    for (int bank = 0; bank < 3; ++bank)
        for (int r = 0; r < 8; ++r)
            tile(4096 + 256 * bank + 'L')[8 * r + bank] = 3;
    draw_text_fixed("L", 240, 194, c.colour_a, c.colour_b, c.two_rows);

    auto at = [&](int x, int y) -> uint16_t { return c.eight_bit ? pixel8(x, y) : pixel16(x, y); };
    const int marked_upper = c.two_rows ? 1 : 0;
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(at(240 + x, 194), x == marked_upper ? c.foreground : c.background) << "column " << x;
        const uint16_t lower = c.two_rows ? (x == 2 ? c.foreground : c.background) : 0;
        EXPECT_EQ(at(240 + x, 202), lower) << "column " << x;
    }
}

const FixedTextCase FIXED_TEXT_CASES[] = {
    {"two_rows_16bit", false, 1, 0, 0xFFFF, 0x0000, 0xFFFF},
    {"one_row_16bit", false, 0, 0x1234, 0x00FF, 0x1234, 0x00FF},
    {"two_rows_8bit_white_is_255", true, 1, 0, 0xFFFF, 0, 255},
    {"one_row_8bit", true, 0, 7, 0xFFFF, 7, 255},
};

INSTANTIATE_TEST_SUITE_P(Menu, MenuFixedText, ::testing::ValuesIn(FIXED_TEXT_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenuColours, NoGlyphsDrawNothing) {
    solid_font();
    machine.roms.fix_rom_base = nullptr;
    draw_text_fixed("LOADING", 240, 194, 0x1234, 0xFFFF, 1);
    menu_enter();
    menu_text("SETTINGS", 128, 57, 0);
    EXPECT_EQ(pixel16(240, 194), 0);
    EXPECT_EQ(pixel16(130, 60), 0);
}

} // namespace
