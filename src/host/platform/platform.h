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

// ---- results of the device operations ---------------------------------------------------------

// Device operations return 0 for success or one of these (negative, as the system's own results).
enum PlatformResult : int32_t {
    PLATFORM_OK = 0,
    PLATFORM_FAILED = -1,
    PLATFORM_UNSUPPORTED = -2,   // a display mode or format the device refuses
    PLATFORM_SURFACE_LOST = -3,  // the surface's memory went away: restore it and retry
    PLATFORM_STILL_DRAWING = -4, // the device is busy with the surface: try again
    PLATFORM_INPUT_LOST = -5,    // the input device was taken away: acquire it again
    PLATFORM_NOT_ACQUIRED = -6,
    PLATFORM_BUFFER_LOST = -7,   // the sound buffer's memory went away
};

// ---- display ----------------------------------------------------------------------------------

struct PlatformSurface;

struct PixelMasks {
    uint32_t red = 0;
    uint32_t green = 0;
    uint32_t blue = 0;
};

// Takes the display for the window (exclusive, full screen).
int32_t display_device_open(WindowHandle window);
// Releases every surface and the palette still held, then the display.
void display_device_close();
// Switches the display mode; `refresh` 0 takes the display's default rate.
int32_t display_device_set_mode(int32_t width, int32_t height, int32_t depth, int32_t refresh);
// Builds the primary surface of the current mode; with `back_buffers` > 0 a flip chain whose
// first back buffer is returned in *back.
int32_t display_device_create_primary(int32_t back_buffers, PlatformSurface** primary, PlatformSurface** back);
void surface_device_release(PlatformSurface* surface);
int32_t surface_device_lock(PlatformSurface* surface, uint8_t** pixels, int32_t* pitch);
void surface_device_unlock(PlatformSurface* surface);
int32_t surface_device_restore(PlatformSurface* surface);
int32_t surface_device_fill(PlatformSurface* surface, uint32_t colour);
int32_t surface_device_pitch(PlatformSurface* surface, int32_t* pitch);
int32_t surface_device_masks(PlatformSurface* surface, PixelMasks* masks);
// Shows the back buffer of the chain; with `wait` it waits for the display's vertical blank.
int32_t surface_device_flip(PlatformSurface* primary, bool wait);
// The 8-bit palette of the primary surface: entries are red, green, blue, flags.
int32_t palette_device_create(PlatformSurface* primary, const uint8_t entries[256][4]);
int32_t palette_device_set_entries(int32_t first, int32_t count, const uint8_t (*entries)[4]);
void palette_device_release();

// ---- input ------------------------------------------------------------------------------------

struct PlatformJoystick;

// A joystick read: axes -1000..1000 with the dead zone applied (0 inside it), buttons non-zero
// while down.
struct JoystickState {
    int32_t x = 0;
    int32_t y = 0;
    uint8_t buttons[32] = {};
};

int32_t input_device_open(WindowHandle window);
void input_device_close();
int32_t keyboard_device_create();
void keyboard_device_release();
int32_t keyboard_device_set_level(bool exclusive); // exclusive, or shared without the system key
int32_t keyboard_device_acquire();
void keyboard_device_unacquire();
// 256 bytes indexed by the scan code numbering of the key bindings, high bit set while down.
int32_t keyboard_device_state(uint8_t state[256]);
// Attached joysticks offered to the program, in order.
int32_t joystick_device_count();
PlatformJoystick* joystick_device_create(int32_t index);
// Data format, shared foreground level, axis range -1000..1000 and a dead zone of half the travel.
int32_t joystick_device_setup(PlatformJoystick* joystick);
int32_t joystick_device_acquire(PlatformJoystick* joystick);
void joystick_device_release(PlatformJoystick* joystick);
int32_t joystick_device_state(PlatformJoystick* joystick, JoystickState* state);

// ---- sound ------------------------------------------------------------------------------------

struct PlatformSoundBuffer;

struct AudioFormat {
    int32_t channels = 1;
    int32_t rate = 22050;
    int32_t bits = 8;
};

int32_t sound_device_open();
void sound_device_close();
// *emulated is true when the device is not a real driver (no direct primary buffer access).
int32_t sound_device_caps(bool* emulated);
int32_t sound_device_set_level(WindowHandle window, bool write_primary);
PlatformSoundBuffer* sound_device_create_primary(bool volume_control);
// A looping buffer of `bytes` bytes in `format`, with volume, pan and frequency controls.
PlatformSoundBuffer* sound_device_create_stream(const AudioFormat& format, uint32_t bytes);
void sound_buffer_release(PlatformSoundBuffer* buffer);
int32_t sound_buffer_set_format(PlatformSoundBuffer* buffer, const AudioFormat& format);
int32_t sound_buffer_get_format(PlatformSoundBuffer* buffer, AudioFormat* format);
int32_t sound_buffer_size(PlatformSoundBuffer* buffer, uint32_t* bytes);
// Locks `bytes` bytes from `offset`, in two parts when the range wraps at the buffer's end.
int32_t sound_buffer_lock(PlatformSoundBuffer* buffer, uint32_t offset, uint32_t bytes, uint8_t** part1,
                          uint32_t* bytes1, uint8_t** part2, uint32_t* bytes2);
int32_t sound_buffer_unlock(PlatformSoundBuffer* buffer);
int32_t sound_buffer_play(PlatformSoundBuffer* buffer);
int32_t sound_buffer_stop(PlatformSoundBuffer* buffer);
int32_t sound_buffer_restore(PlatformSoundBuffer* buffer);
int32_t sound_buffer_position(PlatformSoundBuffer* buffer, uint32_t* play);
int32_t sound_buffer_set_volume(PlatformSoundBuffer* buffer, int32_t hundredths_db);
int32_t sound_buffer_get_volume(PlatformSoundBuffer* buffer, int32_t* hundredths_db);
int32_t sound_buffer_set_frequency(PlatformSoundBuffer* buffer, int32_t rate);
int32_t sound_buffer_set_pan(PlatformSoundBuffer* buffer, int32_t pan);
