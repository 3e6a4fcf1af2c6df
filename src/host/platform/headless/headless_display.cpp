// The headless display: surfaces in memory (rows wider than the picture, as video memory often
// is), a palette record, and switches that make modes, flip chains or surfaces fail.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "host/platform/headless/headless.h"
#include "host/platform/headless/headless_internal.h"
#include "host/platform/platform.h"

struct PlatformSurface {
    std::vector<uint8_t> pixels;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;
    bool locked = false;
};

namespace {

struct DisplayDevice {
    HeadlessDisplaySwitches switches;
    bool open = false;
    HeadlessModeRecord mode;
    // The chain in display order: chain[0] is shown, chain[1] is the back buffer handed out.
    std::vector<std::unique_ptr<PlatformSurface>> chain;
    int32_t lose = 0;
    bool restore_fails = false;
    int32_t still_drawing = 0;
    bool has_palette = false;
    uint8_t palette[256][4] = {};
};

DisplayDevice& device() {
    static DisplayDevice d;
    return d;
}

bool owned(PlatformSurface* surface) {
    for (auto& s : device().chain)
        if (s.get() == surface) return true;
    return false;
}

int32_t busy_result() {
    DisplayDevice& d = device();
    if (d.lose > 0) {
        --d.lose;
        return PLATFORM_SURFACE_LOST;
    }
    if (d.still_drawing > 0) {
        --d.still_drawing;
        return PLATFORM_STILL_DRAWING;
    }
    return PLATFORM_OK;
}

HeadlessSurfaceView view_of(const PlatformSurface* s) {
    if (s == nullptr) return {};
    return HeadlessSurfaceView{s->pixels.data(), s->pitch, s->width, s->height, s->depth};
}

} // namespace

void headless_display_reset() { device() = DisplayDevice{}; }
HeadlessDisplaySwitches& headless_display_switches() { return device().switches; }
void headless_display_lose_surfaces(int32_t count, bool restore_fails) {
    device().lose = count;
    device().restore_fails = restore_fails;
}
void headless_display_still_drawing(int32_t count) { device().still_drawing = count; }
HeadlessSurfaceView headless_display_front() {
    DisplayDevice& d = device();
    return d.chain.empty() ? HeadlessSurfaceView{} : view_of(d.chain[0].get());
}
int32_t headless_display_chain_length() { return static_cast<int32_t>(device().chain.size()); }
HeadlessSurfaceView headless_display_chain(int32_t index) {
    DisplayDevice& d = device();
    if (index < 0 || index >= static_cast<int32_t>(d.chain.size())) return {};
    return view_of(d.chain[index].get());
}
const HeadlessModeRecord& headless_display_mode() { return device().mode; }
const uint8_t (*headless_display_palette())[4] { return device().palette; }
bool headless_display_has_palette() { return device().has_palette; }

int32_t display_device_open(WindowHandle window) {
    if (window == 0 || device().switches.open_fails) return PLATFORM_FAILED;
    device().open = true;
    return PLATFORM_OK;
}

void display_device_close() {
    DisplayDevice& d = device();
    d.chain.clear();
    d.has_palette = false;
    d.open = false;
}

int32_t display_device_set_mode(int32_t width, int32_t height, int32_t depth, int32_t refresh) {
    DisplayDevice& d = device();
    const HeadlessDisplaySwitches& sw = d.switches;
    if (!d.open || sw.refuse_all_modes) return PLATFORM_UNSUPPORTED;
    if (sw.refuse_320_wide && width == 320) return PLATFORM_UNSUPPORTED;
    if (sw.refuse_60hz && refresh != 0) return PLATFORM_UNSUPPORTED;
    if (depth != 8 && depth != 15 && depth != 16) return PLATFORM_UNSUPPORTED;
    // A mode change takes the surfaces of the old mode away.
    d.chain.clear();
    d.has_palette = false;
    d.mode.width = width;
    d.mode.height = height;
    d.mode.depth = depth == 15 ? 16 : depth;
    d.mode.refresh = refresh;
    ++d.mode.mode_sets;
    return PLATFORM_OK;
}

