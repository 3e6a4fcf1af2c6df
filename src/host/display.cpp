// Display modes, surfaces with their lost-surface and still-drawing retries, presentation and
// the 8-bit palette.
#include "host/display.h"

#include <algorithm>

#include "machine.h"

int display_create(WindowHandle window) {
    const int32_t result = display_device_open(window);
    machine.host.display.created = result == PLATFORM_OK;
    return result;
}

int display_set_mode(int width, int height, int depth, int buffers) {
    DisplayContext& d = machine.host.display;
    if (d.primary) surface_device_release(d.primary);
    if (d.palette) palette_device_release();
    d.primary = nullptr;
    d.back = nullptr;
    d.palette = 0;
    d.flip_mode = 0;
    if (!d.created) return PLATFORM_FAILED;

    int32_t result = display_device_set_mode(width, height, depth, 60);
    if (result != PLATFORM_OK) result = display_device_set_mode(width, height, depth, 0);
    if (result != PLATFORM_OK) return result;

    const int32_t back_buffers = buffers > 1 ? buffers - 1 : 0;
    result = display_device_create_primary(back_buffers, &d.primary, &d.back);
    if (result != PLATFORM_OK) {
        d.primary = d.back = nullptr;
        return result;
    }
    d.flip_mode = back_buffers > 0;
    int32_t pitch = 0;
    if (surface_device_pitch(d.primary, &pitch) == PLATFORM_OK) d.pitch = pitch;
    d.width = width;
    d.height = height;
    d.depth = depth == 15 ? 16 : depth;
    PixelMasks masks;
    if (d.depth > 8 && surface_device_masks(d.primary, &masks) == PLATFORM_OK) {
        d.red_mask = masks.red;
        d.green_mask = masks.green;
        d.blue_mask = masks.blue;
    }
    return PLATFORM_OK;
}

void display_release() {
    DisplayContext& d = machine.host.display;
    if (!d.created) return;
    if (d.primary) surface_device_release(d.primary);
    if (d.palette) palette_device_release();
    display_device_close();
    d.primary = d.back = nullptr;
    d.palette = 0;
    d.flip_mode = 0;
    d.present_flip = 0;
    d.created = 0;
}

uint8_t* surface_lock(PlatformSurface* surface, int32_t* pitch) {
    if (surface == nullptr) return nullptr;
    uint8_t* pixels = nullptr;
    int32_t result = surface_device_lock(surface, &pixels, pitch);
    if (result == PLATFORM_SURFACE_LOST) {
        if (surface_device_restore(surface) != PLATFORM_OK) return nullptr;
        result = surface_device_lock(surface, &pixels, pitch);
    }
    while (result == PLATFORM_STILL_DRAWING) result = surface_device_lock(surface, &pixels, pitch);
    return result == PLATFORM_OK ? pixels : nullptr;
}

void surface_unlock(PlatformSurface* surface) {
    if (surface) surface_device_unlock(surface);
}

int surface_fill(PlatformSurface* surface, uint32_t colour) {
    if (surface == nullptr) return 0;
    for (;;) {
        const int32_t result = surface_device_fill(surface, colour & 0xFFFF);
        if (result == PLATFORM_OK) return 1;
        if (result == PLATFORM_SURFACE_LOST) {
            if (surface_device_restore(surface) != PLATFORM_OK) return 0;
            continue;
        }
        if (result != PLATFORM_STILL_DRAWING) return 0;
    }
}

int32_t surface_pitch(PlatformSurface* surface) {
    int32_t pitch = 0;
    if (surface == nullptr || surface_device_pitch(surface, &pitch) != PLATFORM_OK) return 0;
    return pitch;
}

int display_present(int vsync) {
    DisplayContext& d = machine.host.display;
    if (!d.flip_mode || d.primary == nullptr) return PLATFORM_OK;
    for (;;) {
        const int32_t result = surface_device_flip(d.primary, vsync != 0);
        if (result != PLATFORM_SURFACE_LOST) return result;
        if (surface_device_restore(d.primary) != PLATFORM_OK) return result;
    }
}

int palette_create() {
    DisplayContext& d = machine.host.display;
    if (d.primary == nullptr || palette_device_create(d.primary, d.entries) != PLATFORM_OK) return 0;
    d.palette = 1;
    return 1;
}

int palette_upload(int first, int count) {
    DisplayContext& d = machine.host.display;
    // The range comes from the video chip's bookkeeping; keep it inside the 256 entries.
    first = std::clamp(first, 0, 255);
    count = std::clamp(count, 0, 256 - first);
    if (!d.palette || count == 0) return 0;
    return palette_device_set_entries(first, count, d.entries + first) == PLATFORM_OK;
}

void display_draw_frame() {
    DisplayContext& d = machine.host.display;
    if (machine.app.work_block == nullptr || d.scaler == nullptr) return;
    if (d.depth == 8 && machine.video.palette_changed_high != 0 && !machine.menu.menu_open) {
        const int32_t low = machine.video.palette_changed_low;
        palette_upload(low, machine.video.palette_changed_high - low + 1);
    }
    PlatformSurface* target = d.present_flip ? d.back : d.primary;
    int32_t pitch = 0;
    uint8_t* pixels = surface_lock(target, &pitch);
    if (pixels == nullptr) return; // this frame is not shown
    d.target = pixels;
    d.target_pitch = pitch;
    d.scaler();
    surface_unlock(target);
    d.target = nullptr;
}
