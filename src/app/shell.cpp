#include "app/shell.h"

#include <cstring>

#include "app/frame.h"
#include "app/settings.h"
#include "host/audio.h"
#include "host/display.h"
#include "host/flags.h"
#include "host/input.h"
#include "machine.h"

namespace {

bool shutdown_done = false;

void fatal_start_failure(const char* text) {
    platform_message_box("ERROR", text);
    display_release();
    // Destroying the window delivers its destroy event at once, as the window system would.
    window_proc(WindowEvent{EVENT_DESTROY, 0});
    platform_window_destroy(machine.app.window);
    machine.app.window = 0;
}

} // namespace

int app_main() {
    shutdown_done = false;
    if (!init_instance()) {
        event_clear();
        return 0;
    }
    std::memset(machine.host.input.keyboard, 0, sizeof machine.host.input.keyboard);
    return message_loop();
}

int init_instance() {
    machine.app.window = platform_window_create("QZB");
    if (machine.app.window == 0) return 0;
    cpu_feature_check();
    if (display_create(machine.app.window) != 0) {
        fatal_start_failure("Direct Draw 7.0 or later required!\n");
        return 0;
    }
    settings_read();
    machine.settings.video_flags |= VF_FLIPCHAIN;
    if (input_open(machine.app.window) == 0) {
        fatal_start_failure("Direct Input 7.0 or later required!\n");
        return 0;
    }
    if (!keyboard_set_exclusive(1)) keyboard_set_exclusive(0);
    machine.app.sound_enabled = audio_restart(0);
    if (machine.app.sound_enabled) {
        machine.host.audio.saved_primary_volume = audio_get_primary_volume();
        audio_set_volume(machine.settings.volume);
    } else {
        machine.host.audio.saved_primary_volume = -1;
    }
    return 1;
}

void window_proc(const WindowEvent& event) {
    switch (event.type) {
    case EVENT_ACTIVATE:
        machine.app.active = event.param;
        break;
    case EVENT_CLOSE:
        // The window is not destroyed directly: the destroy event runs the shutdown.
        event_post(EVENT_DESTROY, 0);
        break;
    case EVENT_DESTROY:
        app_shutdown();
        event_post(EVENT_QUIT, 0);
        break;
    default:
        break;
    }
}

int message_loop() {
    machine.host.display.starting = 1;
    int stage = 0;
    bool failed = false;
    for (;;) {
        if (event_peek()) {
            WindowEvent event;
            if (!event_get(&event)) continue;
            if (event.type == EVENT_QUIT) return event.param;
            window_proc(event);
            continue;
        }
        if (!machine.app.active) {
            // Nothing runs in the background; wait a little instead of spinning on a core.
            platform_sleep(10);
            continue;
        }
        if (machine.host.display.starting == 1) {
            if (failed) {
                platform_sleep(1);
                continue;
            }
            if (!startup_stage(stage)) {
                event_post(EVENT_CLOSE, 0);
                failed = true;
            }
            ++stage;
        } else if (!failed) {
            frame_step();
            if (machine.host.display.present_flip)
                display_present((machine.settings.video_flags & VF_VSYNC) != 0);
        }
        if (machine.app.quit_requested == 1) event_post(EVENT_CLOSE, 0);
    }
}

void app_shutdown() {
    // A second destroy event (the system closing a window the menu already closed) finds
    // everything released.
    if (shutdown_done) return;
    shutdown_done = true;
    if (machine.app.settings_loaded) settings_write();
    if (machine.app.sound_enabled && machine.host.audio.saved_primary_volume != -1)
        audio_set_primary_volume(machine.host.audio.saved_primary_volume);
    release_resources();
    audio_close();
    input_close();
    display_release();
}
