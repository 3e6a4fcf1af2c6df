#include "json_reader.h"

#include <zlib.h>

namespace {

struct Parser {
    std::string_view s;
    size_t i = 0;
    bool ok = true;

    void skip_space() {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\r' || s[i] == '\t')) ++i;
    }
    bool expect(char c) {
        skip_space();
        if (i < s.size() && s[i] == c) {
            ++i;
            return true;
        }
        ok = false;
        return false;
    }
    bool literal(std::string_view word) {
        if (s.substr(i, word.size()) != word) return ok = false;
        i += word.size();
        return true;
    }
    void string(std::string& out) {
        if (!expect('"')) return;
        while (i < s.size() && s[i] != '"') {
            if (s[i] == '\\' && i + 1 < s.size()) ++i; // escapes are kept as the escaped character
            out.push_back(s[i++]);
        }
        if (i >= s.size()) ok = false;
        ++i;
    }
    void value(JsonValue& v) {
        skip_space();
        if (i >= s.size()) {
            ok = false;
            return;
        }
        char c = s[i];
        if (c == '{') {
            v.kind = JsonValue::OBJECT;
            ++i;
            skip_space();
            if (i < s.size() && s[i] == '}') {
                ++i;
                return;
            }
            while (ok) {
                v.members.emplace_back();
                string(v.members.back().first);
                if (!expect(':')) return;
                value(v.members.back().second);
                skip_space();
                if (i < s.size() && s[i] == ',') ++i;
                else {
                    expect('}');
                    return;
                }
            }
        } else if (c == '[') {
            v.kind = JsonValue::ARRAY;
            ++i;
            skip_space();
            if (i < s.size() && s[i] == ']') {
                ++i;
                return;
            }
            while (ok) {
                v.items.emplace_back();
                value(v.items.back());
                skip_space();
                if (i < s.size() && s[i] == ',') ++i;
                else {
                    expect(']');
                    return;
                }
            }
        } else if (c == '"') {
            v.kind = JsonValue::STRING;
            string(v.text);
        } else if (c == 'n') {
            literal("null");
        } else if (c == 't' || c == 'f') {
            v.kind = JsonValue::BOOLEAN;
            v.number = c == 't';
            literal(c == 't' ? "true" : "false");
        } else {
            v.kind = JsonValue::NUMBER;
            bool negative = c == '-';
            if (negative) ++i;
            size_t start = i;
            int64_t n = 0;
            while (i < s.size() && s[i] >= '0' && s[i] <= '9') n = n * 10 + (s[i++] - '0');
            if (i == start) ok = false;
            v.number = negative ? -n : n;
        }
    }
};

const JsonValue null_value;

} // namespace

const JsonValue& JsonValue::operator[](std::string_view name) const {
    for (const auto& [key, value] : members)
        if (key == name) return value;
    return null_value;
}

bool parse_json_array_prefix(std::string_view text, size_t max_items, std::vector<JsonValue>& items) {
    Parser p{text};
    items.clear();
    if (!p.expect('[')) return false;
    while (items.size() < max_items) {
        p.skip_space();
        if (p.i < text.size() && text[p.i] == ']') return true;
        JsonValue v;
        p.value(v);
        if (!p.ok) return false;
        items.push_back(std::move(v));
        p.skip_space();
        if (p.i < text.size() && text[p.i] == ',') ++p.i;
    }
    return true;
}

bool read_gzip_file(const std::string& path, std::string& out, size_t max_bytes) {
    gzFile f = gzopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    out.clear();
    char buffer[1 << 16];
    int n = 0;
    while (out.size() < max_bytes && (n = gzread(f, buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<size_t>(n));
    bool ok = n >= 0;
    gzclose(f);
    return ok;
}
