// State of the in-game menu (one instance, inside the machine state).
#pragma once
#include <cstdint>

// Pages by number; any other value of menu_page is turned into the main page.
enum MenuPage : uint32_t {
    PAGE_MAIN = 0,
    PAGE_CONTROLS = 1,
    PAGE_VIDEO = 2,
    PAGE_AUDIO = 3,
    PAGE_QUIT = 4,
    PAGE_RESUME = 5,
    PAGE_KEYBOARD = 6,
    PAGE_COUNT = 7,
};

// Navigation events, in the order the keyboard is scanned for them.
enum NavEvent : int {
    NAV_UP = 0,
    NAV_DOWN,
    NAV_LEFT,
    NAV_RIGHT,
    NAV_ENTER,
    NAV_ESCAPE,
    NAV_COUNT,
};

// Colour indexes of menu text: titles, items, the selected item.
inline constexpr int COLOUR_TITLE = 0;
inline constexpr int COLOUR_ITEM = 1;
inline constexpr int COLOUR_SELECTED = 2;

struct MenuState {
    int32_t menu_open = 0;
    uint32_t menu_page = PAGE_MAIN;
    int32_t menu_cursor = 0;
    int32_t menu_volume = 0;         // the main volume while the menu is open (the sound itself is muted)
    uint32_t video_edit = 0;         // working copy of VideoFlags on the video page
    uint32_t audio_edit = 0;         // working copy of AudioFlags on the audio page
    uint8_t events[NAV_COUNT] = {};  // 1 for the one frame after the control was pressed
    uint8_t latches[NAV_COUNT] = {}; // 1 = armed: the control was seen released
    uint8_t waiting_release = 0;     // keyboard page: every key was seen up after ENTER

    // Per colour index, the colour of each of the 8 glyph rows: palette indexes in 8-bit
    // format, host pixels in 16-bit format.
    uint16_t ramps[3][8] = {};
    // 8-bit format: the palette index that replaces each game index in the dimmed picture.
    uint8_t dim[256] = {};
    // 16-bit format: the channel masks and shifts the dimming reads pixels with, taken from the
    // display when the colours were built (red, green, blue).
    uint32_t channel_mask[3] = {};
    int32_t channel_shift[3] = {};

    // 8-bit format: the game's palette entries 1..32 that the menu's colours replace while the
    // menu is open, put back when it closes.
    uint8_t game_entries[32][4] = {};
    uint8_t game_entries_held = 0;
};
