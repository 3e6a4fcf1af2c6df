// The SDL display: a mode is a logical surface of that size (one, or a chain of three), shown
// in the window scaled to keep the 4:3 picture, with black borders. A flip shows the next
// surface of the chain; drawing straight into the shown surface shows it when it is unlocked.
#include <cstring>
#include <memory>
#include <vector>

#include "host/platform/platform.h"
#include "host/platform/sdl/sdl_internal.h"

struct PlatformSurface {
    std::vector<uint8_t> pixels;
    int32_t pitch = 0;
};

namespace {

struct SdlDisplay {
    bool open = false;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int32_t width = 0, height = 0, depth = 0;
    bool vsync = false;
    std::vector<std::unique_ptr<PlatformSurface>> chain; // chain[0] is shown
    bool has_palette = false;
    uint8_t palette[256][4] = {};
    std::vector<uint32_t> converted; // 8-bit modes: the shown surface through the palette
};

SdlDisplay display;

bool owned(PlatformSurface* s) {
    for (auto& c : display.chain)
        if (c.get() == s) return true;
    return false;
}

void show_front() {
    SdlDisplay& d = display;
    if (d.renderer == nullptr || d.texture == nullptr || d.chain.empty()) return;
    const PlatformSurface& front = *d.chain[0];
    if (d.depth == 8) {
        d.converted.resize(static_cast<size_t>(d.width) * d.height);
        for (int32_t y = 0; y < d.height; ++y) {
            const uint8_t* in = front.pixels.data() + static_cast<size_t>(y) * front.pitch;
            uint32_t* out = d.converted.data() + static_cast<size_t>(y) * d.width;
            for (int32_t x = 0; x < d.width; ++x) {
                const uint8_t* e = d.palette[in[x]];
                out[x] = 0xFF000000u | (uint32_t(e[0]) << 16) | (uint32_t(e[1]) << 8) | e[2];
            }
        }
        SDL_UpdateTexture(d.texture, nullptr, d.converted.data(), d.width * 4);
    } else {
        SDL_UpdateTexture(d.texture, nullptr, front.pixels.data(), front.pitch);
    }
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(d.renderer, &w, &h);
    SDL_Rect dest{0, 0, w, h};
    // The picture keeps 4:3 whatever the mode's own shape (320x480 included).
    if (static_cast<int64_t>(w) * 3 > static_cast<int64_t>(h) * 4) dest.w = h * 4 / 3;
    else dest.h = w * 3 / 4;
    dest.x = (w - dest.w) / 2;
    dest.y = (h - dest.h) / 2;
    SDL_SetRenderDrawColor(d.renderer, 0, 0, 0, 255);
    SDL_RenderClear(d.renderer);
    SDL_RenderCopy(d.renderer, d.texture, nullptr, &dest);
    SDL_RenderPresent(d.renderer);
}

} // namespace

void sdl_display_redraw() { show_front(); }

int32_t display_device_open(WindowHandle) {
    SDL_Window* w = sdl_window();
    if (w == nullptr) return PLATFORM_FAILED;
    display.renderer = SDL_CreateRenderer(w, -1, SDL_RENDERER_ACCELERATED);
    if (display.renderer == nullptr) display.renderer = SDL_CreateRenderer(w, -1, SDL_RENDERER_SOFTWARE);
    if (display.renderer == nullptr) return PLATFORM_FAILED;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    display.open = true;
    return PLATFORM_OK;
}

void display_device_close() {
    SdlDisplay& d = display;
    d.chain.clear();
    if (d.texture) SDL_DestroyTexture(d.texture);
    if (d.renderer) SDL_DestroyRenderer(d.renderer);
    d = SdlDisplay{};
}

int32_t display_device_set_mode(int32_t width, int32_t height, int32_t depth, int32_t) {
    SdlDisplay& d = display;
    if (!d.open) return PLATFORM_FAILED;
    if (depth == 15) depth = 16;
    if (depth != 8 && depth != 16) return PLATFORM_UNSUPPORTED;
    SDL_Texture* t = SDL_CreateTexture(d.renderer, depth == 8 ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_RGB565,
                                       SDL_TEXTUREACCESS_STREAMING, width, height);
    if (t == nullptr) return PLATFORM_UNSUPPORTED;
    if (d.texture) SDL_DestroyTexture(d.texture);
    d.texture = t;
    d.chain.clear();
    d.has_palette = false;
    d.width = width;
    d.height = height;
    d.depth = depth;
    return PLATFORM_OK;
}

