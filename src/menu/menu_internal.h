// Helpers shared by the menu's files: frame buffer geometry, events, page changes.
#pragma once
#include <cstdint>

#include "host/flags.h"
#include "machine.h"

// The frame buffer is the first MiB of the work block: 1024 rows of 1024 bytes, 512 pixels of
// 16 bits or 1024 palette indexes per row.
inline constexpr int FRAME_ROWS = 1024;
inline constexpr int FRAME_ROW_BYTES = 1024;
inline constexpr int PICTURE_LEFT = 8;
inline constexpr int PICTURE_WIDTH = 304;
inline constexpr int PICTURE_HEIGHT = 224;
// Longest text menu_text draws.
inline constexpr int MENU_TEXT_MAX = 80;

// Glyph tiles in the board's bank of the fix tiles: 64 bytes a tile, pixel value 2 is background.
inline constexpr int GLYPH_SINGLE = 4096;      // one 8-row glyph per character
inline constexpr int GLYPH_UPPER = 4096 + 256; // upper half of a 16-row glyph
inline constexpr int GLYPH_LOWER = 4096 + 512; // lower half
inline constexpr uint8_t GLYPH_BACKGROUND = 2;

inline bool frame_is_8bit() {
    return (machine.settings.video_flags & VF_8BIT) != 0;
}

inline bool nav(NavEvent event) {
    return machine.menu.events[event] != 0;
}

// Colour index of an item: selected or not.
inline int item_colour(int item) {
    return machine.menu.menu_cursor == item ? COLOUR_SELECTED : COLOUR_ITEM;
}

inline void menu_go(uint32_t page, int32_t cursor) {
    machine.menu.menu_page = page;
    machine.menu.menu_cursor = cursor;
}

// Draws one 16-row glyph of character `code` (a text of one character that may be a control
// code such as the slider's end marks).
void menu_glyph(uint8_t code, int x, int y, int colour_index);

// A text at a fixed place on a page.
struct PageText {
    const char* text;
    int x;
    int y;
};

// Cursor moves with wrap-around within 0..last.
inline int32_t cursor_up(int32_t cursor, int32_t last) {
    return cursor <= 0 || cursor > last ? last : cursor - 1;
}
inline int32_t cursor_down(int32_t cursor, int32_t last) {
    return cursor >= last || cursor < 0 ? 0 : cursor + 1;
}

// Draws a page's title and its items 0..count-1, the selected one highlighted.
void draw_page(const PageText& title, const PageText* items, int count);
