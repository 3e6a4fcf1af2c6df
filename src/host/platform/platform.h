// The platform layer: the narrow interface the machine needs of the host system (window and its
// events, clock and sleep, built-in resources, processor identification, and the display, input
// and audio devices). One back end implements it per front end: headless (tests, qzb-run) or sdl
// (the playable program); the choice is made at link time.
#pragma once
#include <cstddef>
#include <cstdint>

using WindowHandle = int32_t; // 0 = no window

// ---- window and its events ------------------------------------------------------------------

enum WindowEventType : int32_t {
    EVENT_NONE = 0,
    EVENT_CREATE,
    EVENT_ACTIVATE, // param: 1 = the program became the active application, 0 = it lost that
    EVENT_CLOSE,    // the user or the program asks the window to close
    EVENT_DESTROY,  // the window goes away: the program shuts down
    EVENT_QUIT,     // ends the message loop; param is the exit code
};

struct WindowEvent {
    WindowEventType type = EVENT_NONE;
    int32_t param = 0;
};

// Creates the one window with its title and icon (resource 124). 0 on failure.
WindowHandle platform_window_create(const char* title);
void platform_window_destroy(WindowHandle window);
// Takes the host's own pending events into the event queue, without waiting.
void platform_pump_events();
// Shows a message to the player (a box in a window system, standard error elsewhere).
void platform_message_box(const char* caption, const char* text);

// The event queue shared by every back end (the stand-in for a window's message queue).
void event_post(WindowEventType type, int32_t param);
bool event_peek();                 // true when an event waits (pumps the host first)
bool event_get(WindowEvent* event); // removes the next event; false when the queue is empty
void event_clear();

// ---- clock and sleep ------------------------------------------------------------------------

// High-resolution counter; false when the host has none (the millisecond clock is used then).
bool platform_counter_frequency(uint64_t* frequency);
uint64_t platform_counter();
uint32_t platform_milliseconds();
void platform_sleep(uint32_t milliseconds);

// ---- built-in resources ---------------------------------------------------------------------

struct ResourceData {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// Finds resource `id` (the seven ROM images 102, 104-109, the loading picture 111, the icon 124).
bool platform_find_resource(int id, ResourceData* out);
// Makes a table of resources findable; the last registration of an id wins.
void platform_register_resource(int id, const uint8_t* data, size_t size);
void platform_clear_resources();

// ---- processor identification ---------------------------------------------------------------

// Executes CPUID `leaf` into eax, ebx, ecx, edx; false when the processor has no CPUID.
bool platform_cpuid(uint32_t leaf, uint32_t regs[4]);
