#include "frame_png.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "machine.h"

bool write_frame_png(const std::string& path) {
    constexpr int width = 328, height = 256, first_row = FIRST_VISIBLE_ROW - 15;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> line(3 * width);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = machine.app.work_block + (first_row + y) * 1024;
        for (int x = 0; x < width; ++x) {
            uint16_t p;
            std::memcpy(&p, row + 2 * x, 2);
            line[3 * x] = static_cast<uint8_t>((p >> 11) << 3);
            line[3 * x + 1] = static_cast<uint8_t>(((p >> 5) & 63) << 2);
            line[3 * x + 2] = static_cast<uint8_t>((p & 31) << 3);
        }
        png_write_row(png, line.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return true;
}
