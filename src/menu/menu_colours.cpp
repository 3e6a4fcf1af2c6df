// The menu's colours (gradient ramps, the 8-bit menu palette and dim table) and the dimming of
// the frozen picture behind the menu.
#include <algorithm>
#include <bit>
#include <cstring>

#include "menu/menu.h"
#include "menu/menu_host.h"
#include "menu/menu_internal.h"

void menu_dim_picture();

namespace {

// Palette entries 1..32 in 8-bit format, 6-bit red, green, blue: a grey ramp (titles), a red
// ramp running to white (items), a yellow ramp running to white (selected item) and eight dark
// blues (the dimmed picture).
// clang-format off
constexpr uint8_t MENU_PALETTE[32][3] = {
    {42, 42, 42}, {45, 45, 45}, {48, 48, 48}, {51, 51, 51}, {54, 54, 54}, {57, 57, 57}, {60, 60, 60}, {63, 63, 63},
    {63, 7, 7},   {63, 15, 15}, {63, 23, 23}, {63, 31, 31}, {63, 39, 39}, {63, 47, 47}, {63, 55, 55}, {63, 63, 63},
    {63, 63, 7},  {63, 63, 15}, {63, 63, 23}, {63, 63, 31}, {63, 63, 39}, {63, 63, 47}, {63, 63, 55}, {63, 63, 63},
    {0, 0, 0},    {0, 0, 3},    {0, 0, 6},    {0, 0, 9},    {0, 0, 12},   {0, 0, 15},   {0, 0, 18},   {0, 0, 21},
};
// clang-format on
constexpr int MENU_PALETTE_FIRST = 1;
constexpr int DIM_SHADES_FIRST = 25;

// Puts the low four bits of n into the top four bits of a channel; the channel's lower bits
// stay 0.
uint32_t channel_value(int channel, uint32_t n) {
    const MenuState& menu = machine.menu;
    return (n << menu.channel_shift[channel]) & menu.channel_mask[channel];
}

void build_colours_16() {
    MenuState& menu = machine.menu;
    const DisplayContext& display = machine.host.display;
    const uint32_t masks[3] = {display.red_mask & 0xFFFF, display.green_mask & 0xFFFF,
                               display.blue_mask & 0xFFFF};
    for (int c = 0; c < 3; ++c) {
        menu.channel_mask[c] = masks[c];
        // A channel narrower than four bits keeps its bits in place (shift 0) rather than
        // shifting by a negative count.
        menu.channel_shift[c] = std::max(0, static_cast<int>(std::bit_width(masks[c])) - 1 - 3);
    }
    for (uint32_t k = 0; k < 8; ++k) {
        const uint32_t grey = channel_value(0, 24 + k) | channel_value(1, 24 + k) | channel_value(2, 24 + k);
        const uint32_t red =
            channel_value(0, 31) | channel_value(1, 17 + 2 * k) | channel_value(2, 17 + 2 * k);
        const uint32_t yellow = channel_value(0, 31) | channel_value(1, 31) | channel_value(2, 17 + 2 * k);
        menu.ramps[COLOUR_TITLE][k] = static_cast<uint16_t>(grey);
        menu.ramps[COLOUR_ITEM][k] = static_cast<uint16_t>(red);
        menu.ramps[COLOUR_SELECTED][k] = static_cast<uint16_t>(yellow);
    }
}

void build_colours_8() {
    MenuState& menu = machine.menu;
    uint8_t(&entries)[256][4] = machine.host.display.entries;
    for (int ramp = 0; ramp < 3; ++ramp)
        for (int k = 0; k < 8; ++k)
            menu.ramps[ramp][k] = static_cast<uint16_t>(MENU_PALETTE_FIRST + 8 * ramp + k);

    // Rebuilding while the menu's colours are already in place must not take them for the game's.
    if (!menu.game_entries_held) {
        std::memcpy(menu.game_entries, entries[1], sizeof menu.game_entries);
        menu.game_entries_held = 1;
    }
    for (int i = 0; i < 256; ++i) {
        const int sum = entries[i][0] + entries[i][1] + entries[i][2];
        menu.dim[i] = static_cast<uint8_t>(sum / 3 / 32 + DIM_SHADES_FIRST);
        // Entry i + 1 becomes the menu's colour before its own dim value is taken.
        if (i < 32)
            for (int c = 0; c < 3; ++c)
                entries[i + 1][c] = static_cast<uint8_t>(MENU_PALETTE[i][c] << 2);
    }
    menu_host.palette_upload(MENU_PALETTE_FIRST, 32);
}

int first_dimmed_row() {
    return static_cast<int>(std::min<uint32_t>(machine.video.first_visible_row, FRAME_ROWS - PICTURE_HEIGHT));
}

} // namespace

void menu_build_colours() {
    if (frame_is_8bit())
        build_colours_8();
    else
        build_colours_16();
}

void menu_dim_picture() {
    uint8_t* frame = machine.app.work_block;
    if (frame == nullptr) return;
    const MenuState& menu = machine.menu;
    const int top = first_dimmed_row();
    if (frame_is_8bit()) {
        for (int y = top; y < top + PICTURE_HEIGHT; ++y) {
            uint8_t* row = frame + y * FRAME_ROW_BYTES + PICTURE_LEFT;
            for (int x = 0; x < PICTURE_WIDTH; ++x)
                row[x] = menu.dim[row[x]];
        }
        return;
    }
    for (int y = top; y < top + PICTURE_HEIGHT; ++y) {
        uint8_t* row = frame + y * FRAME_ROW_BYTES + 2 * PICTURE_LEFT;
        for (int x = 0; x < PICTURE_WIDTH; ++x) {
            uint16_t pixel;
            std::memcpy(&pixel, row + 2 * x, 2);
            uint32_t sum = 0;
            for (int c = 0; c < 3; ++c)
                sum += (pixel & menu.channel_mask[c]) >> menu.channel_shift[c];
            const uint16_t dimmed = static_cast<uint16_t>((sum / 8) << menu.channel_shift[2]);
            std::memcpy(row + 2 * x, &dimmed, 2);
        }
    }
}
