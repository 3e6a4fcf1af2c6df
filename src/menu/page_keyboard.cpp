// The keyboard definition page: both players' key bindings, each chosen by pressing the key.
#include <cstring>

#include "host/input.h"
#include "menu/menu.h"
#include "menu/menu_internal.h"

namespace {

constexpr PageText TITLE = {"KEYBOARD DEFINITION", 84, 22};
constexpr PageText BACK = {"BACK", 144, 212};
constexpr int ITEMS_PER_PLAYER = 8;
constexpr int BACK_ITEM = 16;
constexpr int WAITING_BASE = 20; // cursor 20 + item: waiting for that item's key

constexpr const char* LABELS[2][ITEMS_PER_PLAYER] = {
    {"PL1 UP   ", "PL1 DOWN ", "PL1 LEFT ", "PL1 RIGHT", "PL1 BTN A", "PL1 BTN B", "PL1 BTN C", "PL1 BTN D"},
    {"PL2 UP   ", "PL2 DOWN ", "PL2 LEFT ", "PL2 RIGHT", "PL2 BTN A", "PL2 BTN B", "PL2 BTN C", "PL2 BTN D"},
};
constexpr int LABEL_X[2] = {18, 165};
constexpr int KEY_NAME_X[2] = {100, 247};

int row_y(int row) {
    return 47 + 20 * row;
}

// The byte of the binding block a row sets: rows UP, DOWN, LEFT, RIGHT are bytes 7, 6, 5, 4,
// rows BTN A..D bytes 0..3.
int binding_byte(int row) {
    return row < 4 ? 7 - row : row - 4;
}

uint8_t& binding_of(int item) {
    return machine.settings.bindings[item / ITEMS_PER_PLAYER][binding_byte(item % ITEMS_PER_PLAYER)];
}

bool waiting(int32_t cursor) {
    return cursor >= WAITING_BASE && cursor < WAITING_BASE + BACK_ITEM;
}

void draw_keyboard_page() {
    const int32_t cursor = machine.menu.menu_cursor;
    menu_text(TITLE.text, TITLE.x, TITLE.y, COLOUR_TITLE);
    for (int player = 0; player < 2; ++player)
        for (int row = 0; row < ITEMS_PER_PLAYER; ++row) {
            const int item = player * ITEMS_PER_PLAYER + row;
            menu_text(LABELS[player][row], LABEL_X[player], row_y(row), item_colour(item));
            const int name_colour = cursor == WAITING_BASE + item ? COLOUR_SELECTED : COLOUR_ITEM;
            menu_text(key_name(binding_of(item)), KEY_NAME_X[player], row_y(row), name_colour);
        }
    menu_text(BACK.text, BACK.x, BACK.y, item_colour(BACK_ITEM));
}

// While waiting for a key: first every key must be seen up (so the ENTER that chose the item is
// not taken), then the lowest key down becomes the binding. True when a key was taken.
bool take_key() {
    MenuState& menu = machine.menu;
    const uint8_t* keyboard = machine.host.input.keyboard;
    if (!menu.waiting_release) {
        for (int code = 0; code < 256; ++code)
            if (keyboard[code] != 0) return false;
        menu.waiting_release = 1;
        return false;
    }
    for (int code = 0; code < 256; ++code) {
        if (keyboard[code] == 0) continue;
        const int item = menu.menu_cursor - WAITING_BASE;
        binding_of(item) = static_cast<uint8_t>(code);
        // The key just bound may be ESCAPE, ENTER or an arrow: the menu acts again only once
        // every key was released.
        std::memset(menu.events, 0, sizeof menu.events);
        std::memset(menu.latches, 0, sizeof menu.latches);
        menu.menu_cursor = item;
        return true;
    }
    return false;
}

} // namespace

void page_keyboard() {
    MenuState& menu = machine.menu;
    int32_t& cursor = menu.menu_cursor;
    draw_keyboard_page();
    if (waiting(cursor) && take_key()) return;

    if (nav(NAV_UP)) {
        if (cursor == 0)
            cursor = BACK_ITEM;
        else if (cursor > 0 && cursor <= BACK_ITEM)
            cursor -= 1;
    }
    if (nav(NAV_DOWN)) {
        if (cursor == ITEMS_PER_PLAYER - 1 || cursor == BACK_ITEM - 1)
            cursor = BACK_ITEM;
        else if (cursor == BACK_ITEM)
            cursor = 0;
        else if (cursor >= 0 && cursor < BACK_ITEM)
            cursor += 1;
    }
    if (nav(NAV_LEFT) && cursor >= ITEMS_PER_PLAYER && cursor < BACK_ITEM) cursor -= ITEMS_PER_PLAYER;
    if (nav(NAV_RIGHT) && cursor >= 0 && cursor < ITEMS_PER_PLAYER) cursor += ITEMS_PER_PLAYER;
    if (nav(NAV_ENTER)) {
        if (cursor >= 0 && cursor < BACK_ITEM) {
            menu.waiting_release = 0;
            cursor += WAITING_BASE;
        } else if (cursor == BACK_ITEM) {
            menu_go(PAGE_CONTROLS, 2);
            return;
        }
    }
    if (nav(NAV_ESCAPE)) menu_go(PAGE_CONTROLS, 2);
}