int32_t display_device_create_primary(int32_t back_buffers, PlatformSurface** primary, PlatformSurface** back) {
    SdlDisplay& d = display;
    if (d.texture == nullptr) return PLATFORM_FAILED;
    d.chain.clear();
    for (int32_t i = 0; i <= back_buffers; ++i) {
        auto s = std::make_unique<PlatformSurface>();
        s->pitch = d.width * d.depth / 8;
        s->pixels.assign(static_cast<size_t>(s->pitch) * d.height, 0);
        d.chain.push_back(std::move(s));
    }
    *primary = d.chain[0].get();
    if (back) *back = back_buffers > 0 ? d.chain[1].get() : nullptr;
    return PLATFORM_OK;
}

void surface_device_release(PlatformSurface* surface) {
    if (!display.chain.empty() && display.chain[0].get() == surface) display.chain.clear();
}

int32_t surface_device_lock(PlatformSurface* surface, uint8_t** pixels, int32_t* pitch) {
    if (!owned(surface)) return PLATFORM_FAILED;
    *pixels = surface->pixels.data();
    *pitch = surface->pitch;
    return PLATFORM_OK;
}

void surface_device_unlock(PlatformSurface* surface) {
    if (!display.chain.empty() && display.chain[0].get() == surface) show_front();
}

int32_t surface_device_restore(PlatformSurface* surface) { return owned(surface) ? PLATFORM_OK : PLATFORM_FAILED; }

int32_t surface_device_fill(PlatformSurface* surface, uint32_t colour) {
    if (!owned(surface)) return PLATFORM_FAILED;
    if (display.depth == 8) {
        std::memset(surface->pixels.data(), static_cast<int>(colour & 0xFF), surface->pixels.size());
    } else {
        const uint16_t c = static_cast<uint16_t>(colour);
        for (size_t i = 0; i + 1 < surface->pixels.size(); i += 2) std::memcpy(&surface->pixels[i], &c, 2);
    }
    if (display.chain[0].get() == surface) show_front();
    return PLATFORM_OK;
}

int32_t surface_device_pitch(PlatformSurface* surface, int32_t* pitch) {
    if (!owned(surface)) return PLATFORM_FAILED;
    *pitch = surface->pitch;
    return PLATFORM_OK;
}

int32_t surface_device_masks(PlatformSurface* surface, PixelMasks* masks) {
    if (!owned(surface) || display.depth != 16) return PLATFORM_FAILED;
    *masks = PixelMasks{0xF800, 0x07E0, 0x001F};
    return PLATFORM_OK;
}

int32_t surface_device_flip(PlatformSurface* primary, bool wait) {
    SdlDisplay& d = display;
    if (d.chain.size() < 2 || d.chain[0].get() != primary) return PLATFORM_FAILED;
    std::vector<uint8_t> shown = std::move(d.chain[0]->pixels);
    for (size_t i = 0; i + 1 < d.chain.size(); ++i) d.chain[i]->pixels = std::move(d.chain[i + 1]->pixels);
    d.chain.back()->pixels = std::move(shown);
    if (wait != d.vsync) {
        SDL_RenderSetVSync(d.renderer, wait ? 1 : 0);
        d.vsync = wait;
    }
    show_front();
    return PLATFORM_OK;
}

int32_t palette_device_create(PlatformSurface* primary, const uint8_t entries[256][4]) {
    if (!owned(primary) || display.depth != 8) return PLATFORM_FAILED;
    std::memcpy(display.palette, entries, sizeof display.palette);
    display.has_palette = true;
    return PLATFORM_OK;
}

int32_t palette_device_set_entries(int32_t first, int32_t count, const uint8_t (*entries)[4]) {
    if (!display.has_palette || first < 0 || count < 0 || first + count > 256) return PLATFORM_FAILED;
    std::memcpy(display.palette[first], entries, static_cast<size_t>(count) * 4);
    return PLATFORM_OK;
}

void palette_device_release() { display.has_palette = false; }
