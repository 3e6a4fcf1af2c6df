// The menu's life cycle, its per-frame dispatcher and the keyboard navigation events.
#include "menu/menu.h"

#include <cstring>

#include "app/frame.h"
#include "app/settings.h"
#include "menu/menu_host.h"
#include "menu/menu_internal.h"

// Dims the visible picture (menu_colours.cpp).
void menu_dim_picture();

namespace {

constexpr uint8_t KEY_ESCAPE = 0x01;
constexpr uint8_t KEY_RETURN = 0x1C;
constexpr uint8_t KEY_UP = 0xC8;
constexpr uint8_t KEY_LEFT = 0xCB;
constexpr uint8_t KEY_RIGHT = 0xCD;
constexpr uint8_t KEY_DOWN = 0xD0;

// Per event, the fixed key and the byte of each player's binding block that also drives it
// (-1: none; ESCAPE has only its own key).
struct NavKeys {
    uint8_t fixed_key;
    int binding_byte;
};
constexpr NavKeys NAV_KEYS[NAV_COUNT] = {
    {KEY_UP, 7}, {KEY_DOWN, 6}, {KEY_LEFT, 5}, {KEY_RIGHT, 4}, {KEY_RETURN, 0}, {KEY_ESCAPE, -1},
};

bool nav_keys_down(const uint8_t* keyboard, const NavKeys& keys) {
    if (keyboard[keys.fixed_key] != 0) return true;
    if (keys.binding_byte < 0) return false;
    for (const auto& block : machine.settings.bindings)
        if (keyboard[block[keys.binding_byte]] != 0) return true;
    return false;
}

// Reads the keyboard and sets the events the pages see next frame. A failed read keeps the
// previous state, which is then used as it is.
void compute_nav_events() {
    MenuState& menu = machine.menu;
    uint8_t* keyboard = machine.host.input.keyboard;
    menu_host.keyboard_read(keyboard);
    for (int e = 0; e < NAV_COUNT; ++e) {
        menu.events[e] = 0;
        if (!nav_keys_down(keyboard, NAV_KEYS[e])) {
            menu.latches[e] = 1;
        } else if (menu.latches[e]) {
            menu.events[e] = 1;
            menu.latches[e] = 0;
        }
    }
}

void page_quit() {
    menu_leave();
    machine.host.display.present_flip = 0;
    machine.app.quit_requested = 1;
    save_write();
}

void page_resume() {
    menu_leave();
}

using PageRoutine = void (*)();
constexpr PageRoutine PAGES[PAGE_COUNT] = {page_main, page_controls, page_video,   page_audio,
                                           page_quit, page_resume,   page_keyboard};

} // namespace

void menu_enter() {
    MenuState& menu = machine.menu;
    menu.menu_page = PAGE_MAIN;
    menu.menu_cursor = 0;
    menu.menu_open = 1;
    menu.menu_volume = machine.settings.volume;
    menu_host.audio_set_volume(0);
    // The sound is muted, but the stored volume stays the player's: were the program closed
    // with the menu open, the settings file would otherwise keep a volume of 0.
    machine.settings.volume = menu.menu_volume;
    menu_build_colours();
    std::memset(menu.events, 0, sizeof menu.events);
    std::memset(menu.latches, 1, sizeof menu.latches);
    // The ESCAPE that opened the menu must be released before it acts again.
    menu.latches[NAV_ESCAPE] = 0;
}

void menu_leave() {
    MenuState& menu = machine.menu;
    menu.menu_open = 0;
    machine.settings.volume = menu.menu_volume;
    menu_host.audio_set_volume(menu.menu_volume);
    reset_pacing();
    DisplayContext& display = machine.host.display;
    if (menu.game_entries_held) {
        // Give the game back the entries the menu's colours took.
        std::memcpy(display.entries[1], menu.game_entries, sizeof menu.game_entries);
        menu.game_entries_held = 0;
    }
    if (frame_is_8bit()) menu_host.palette_upload(1, 255);
}

void menu_frame() {
    MenuState& menu = machine.menu;
    menu_dim_picture();
    if (menu.menu_page >= PAGE_COUNT) menu.menu_page = PAGE_MAIN;
    PAGES[menu.menu_page]();
    compute_nav_events();
}
