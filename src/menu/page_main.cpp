// The main page and the controls page.
#include <algorithm>

#include "menu/menu.h"
#include "menu/menu_host.h"
#include "menu/menu_internal.h"

namespace {

constexpr PageText MAIN_TITLE = {"SETTINGS", 128, 57};
constexpr PageText MAIN_ITEMS[] = {
    {"CONTROLS", 128, 97},   {"VIDEO", 140, 117},       {"AUDIO", 140, 137},
    {"QUIT GAME", 124, 167}, {"RESUME GAME", 116, 187},
};
constexpr int MAIN_LAST = 4;

constexpr PageText CONTROLS_TITLE = {"CONTROLS", 128, 57};
constexpr PageText CONTROLS_ITEMS[] = {
    {"PLAYER 1", 40, 97}, {"PLAYER 2", 40, 117}, {"DEFINE KEYBOARD", 100, 147}, {"BACK", 144, 167}};
constexpr int CONTROLS_LAST = 3;
constexpr int CONTROLS_DEVICE_ITEM = 4; // items 4 and 5: the device of player 1 and 2

constexpr uint32_t DEVICE_KEYBOARD = 0x10000;
constexpr uint32_t DEVICE_JOYSTICK = 0x20000;

// Device names by the low two bits of a device code. Code 3 names no device the input reads (it
// drives a player by the keyboard alone), so it shows as the keyboard instead of reading past
// the table.
constexpr PageText DEVICE_NAMES[4] = {
    {"KEYBOARD", 196, 0}, {"JOYSTICK1", 192, 0}, {"JOYSTICK2", 192, 0}, {"KEYBOARD", 196, 0}};

// Position of a device code in the cycle keyboard, joystick 1 .. N: a stored 0x20000 (no
// joystick) counts as the keyboard.
int device_position(uint32_t code) {
    return (code & DEVICE_JOYSTICK) != 0 ? static_cast<int>(code & 3) : 0;
}

uint32_t device_code_at(int position) {
    return position == 0 ? DEVICE_KEYBOARD : DEVICE_JOYSTICK + position;
}

void change_device(int player, int joysticks) {
    uint32_t& code = machine.settings.device_code[player];
    int position = device_position(code);
    if (nav(NAV_UP) || nav(NAV_LEFT))
        position = position == 0 ? joysticks : std::min(position - 1, joysticks);
    if (nav(NAV_DOWN) || nav(NAV_RIGHT)) position = position >= joysticks ? 0 : position + 1;
    code = device_code_at(position);
}

} // namespace

void draw_page(const PageText& title, const PageText* items, int count) {
    menu_text(title.text, title.x, title.y, COLOUR_TITLE);
    for (int i = 0; i < count; ++i)
        menu_text(items[i].text, items[i].x, items[i].y, item_colour(i));
}

void page_main() {
    MenuState& menu = machine.menu;
    draw_page(MAIN_TITLE, MAIN_ITEMS, MAIN_LAST + 1);

    if (nav(NAV_UP)) menu.menu_cursor = cursor_up(menu.menu_cursor, MAIN_LAST);
    if (nav(NAV_DOWN)) menu.menu_cursor = cursor_down(menu.menu_cursor, MAIN_LAST);
    // A page stops reading the frame's events once it has left: what follows belongs to the
    // page it left.
    if (nav(NAV_ENTER)) {
        const uint32_t page = static_cast<uint32_t>(menu.menu_cursor + 1);
        if (page == PAGE_VIDEO) menu.video_edit = machine.settings.video_flags;
        if (page == PAGE_AUDIO) menu.audio_edit = machine.settings.audio_flags;
        menu_go(page, 0);
        return;
    }
    if (nav(NAV_ESCAPE)) menu_leave();
}

void page_controls() {
    MenuState& menu = machine.menu;
    draw_page(CONTROLS_TITLE, CONTROLS_ITEMS, CONTROLS_LAST + 1);
    for (int player = 0; player < 2; ++player) {
        const PageText& name = DEVICE_NAMES[machine.settings.device_code[player] & 3];
        menu_text(name.text, name.x, CONTROLS_ITEMS[player].y, item_colour(CONTROLS_DEVICE_ITEM + player));
    }

    int32_t& cursor = menu.menu_cursor;
    if (cursor >= 0 && cursor <= CONTROLS_LAST) {
        if (nav(NAV_UP)) cursor = cursor_up(cursor, CONTROLS_LAST);
        if (nav(NAV_DOWN)) cursor = cursor_down(cursor, CONTROLS_LAST);
    } else if (cursor == CONTROLS_DEVICE_ITEM || cursor == CONTROLS_DEVICE_ITEM + 1) {
        // Device codes name joystick 1 or 2 only.
        const int joysticks = std::min(menu_host.input_joystick_count(), 2);
        if (joysticks > 0) change_device(cursor - CONTROLS_DEVICE_ITEM, joysticks);
    }
    if (nav(NAV_ENTER)) {
        switch (cursor) {
        case 0:
            cursor = 4;
            break;
        case 1:
            cursor = 5;
            break;
        case 2:
            menu_go(PAGE_KEYBOARD, 0);
            return;
        case 3:
            menu_go(PAGE_MAIN, 0);
            return;
        case 4:
            cursor = 0;
            break;
        case 5:
            cursor = 1;
            break;
        default:
            break;
        }
    }
    if (nav(NAV_ESCAPE)) menu_go(PAGE_MAIN, 0);
}
