// The SDL window and its events, the clock, and messages for the player.
#include <cstdio>
#include <cstdlib>

#include "host/platform/platform.h"
#include "host/platform/sdl/sdl_internal.h"

namespace {

SDL_Window* window = nullptr;
constexpr int ICON_ID = 124;
constexpr int ICON_SIZE = 32;

void set_icon() {
    ResourceData icon;
    if (!platform_find_resource(ICON_ID, &icon) || icon.size < ICON_SIZE * ICON_SIZE * 4) return;
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(icon.data), ICON_SIZE, ICON_SIZE, 32,
                                                        ICON_SIZE * 4, SDL_PIXELFORMAT_RGBA32);
    if (s == nullptr) return;
    SDL_SetWindowIcon(window, s);
    SDL_FreeSurface(s);
}

// SDL falls back to its invisible drivers when there is no display; those count as a display
// only when the user asked SDL for one of them by name.
bool display_available() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) return false;
    const bool invisible = SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0;
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return !invisible || (asked != nullptr && *asked != 0);
}

} // namespace

SDL_Window* sdl_window() { return window; }

WindowHandle platform_window_create(const char* title) {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_EVENTS) != 0 || !display_available()) {
        // Without a display there is nothing to play on: say so and stop, so a wrapper script
        // can fall back to a headless run.
        std::fprintf(stderr, "qzb: no display found: qzb needs an X or Wayland session to show its window\n");
        SDL_Quit();
        std::exit(2);
    }
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // The window is made as large as the desktop: where no window manager carries out the
    // full-screen request (a bare X server), it still covers the screen, and the size SDL
    // reports for it is the size it really has, so the picture is centred where it shows.
    SDL_DisplayMode desktop{};
    int width = 640, height = 480;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
        width = desktop.w;
        height = desktop.h;
    }
    window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                              SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_SHOWN);
    if (window == nullptr) {
        std::fprintf(stderr, "qzb: cannot open a window (%s)\n", SDL_GetError());
        std::exit(2);
    }
    set_icon();
    SDL_ShowCursor(SDL_DISABLE);
    event_post(EVENT_CREATE, 0);
    event_post(EVENT_ACTIVATE, 1);
    return 1;
}

void platform_window_destroy(WindowHandle) {
    if (window) SDL_DestroyWindow(window);
    window = nullptr;
    SDL_Quit();
}

void platform_pump_events() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_QUIT:
            event_post(EVENT_CLOSE, 0);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            sdl_keyboard_event(e.key.keysym.scancode, e.type == SDL_KEYDOWN);
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED || e.window.event == SDL_WINDOWEVENT_RESTORED)
                event_post(EVENT_ACTIVATE, 1);
            else if (e.window.event == SDL_WINDOWEVENT_MINIMIZED)
                event_post(EVENT_ACTIVATE, 0);
            else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
                sdl_keyboard_clear(); // keys held while focus left are never released to us
            else if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                sdl_display_redraw();
            break;
        default:
            break;
        }
    }
}

void platform_message_box(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s", caption, text);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, window);
}

bool platform_counter_frequency(uint64_t* frequency) {
    *frequency = SDL_GetPerformanceFrequency();
    return *frequency != 0;
}
uint64_t platform_counter() { return SDL_GetPerformanceCounter(); }
uint32_t platform_milliseconds() { return SDL_GetTicks(); }
void platform_sleep(uint32_t milliseconds) { SDL_Delay(milliseconds); }
