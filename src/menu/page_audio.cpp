// The audio page: the main volume (applied when the menu closes) and the sound quality, edited
// on a copy of AudioFlags and applied by restarting the sound.
#include <algorithm>

#include "menu/menu.h"
#include "menu/menu_host.h"
#include "menu/menu_internal.h"

namespace {

constexpr PageText TITLE = {"AUDIO", 140, 57};
constexpr PageText ITEMS[] = {{"MAIN VOLUME", 40, 117}, {"SOUND QUALITY", 40, 137}, {"BACK", 144, 167}};
constexpr int LAST = 2;
constexpr int VALUE_VOLUME = 3;
constexpr int VALUE_QUALITY = 4;

constexpr int SLIDER_Y = 117;
constexpr int SLIDER_LEFT_END_X = 168;
constexpr int SLIDER_TRACK_X = 176;
constexpr int SLIDER_RIGHT_END_X = 264;
constexpr uint8_t GLYPH_LEFT_END = 0x10;
constexpr uint8_t GLYPH_RIGHT_END = 0x11;
constexpr uint8_t GLYPH_KNOB = 0x18;
constexpr int VOLUME_STEP = 10;
constexpr int VOLUME_MAX = 100;

constexpr uint32_t HIGH_BITS = AF_16BIT | AF_STEREO | AF_44K;

enum Quality { LOW, MEDIUM, HIGH };

Quality quality_of(uint32_t flags) {
    if ((flags & HIGH_BITS) == HIGH_BITS) return HIGH;
    return (flags & AF_STEREO) ? MEDIUM : LOW;
}

// Each quality written as the format bits it asks the sound card for; the other bits stay.
uint32_t with_quality(uint32_t flags, Quality quality) {
    flags &= ~HIGH_BITS;
    if (quality == MEDIUM) flags |= AF_STEREO;
    if (quality == HIGH) flags |= HIGH_BITS;
    return flags;
}

void draw_slider() {
    const int colour = item_colour(VALUE_VOLUME);
    menu_glyph(GLYPH_LEFT_END, SLIDER_LEFT_END_X, SLIDER_Y, colour);
    menu_text("-----------", SLIDER_TRACK_X, SLIDER_Y, colour);
    menu_glyph(GLYPH_RIGHT_END, SLIDER_RIGHT_END_X, SLIDER_Y, colour);
    const int knob_x = SLIDER_TRACK_X + 8 * (machine.menu.menu_volume / VOLUME_STEP);
    menu_glyph(GLYPH_KNOB, knob_x, SLIDER_Y, colour);
}

void draw_quality() {
    const Quality q = quality_of(machine.menu.audio_edit);
    const PageText value = q == HIGH     ? PageText{"HIGH", 200, 137}
                           : q == MEDIUM ? PageText{"MEDIUM", 192, 137}
                                         : PageText{"LOW", 204, 137};
    menu_text(value.text, value.x, value.y, item_colour(VALUE_QUALITY));
}

void edit_value(int item) {
    MenuState& menu = machine.menu;
    const bool previous = nav(NAV_UP) || nav(NAV_LEFT);
    const bool next = nav(NAV_DOWN) || nav(NAV_RIGHT);
    if (item == VALUE_VOLUME) {
        if (previous) menu.menu_volume = std::max(menu.menu_volume - VOLUME_STEP, 0);
        if (next) menu.menu_volume = std::min(menu.menu_volume + VOLUME_STEP, VOLUME_MAX);
        return;
    }
    if (previous) {
        const Quality q = quality_of(menu.audio_edit);
        menu.audio_edit = with_quality(menu.audio_edit, q == HIGH ? MEDIUM : q == MEDIUM ? LOW : HIGH);
    }
    if (next) {
        const Quality q = quality_of(menu.audio_edit);
        menu.audio_edit = with_quality(menu.audio_edit, q == HIGH ? LOW : q == MEDIUM ? HIGH : MEDIUM);
    }
}

// Restarts the sound with the edited flags. A format the sound card refuses leaves the previous
// one in force, restarted, and the page open, showing the setting in force.
void apply() {
    MenuState& menu = machine.menu;
    uint32_t& flags = machine.settings.audio_flags;
    if (menu.audio_edit != flags) {
        const uint32_t previous = flags;
        flags = menu.audio_edit;
        if (!menu_host.audio_restart(0)) {
            flags = previous;
            menu_host.audio_restart(0);
            menu.audio_edit = flags;
            return;
        }
    }
    menu_go(PAGE_MAIN, 2);
}

} // namespace

void page_audio() {
    MenuState& menu = machine.menu;
    draw_page(TITLE, ITEMS, LAST + 1);
    draw_slider();
    draw_quality();

    int32_t& cursor = menu.menu_cursor;
    if (cursor >= 0 && cursor <= LAST) {
        if (nav(NAV_UP)) cursor = cursor_up(cursor, LAST);
        if (nav(NAV_DOWN)) cursor = cursor_down(cursor, LAST);
    } else if (cursor == VALUE_VOLUME || cursor == VALUE_QUALITY) {
        edit_value(cursor);
    }
    if (nav(NAV_ENTER)) {
        switch (cursor) {
        case 0:
            cursor = VALUE_VOLUME;
            break;
        case 1:
            cursor = VALUE_QUALITY;
            break;
        case 2:
            apply();
            return;
        case VALUE_VOLUME:
            cursor = 0;
            break;
        case VALUE_QUALITY:
            cursor = 1;
            break;
        default:
            break;
        }
    }
    if (nav(NAV_ESCAPE)) apply();
}
