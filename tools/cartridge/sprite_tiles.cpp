// Sprite patterns (106) and the two tile tables (107). Tiles come from the hand-drawn art file
// (cart/art/sprites.txt) and from shapes this tool draws itself; identical patterns share one
// physical tile, and every tile number without a tile shows the blank physical tile 0.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "cartridge.h"

namespace cart {

namespace {

int hex_value(char c) {
    if (c == '.') return 0;
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool glyph_ink(const Glyph& g, int x, int y) {
    return x >= 0 && x < 8 && y >= 0 && y < 8 && (g[static_cast<size_t>(y)] >> (7 - x) & 1) != 0;
}

// A picture of w x h pixels cut into 16 x 16 tiles numbered base + column * rows + row, the way a
// sprite column walks its tiles top to bottom.
struct Canvas {
    int w, h;
    std::vector<uint8_t> px;
    Canvas(int width, int height) : w(width), h(height), px(static_cast<size_t>(width * height), 0) {}
    uint8_t& at(int x, int y) { return px[static_cast<size_t>(y * w + x)]; }
    void cut(uint32_t base, std::vector<SpriteTile>& tiles) const {
        const int rows = h / 16;
        for (int c = 0; c < w / 16; ++c) {
            for (int r = 0; r < rows; ++r) {
                SpriteTile t;
                t.number = base + static_cast<uint32_t>(c * rows + r);
                for (int y = 0; y < 16; ++y)
                    for (int x = 0; x < 16; ++x)
                        t.pixels[static_cast<size_t>(16 * y + x)] =
                            px[static_cast<size_t>((r * 16 + y) * w + c * 16 + x)];
                tiles.push_back(t);
            }
        }
    }
};

// A glyph scaled by `scale` into a canvas at (ox, oy): a face shaded top (light) to bottom (dark)
// over the colours face_first .. face_first + 3, and an outline of colour 1 around it.
void draw_glyph(Canvas& cv, const Glyph& g, int ox, int oy, int scale, uint8_t face_first) {
    const int size = 8 * scale;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (!glyph_ink(g, x / scale, y / scale)) continue;
            cv.at(ox + x, oy + y) = static_cast<uint8_t>(face_first + y * 4 / size);
        }
    }
    for (int y = 0; y < cv.h; ++y) {
        for (int x = 0; x < cv.w; ++x) {
            if (cv.at(x, y) != 0) continue;
            bool edge = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < cv.w && ny < cv.h && cv.at(nx, ny) >= face_first)
                        edge = true;
                }
            if (edge) cv.at(x, y) = 1;
        }
    }
}

void add_logo(const Font& font, std::vector<SpriteTile>& tiles) {
    const char* word = "QZB";
    for (int letter = 0; letter < 3; ++letter) {
        Canvas cv(32, 32);
        draw_glyph(cv, font.glyphs[static_cast<uint8_t>(word[letter])], 2, 0, 4, 2);
        cv.cut(0x200 + static_cast<uint32_t>(letter) * 4, tiles);
    }
}

void add_big_font(const Font& font, std::vector<SpriteTile>& tiles) {
    for (int c = 0x20; c < 0x60; ++c) {
        if (!font.defined[static_cast<size_t>(c)]) continue;
        Canvas cv(16, 16);
        draw_glyph(cv, font.glyphs[static_cast<size_t>(c)], 0, 0, 2, 2);
        cv.cut(0x400 + static_cast<uint32_t>(c), tiles);
    }
}

// Eight frames of an explosion at 0x300 (auto-animation mode 2 steps through them).
void add_explosion(std::vector<SpriteTile>& tiles) {
    for (int k = 0; k < 8; ++k) {
        Canvas cv(16, 16);
        const double outer = 2.0 + k * 0.85, inner = k < 3 ? 0.0 : (k - 2) * 1.2;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const double d = std::hypot(x - 7.5, y - 7.5) + ((x * 7 + y * 13 + k * 5) % 5) * 0.25;
                if (d > outer || d < inner) continue;
                const double t = (d - inner) / std::max(0.5, outer - inner); // 0 inner .. 1 outer
                cv.at(x, y) =
                    static_cast<uint8_t>(6 + std::min(2, static_cast<int>(t * 3.0)) + (k > 5 ? 1 : 0));
            }
        }
        cv.cut(0x300 + static_cast<uint32_t>(k), tiles);
    }
}

// Four frames of the ship's exhaust at 0x104 (auto-animation mode 1).
void add_flames(std::vector<SpriteTile>& tiles) {
    const int lengths[4] = {7, 11, 14, 9};
    for (int k = 0; k < 4; ++k) {
        Canvas cv(16, 16);
        for (int y = 0; y < lengths[k]; ++y) {
            const int half = std::max(0, 3 - y * 3 / lengths[k]);
            for (int x = 7 - half; x <= 8 + half; ++x) {
                const int dist = std::abs(2 * x - 15);
                cv.at(x, y) = static_cast<uint8_t>(dist < 3 ? 6 : (y > lengths[k] / 2 ? 8 : 7));
            }
        }
        cv.cut(0x104 + static_cast<uint32_t>(k), tiles);
    }
}

