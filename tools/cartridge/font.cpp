// The glyph source: one line per character, "<char> b0 b1 ... b7" with the char written as itself
// or as 0xNN; '#' starts a comment line.
#include <cstdlib>
#include <sstream>

#include "cartridge.h"

namespace cart {

bool parse_font(const std::string& text, Font& font, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    int line_number = 0;
    while (std::getline(lines, line)) {
        ++line_number;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name;
        fields >> name;
        unsigned code;
        if (name.size() == 1) {
            code = static_cast<unsigned char>(name[0]);
        } else if (name.size() == 4 && name.compare(0, 2, "0x") == 0) {
            code = static_cast<unsigned>(std::strtoul(name.c_str() + 2, nullptr, 16));
        } else {
            error = "line " + std::to_string(line_number) + ": bad character '" + name + "'";
            return false;
        }
        Glyph glyph{};
        for (auto& row : glyph) {
            std::string hex;
            if (!(fields >> hex) || hex.size() != 2) {
                error = "line " + std::to_string(line_number) + ": expected eight hex bytes";
                return false;
            }
            row = static_cast<uint8_t>(std::strtoul(hex.c_str(), nullptr, 16));
        }
        font.glyphs[code] = glyph;
        font.defined[code] = true;
    }
    return true;
}

} // namespace cart
