// The video page: colour depth, picture quality and vsync, edited on a copy of VideoFlags and
// applied by a new display mode selection.
#include "menu/menu.h"
#include "menu/menu_host.h"
#include "menu/menu_internal.h"

namespace {

constexpr PageText TITLE = {"VIDEO", 140, 57};
constexpr PageText ITEMS[] = {
    {"COLOR DEPTH", 40, 97}, {"GFX QUALITY", 40, 117}, {"VSYNC", 40, 137}, {"BACK", 144, 167}};
constexpr int LAST = 3;
constexpr int VALUE_DEPTH = 4;
constexpr int VALUE_QUALITY = 5;
constexpr int VALUE_VSYNC = 6;

enum Quality { LOW, SOFT, SHARP };

// SHARP wins when a stored word holds both bits, as the page shows it.
Quality quality_of(uint32_t flags) {
    if (flags & VF_SHARP) return SHARP;
    return (flags & VF_SOFT) ? SOFT : LOW;
}

uint32_t with_quality(uint32_t flags, Quality quality) {
    flags &= ~(VF_SOFT | VF_SHARP);
    if (quality == SOFT) flags |= VF_SOFT;
    if (quality == SHARP) flags |= VF_SHARP;
    return flags;
}

// The cycles offer only what the display can show: in 8-bit no SOFT (its scaler is 16-bit
// only), and SHARP only with MMX.
Quality previous_quality(uint32_t flags) {
    const Quality q = quality_of(flags);
    Quality p = q == SOFT ? SHARP : q == SHARP ? LOW : SOFT;
    if ((flags & VF_8BIT) && p == SOFT) p = SHARP;
    if (!(flags & VF_MMX) && p == SHARP) p = LOW;
    return p;
}

Quality next_quality(uint32_t flags) {
    const Quality q = quality_of(flags);
    Quality n = q == SHARP ? SOFT : q == SOFT ? LOW : SHARP;
    if (flags & VF_8BIT) {
        if (n == SOFT) n = LOW;
        if (!(flags & VF_MMX) && n == SHARP) n = LOW;
    } else if (!(flags & VF_MMX) && n == SHARP) {
        n = SOFT;
    }
    return n;
}

// HIGH (SOFT) has no 8-bit form: choosing 8 bits with it selected falls back to LOW.
uint32_t without_soft_in_8bit(uint32_t flags) {
    if ((flags & VF_8BIT) && (flags & VF_SOFT)) flags &= ~(VF_SOFT | VF_SHARP);
    return flags;
}

void draw_values() {
    const uint32_t flags = machine.menu.video_edit;
    const PageText depth = (flags & VF_8BIT) ? PageText{"8 BIT", 196, 97} : PageText{"16 BIT", 192, 97};
    const Quality q = quality_of(flags);
    const PageText quality = q == SHARP  ? PageText{"HIGH (SHARP)", 168, 117}
                             : q == SOFT ? PageText{"HIGH (SOFT)", 172, 117}
                                         : PageText{"LOW", 204, 117};
    const PageText vsync =
        (flags & VF_VSYNC) ? PageText{"ENABLED", 188, 137} : PageText{"DISABLED", 184, 137};
    menu_text(depth.text, depth.x, depth.y, item_colour(VALUE_DEPTH));
    menu_text(quality.text, quality.x, quality.y, item_colour(VALUE_QUALITY));
    menu_text(vsync.text, vsync.x, vsync.y, item_colour(VALUE_VSYNC));
}

void edit_value(int item) {
    uint32_t& flags = machine.menu.video_edit;
    const bool previous = nav(NAV_UP) || nav(NAV_LEFT);
    const bool next = nav(NAV_DOWN) || nav(NAV_RIGHT);
    if (item == VALUE_QUALITY) {
        if (previous) flags = with_quality(flags, previous_quality(flags));
        if (next) flags = with_quality(flags, next_quality(flags));
        return;
    }
    const uint32_t bit = item == VALUE_DEPTH ? VF_8BIT : VF_VSYNC;
    if (previous) flags ^= bit;
    if (next) flags ^= bit;
}

// Selects the display mode for the edited flags. A mode the display refuses leaves the previous
// one in force, selected again, and the page open, showing the setting in force.
void apply() {
    MenuState& menu = machine.menu;
    uint32_t& flags = machine.settings.video_flags;
    // BACK or ESCAPE straight after choosing 8 bits must not select the 8-bit SOFT combination,
    // which has no picture; it ends at LOW as when ENTER leaves the depth value.
    menu.video_edit = without_soft_in_8bit(menu.video_edit);
    if (menu.video_edit == flags) {
        menu_go(PAGE_MAIN, 1);
        return;
    }
    const uint32_t previous = flags;
    flags = menu.video_edit;
    const bool applied = menu_host.apply_video_flags() != 0;
    if (!applied) {
        flags = previous;
        menu_host.apply_video_flags();
        menu.video_edit = flags;
    }
    // The menu's colours are built again for the mode now in force: an 8-bit mode has a new
    // palette, a 16-bit one perhaps other channel masks. The game's entries the menu holds stay
    // held from 8 bits to 8 bits (the display keeps the same entries); out of 8 bits there is
    // nothing to give back.
    if (!(flags & VF_8BIT)) menu.game_entries_held = 0;
    menu_build_colours();
    if (applied) menu_go(PAGE_MAIN, 1);
}

} // namespace

void page_video() {
    MenuState& menu = machine.menu;
    draw_page(TITLE, ITEMS, LAST + 1);
    draw_values();

    int32_t& cursor = menu.menu_cursor;
    if (cursor >= 0 && cursor <= LAST) {
        if (nav(NAV_UP)) cursor = cursor_up(cursor, LAST);
        if (nav(NAV_DOWN)) cursor = cursor_down(cursor, LAST);
    } else if (cursor >= VALUE_DEPTH && cursor <= VALUE_VSYNC) {
        edit_value(cursor);
    }
    if (nav(NAV_ENTER)) {
        switch (cursor) {
        case 0:
            cursor = VALUE_DEPTH;
            break;
        case 1:
            cursor = VALUE_QUALITY;
            break;
        case 2:
            cursor = VALUE_VSYNC;
            break;
        case 3:
            apply();
            return;
        case VALUE_DEPTH:
            cursor = 0;
            menu.video_edit = without_soft_in_8bit(menu.video_edit);
            break;
        case VALUE_QUALITY:
            cursor = 1;
            break;
        case VALUE_VSYNC:
            cursor = 2;
            break;
        default:
            break;
        }
    }
    if (nav(NAV_ESCAPE)) apply();
}
