// A small JSON reader for the single-step vectors: numbers are integers, and null, strings,
// arrays and objects are all the files hold. Not a general parser.
#pragma once
#include <cstdint>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct JsonValue {
    enum Kind { NUL, NUMBER, STRING, ARRAY, OBJECT, BOOLEAN } kind = NUL;
    int64_t number = 0;
    std::string text;
    std::vector<JsonValue> items;                            // ARRAY
    std::vector<std::pair<std::string, JsonValue>> members; // OBJECT

    // The member of that name, or a null value.
    const JsonValue& operator[](std::string_view name) const;
    int64_t as_int() const { return number; }
};

// Parses up to `max_items` leading elements of a top-level array; the text may be cut anywhere
// after them. Returns false when fewer could be read and the text did not end the array there.
bool parse_json_array_prefix(std::string_view text, size_t max_items, std::vector<JsonValue>& items);

// Reads a gzip file, whole or only its first `max_bytes` bytes; false when it cannot be read.
bool read_gzip_file(const std::string& path, std::string& out, size_t max_bytes = SIZE_MAX);