// A saucer of 3 x 2 tiles at 0x130 (a chain of three columns, two tiles high).
void add_saucer(std::vector<SpriteTile>& tiles) {
    Canvas cv(48, 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 48; ++x) {
            const double hull = std::pow((x - 23.5) / 23.0, 2) + std::pow((y - 19.5) / 7.0, 2);
            const double dome = std::pow((x - 23.5) / 11.0, 2) + std::pow((y - 13.0) / 9.0, 2);
            uint8_t v = 0;
            if (dome <= 1.0 && y <= 16) v = dome > 0.75 ? 1 : (y < 9 ? 5 : 4);
            if (hull <= 1.0) v = hull > 0.8 ? 1 : (y < 19 ? 2 : 3);
            if (hull <= 1.0 && y >= 18 && y <= 20 && (x / 4) % 3 == 1) v = 6;
            cv.at(x, y) = v;
        }
    }
    cv.cut(0x130, tiles);
}

// Opaque wall panels at 0x500 for the tall side columns.
void add_walls(std::vector<SpriteTile>& tiles) {
    for (int k = 0; k < 4; ++k) {
        Canvas cv(16, 16);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                uint8_t v = 10;
                if (x == 0 || y == 0) v = 9;
                if (x == 15 || y == 15) v = 12;
                if (k & 1 ? (x == 7 || x == 8) : (y == 7 || y == 8)) v = 11;
                if ((x == 3 || x == 12) && (y == 3 || y == 12)) v = static_cast<uint8_t>(k == 3 ? 6 : 13);
                cv.at(x, y) = v;
            }
        }
        cv.cut(0x500 + static_cast<uint32_t>(k), tiles);
    }
}

} // namespace

bool parse_sprite_art(const std::string& text, std::vector<SpriteTile>& tiles, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    int line_number = 0;
    while (std::getline(lines, line)) {
        ++line_number;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string word, number;
        fields >> word >> number;
        if (word != "tile" || number.empty()) {
            error = "line " + std::to_string(line_number) + ": expected 'tile <number> <name>'";
            return false;
        }
        SpriteTile t;
        t.number = static_cast<uint32_t>(std::strtoul(number.c_str(), nullptr, 0));
        if (t.number >= kTileNumbers) {
            error = "line " + std::to_string(line_number) + ": tile number out of range";
            return false;
        }
        for (int y = 0; y < 16; ++y) {
            ++line_number;
            if (!std::getline(lines, line) || line.size() < 16) {
                error = "line " + std::to_string(line_number) + ": expected a row of 16 pixels";
                return false;
            }
            for (int x = 0; x < 16; ++x) {
                const int v = hex_value(line[static_cast<size_t>(x)]);
                if (v < 0) {
                    error = "line " + std::to_string(line_number) + ": bad pixel";
                    return false;
                }
                t.pixels[static_cast<size_t>(16 * y + x)] = static_cast<uint8_t>(v);
            }
        }
        tiles.push_back(t);
    }
    return true;
}

void add_generated_sprites(const Font& font, std::vector<SpriteTile>& tiles) {
    add_flames(tiles);
    add_saucer(tiles);
    add_logo(font, tiles);
    add_explosion(tiles);
    add_big_font(font, tiles);
    add_walls(tiles);
}

uint32_t pattern_row_flags(const uint8_t* pattern) {
    uint32_t flags = 0;
    for (int r = 0; r < 16; ++r) {
        bool all_set = true, all_clear = true;
        for (int b = 0; b < 8; ++b) {
            const uint8_t byte = pattern[8 * r + b];
            for (const int nibble : {byte >> 4, byte & 15}) {
                if (nibble == 0)
                    all_set = false;
                else
                    all_clear = false;
            }
        }
        if (all_set) flags |= 1u << (2 * r);
        if (all_clear) flags |= 1u << (2 * r + 1);
    }
    return flags;
}

bool build_sprite_images(const std::vector<SpriteTile>& tiles, Bytes& patterns, Bytes& tables,
                         std::string& error) {
    patterns.assign(kPatternSize, 0);
    tables.assign(kTableSize, 0);
    std::vector<uint32_t> index(kTileNumbers, 0);
    std::map<std::string, uint32_t> known; // packed pattern -> physical tile
    known[std::string(128, '\0')] = 0;
    uint32_t next_physical = 1;
    for (const SpriteTile& t : tiles) {
        if (t.number >= kTileNumbers) {
            error = "tile number " + std::to_string(t.number) + " out of range";
            return false;
        }
        std::string packed(128, '\0');
        for (int i = 0; i < 128; ++i)
            packed[static_cast<size_t>(i)] = static_cast<char>(
                t.pixels[static_cast<size_t>(2 * i)] << 4 | (t.pixels[static_cast<size_t>(2 * i + 1)] & 15));
        auto found = known.find(packed);
        if (found == known.end()) {
            if (next_physical >= kPhysicalTiles) {
                error = "too many sprite patterns";
                return false;
            }
            std::copy(packed.begin(), packed.end(),
                      patterns.begin() + 128 * static_cast<long>(next_physical));
            found = known.emplace(packed, next_physical++).first;
        }
        index[t.number] = found->second;
    }
    for (uint32_t n = 0; n < kTileNumbers; ++n) {
        const uint32_t flags = pattern_row_flags(patterns.data() + 128 * static_cast<size_t>(index[n]));
        for (int b = 0; b < 4; ++b) {
            tables[4 * n + static_cast<size_t>(b)] = static_cast<uint8_t>(flags >> (8 * b));
            tables[0x60000 + 4 * n + static_cast<size_t>(b)] = static_cast<uint8_t>(index[n] >> (8 * b));
        }
    }
    return true;
}

} // namespace cart
