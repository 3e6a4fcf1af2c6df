#include "input_script.h"

#include <fstream>
#include <sstream>

#include "host/input.h"

int scan_code_of(const std::string& name) {
    for (int code = 1; code < 256; ++code) {
        const char* known = key_name(static_cast<uint8_t>(code));
        if (known != nullptr && name == known && name != "UNDEF.") return code;
    }
    return -1;
}

bool read_input_script(const std::string& path, std::vector<InputStep>* steps, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "qzb-run: cannot read the input script " + path;
        return false;
    }
    std::string line;
    long line_number = 0;
    long previous_frame = -1;
    while (std::getline(in, line)) {
        ++line_number;
        if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string word;
        if (!(words >> word)) continue;
        const auto where = path + ":" + std::to_string(line_number);
        InputStep step;
        try {
            size_t used = 0;
            step.frame = std::stol(word, &used);
            if (used != word.size() || step.frame < 0) throw std::invalid_argument(word);
        } catch (const std::exception&) {
            *error = "qzb-run: " + where + ": a line starts with a frame number, not '" + word + "'";
            return false;
        }
        if (step.frame <= previous_frame) {
            *error = "qzb-run: " + where + ": frame numbers must increase";
            return false;
        }
        previous_frame = step.frame;
        while (words >> word) {
            const int code = scan_code_of(word);
            if (code < 0) {
                *error = "qzb-run: " + where + ": unknown key name '" + word + "'";
                return false;
            }
            step.keys.push_back(static_cast<uint8_t>(code));
        }
        steps->push_back(std::move(step));
    }
    return true;
}