int32_t display_device_create_primary(int32_t back_buffers, PlatformSurface** primary, PlatformSurface** back) {
    DisplayDevice& d = device();
    if (!d.open || d.mode.width == 0) return PLATFORM_FAILED;
    if (back_buffers > 0 && d.switches.refuse_flip_chains) return PLATFORM_UNSUPPORTED;
    d.chain.clear();
    for (int32_t i = 0; i <= back_buffers; ++i) {
        auto s = std::make_unique<PlatformSurface>();
        s->width = d.mode.width;
        s->height = d.mode.height;
        s->depth = d.mode.depth;
        s->pitch = s->width * (s->depth / 8) + d.switches.extra_pitch;
        // Fresh video memory holds whatever was there before: not black.
        s->pixels.assign(static_cast<size_t>(s->pitch) * s->height, 0x5A);
        d.chain.push_back(std::move(s));
    }
    *primary = d.chain[0].get();
    if (back) *back = back_buffers > 0 ? d.chain[1].get() : nullptr;
    return PLATFORM_OK;
}

void surface_device_release(PlatformSurface* surface) {
    DisplayDevice& d = device();
    if (!d.chain.empty() && d.chain[0].get() == surface) d.chain.clear();
}

int32_t surface_device_lock(PlatformSurface* surface, uint8_t** pixels, int32_t* pitch) {
    if (!owned(surface)) return PLATFORM_FAILED;
    if (int32_t r = busy_result(); r != PLATFORM_OK) return r;
    surface->locked = true;
    *pixels = surface->pixels.data();
    *pitch = surface->pitch;
    return PLATFORM_OK;
}

void surface_device_unlock(PlatformSurface* surface) {
    if (owned(surface)) surface->locked = false;
}

int32_t surface_device_restore(PlatformSurface* surface) {
    if (!owned(surface) || device().restore_fails) return PLATFORM_FAILED;
    return PLATFORM_OK;
}

int32_t surface_device_fill(PlatformSurface* surface, uint32_t colour) {
    if (!owned(surface)) return PLATFORM_FAILED;
    if (int32_t r = busy_result(); r != PLATFORM_OK) return r;
    const int32_t bytes = surface->depth / 8;
    for (int32_t y = 0; y < surface->height; ++y) {
        uint8_t* row = surface->pixels.data() + static_cast<size_t>(y) * surface->pitch;
        for (int32_t x = 0; x < surface->width; ++x) std::memcpy(row + x * bytes, &colour, bytes);
    }
    return PLATFORM_OK;
}

int32_t surface_device_pitch(PlatformSurface* surface, int32_t* pitch) {
    if (!owned(surface)) return PLATFORM_FAILED;
    *pitch = surface->pitch;
    return PLATFORM_OK;
}

int32_t surface_device_masks(PlatformSurface* surface, PixelMasks* masks) {
    if (!owned(surface) || surface->depth == 8) return PLATFORM_FAILED;
    const HeadlessDisplaySwitches& sw = device().switches;
    *masks = PixelMasks{sw.red_mask, sw.green_mask, sw.blue_mask};
    return PLATFORM_OK;
}

int32_t surface_device_flip(PlatformSurface* primary, bool wait) {
    DisplayDevice& d = device();
    if (d.chain.size() < 2 || d.chain[0].get() != primary) return PLATFORM_FAILED;
    if (d.lose > 0) {
        --d.lose;
        return PLATFORM_SURFACE_LOST;
    }
    // The handed-out surfaces keep their roles: only the memory behind them moves round.
    std::vector<uint8_t> shown = std::move(d.chain[0]->pixels);
    for (size_t i = 0; i + 1 < d.chain.size(); ++i) d.chain[i]->pixels = std::move(d.chain[i + 1]->pixels);
    d.chain.back()->pixels = std::move(shown);
    ++d.mode.flips;
    if (wait) ++d.mode.flips_waited;
    return PLATFORM_OK;
}

int32_t palette_device_create(PlatformSurface* primary, const uint8_t entries[256][4]) {
    DisplayDevice& d = device();
    if (!owned(primary) || primary->depth != 8 || d.switches.refuse_palette) return PLATFORM_FAILED;
    std::memcpy(d.palette, entries, sizeof d.palette);
    d.has_palette = true;
    return PLATFORM_OK;
}

int32_t palette_device_set_entries(int32_t first, int32_t count, const uint8_t (*entries)[4]) {
    DisplayDevice& d = device();
    if (!d.has_palette || first < 0 || count < 0 || first + count > 256) return PLATFORM_FAILED;
    std::memcpy(d.palette[first], entries, static_cast<size_t>(count) * 4);
    return PLATFORM_OK;
}

void palette_device_release() { device().has_palette = false; }
