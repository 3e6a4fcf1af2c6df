// The per-frame script of held keys: lines "FRAME KEY KEY ...". Each line's keys are held from its
// frame until the next line's frame; a line with no keys releases every key. '#' starts a comment.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct InputStep {
    long frame = 0;
    std::vector<uint8_t> keys; // scan codes held
};

// Reads a script; on a bad line returns false with a one-line message in `error`.
bool read_input_script(const std::string& path, std::vector<InputStep>* steps, std::string* error);
// Scan code of a key name of the key definition menu; -1 when there is none.
int scan_code_of(const std::string& name);
