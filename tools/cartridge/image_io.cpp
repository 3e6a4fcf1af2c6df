// File access and the main CPU word order of the stored images.
#include <cstdio>

#include "cartridge.h"

namespace cart {

bool read_file(const std::string& path, Bytes& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        out.insert(out.end(), buffer, buffer + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool write_file(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool to_main_cpu_image(const Bytes& big_endian, size_t size, Bytes& out) {
    if (big_endian.size() > size || size % 2 != 0) return false;
    out.assign(size, 0);
    for (size_t i = 0; i < big_endian.size(); ++i)
        out[i ^ 1] = big_endian[i];
    return true;
}

} // namespace cart
