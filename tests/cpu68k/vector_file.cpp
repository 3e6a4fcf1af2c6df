#include "vector_file.h"

#include <zlib.h>

#include <cstring>

namespace {

struct Reader {
    const std::vector<uint8_t>& bytes;
    size_t pos = 0;
    bool ok = true;
    uint32_t u32() {
        if (pos + 4 > bytes.size()) {
            ok = false;
            return 0;
        }
        uint32_t v = bytes[pos] | bytes[pos + 1] << 8 | bytes[pos + 2] << 16 | static_cast<uint32_t>(bytes[pos + 3]) << 24;
        pos += 4;
        return v;
    }
    uint16_t u16() {
        if (pos + 2 > bytes.size()) {
            ok = false;
            return 0;
        }
        uint16_t v = static_cast<uint16_t>(bytes[pos] | bytes[pos + 1] << 8);
        pos += 2;
        return v;
    }
    uint8_t u8() {
        if (pos + 1 > bytes.size()) {
            ok = false;
            return 0;
        }
        return bytes[pos++];
    }
};

bool read_state(Reader& in, VectorState& s) {
    in.u32();
    if (in.u32() != 0x01234567) return false;
    for (uint32_t& d : s.d) d = in.u32();
    for (uint32_t& a : s.a) a = in.u32();
    s.usp = in.u32();
    s.ssp = in.u32();
    s.sr = in.u32();
    s.pc = in.u32();
    in.u32();
    in.u32(); // prefetch words (also present in RAM)
    uint32_t n = in.u32();
    for (uint32_t i = 0; i < n && in.ok; ++i) {
        uint32_t address = in.u32();
        uint16_t word = in.u16();
        s.ram.emplace_back(address, word);
    }
    return in.ok;
}

bool gunzip(const std::filesystem::path& path, std::vector<uint8_t>& out) {
    gzFile file = gzopen(path.c_str(), "rb");
    if (!file) return false;
    uint8_t buffer[1 << 16];
    int n;
    while ((n = gzread(file, buffer, sizeof buffer)) > 0) out.insert(out.end(), buffer, buffer + n);
    gzclose(file);
    return n == 0;
}

} // namespace

bool read_vector_file(const std::filesystem::path& path, std::vector<VectorCase>& cases, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!gunzip(path, bytes)) {
        error = "cannot decompress " + path.string();
        return false;
    }
    Reader in{bytes};
    if (in.u32() != 0x1A3F5D71) {
        error = "bad file magic";
        return false;
    }
    uint32_t count = in.u32();
    for (uint32_t t = 0; t < count; ++t) {
        VectorCase c;
        in.u32();
        if (in.u32() != 0xABC12367) break;
        in.u32();
        if (in.u32() != 0x89ABCDEF) break;
        uint32_t len = in.u32();
        if (in.pos + len > bytes.size()) break;
        c.name.assign(reinterpret_cast<const char*>(bytes.data() + in.pos), len);
        in.pos += len;
        if (!read_state(in, c.initial) || !read_state(in, c.final)) break;
        in.u32();
        if (in.u32() != 0x456789AB) break;
        c.cycles = in.u32();
        uint32_t n = in.u32();
        for (uint32_t i = 0; i < n && in.ok; ++i) {
            uint8_t kind = in.u8();
            in.u32();
            if (kind != 0)
                for (int k = 0; k < 5; ++k) in.u32();
            if (kind == 4 || kind == 5) c.address_error = true;
        }
        if (!in.ok) break;
        cases.push_back(std::move(c));
    }
    if (cases.size() != count) {
        error = "malformed test " + std::to_string(cases.size()) + " in " + path.string();
        return false;
    }
    return true;
}
