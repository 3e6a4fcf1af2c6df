// The loading picture (111: raw RGB, 640 x 480) and the icon (124: raw RGBA, 32 x 32).
// The picture leaves a white bar at the bottom right where start-up draws its progress marks
// (x 375 to 602, y 442 to 457: black glyphs on a white background) and keeps the middle of the
// screen calm for the "LOADING" text.
#include <cmath>

#include "cartridge.h"

namespace cart {

namespace {

struct Rgb {
    uint8_t r, g, b;
};

void put(Bytes& img, int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= 640 || y >= 480) return;
    uint8_t* p = &img[static_cast<size_t>((y * 640 + x) * 3)];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
}

void text(Bytes& img, const Font& font, const char* s, int x, int y, int scale, Rgb c) {
    for (; *s; ++s, x += 8 * scale) {
        const Glyph& g = font.glyphs[static_cast<uint8_t>(*s)];
        for (int gy = 0; gy < 8 * scale; ++gy)
            for (int gx = 0; gx < 8 * scale; ++gx)
                if (g[static_cast<size_t>(gy / scale)] >> (7 - gx / scale) & 1) put(img, x + gx, y + gy, c);
    }
}

} // namespace

Bytes build_loading_picture(const Font& font) {
    Bytes img(kPictureSize);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const double glow = std::exp(-std::pow((y - 150) / 120.0, 2));
            const Rgb c{static_cast<uint8_t>(10 + 60 * glow), static_cast<uint8_t>(8 + 20 * glow),
                        static_cast<uint8_t>(40 + y * 60 / 480 + 50 * glow)};
            put(img, x, y, c);
        }
    }
    // A horizon grid in the lower third.
    for (int y = 300; y < 430; ++y) {
        bool line = false; // rows crowd together towards the horizon
        for (int k = 0; k < 9; ++k)
            line = line || y == 300 + k * k * 2 - (k > 0 ? 1 : 0);
        for (int x = 0; x < 640; ++x) {
            const int from_centre = (x - 320) * 60 / (y - 280);
            if (line || from_centre % 40 == 0) put(img, x, y, Rgb{200, 60, 170});
        }
    }
    text(img, font, "QZB", 320 - 3 * 8 * 12 / 2 + 6, 46 + 6, 12, Rgb{20, 0, 40});
    text(img, font, "QZB", 320 - 3 * 8 * 12 / 2, 46, 12, Rgb{255, 210, 60});
    text(img, font, "ARCADE MACHINE", 320 - 14 * 8 * 2 / 2, 160, 2, Rgb{230, 230, 255});
    // The progress bar: marks come at x = 28 n + 347 (n = 1..7) and 571, 32 pixels wide.
    for (int y = 438; y < 462; ++y)
        for (int x = 368; x < 608; ++x)
            put(img, x, y,
                (y == 438 || y == 461 || x == 368 || x == 607) ? Rgb{20, 0, 40} : Rgb{255, 255, 255});
    text(img, font, "(C) QZB PROJECT", 24, 446, 1, Rgb{180, 180, 220});
    return img;
}

Bytes build_icon(const Font& font) {
    Bytes icon(kIconSize, 0);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            uint8_t* p = &icon[static_cast<size_t>((y * 32 + x) * 4)];
            const bool corner = (x < 3 || x > 28) && (y < 3 || y > 28);
            p[0] = static_cast<uint8_t>(40 + y * 3);
            p[1] = 20;
            p[2] = static_cast<uint8_t>(120 + y * 4);
            p[3] = corner ? 0 : 255;
        }
    }
    const Glyph& q = font.glyphs['Q'];
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            if (q[static_cast<size_t>(y / 3)] >> (7 - x / 3) & 1) {
                uint8_t* p = &icon[static_cast<size_t>(((y + 4) * 32 + x + 4) * 4)];
                p[0] = 255;
                p[1] = 210;
                p[2] = 60;
            }
    return icon;
}

} // namespace cart
