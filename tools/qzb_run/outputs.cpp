#include "outputs.h"

#include <png.h>

#include <cstdio>
#include <memory>

#include "host/flags.h"
#include "host/platform/headless/headless.h"
#include "machine.h"

namespace {

constexpr int VISIBLE_WIDTH = 304;
constexpr int VISIBLE_HEIGHT = 224;
constexpr int FIRST_COLUMN = 8;

// Expands a channel of a 16-bit pixel to 8 bits.
uint8_t channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = __builtin_ctz(mask);
    const uint32_t max = mask >> shift;
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / max);
}

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

void put_le(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

} // namespace

std::vector<uint8_t> visible_picture_rgb() {
    std::vector<uint8_t> rgb(VISIBLE_WIDTH * VISIBLE_HEIGHT * 3, 0);
    const uint8_t* frame = machine.app.work_block;
    if (frame == nullptr) return rgb;
    const bool eight_bit = machine.settings.video_flags & VF_8BIT;
    const DisplayContext& display = machine.host.display;
    for (int y = 0; y < VISIBLE_HEIGHT; ++y) {
        const uint8_t* row = frame + (machine.video.first_visible_row + static_cast<uint32_t>(y)) * FRAME_BUFFER_PITCH;
        for (int x = 0; x < VISIBLE_WIDTH; ++x) {
            uint8_t* out = &rgb[(static_cast<size_t>(y) * VISIBLE_WIDTH + static_cast<size_t>(x)) * 3];
            if (eight_bit) {
                const uint8_t* entry = display.entries[row[FIRST_COLUMN + x]];
                out[0] = entry[0];
                out[1] = entry[1];
                out[2] = entry[2];
            } else {
                const uint32_t pixel = row[2 * (FIRST_COLUMN + x)] | row[2 * (FIRST_COLUMN + x) + 1] << 8;
                out[0] = channel(pixel, display.red_mask);
                out[1] = channel(pixel, display.green_mask);
                out[2] = channel(pixel, display.blue_mask);
            }
        }
    }
    return rgb;
}

std::vector<uint8_t> scaled_picture_rgb(int* width, int* height) {
    const DisplayContext& display = machine.host.display;
    // With a flip chain the scaler draws into the back buffer and the flip follows later.
    const HeadlessSurfaceView surface =
        display.present_flip && headless_display_chain_length() > 1 ? headless_display_chain(1) : headless_display_front();
    *width = surface.width;
    *height = surface.height;
    std::vector<uint8_t> rgb(static_cast<size_t>(surface.width) * static_cast<size_t>(surface.height) * 3, 0);
    if (surface.pixels == nullptr) return rgb;
    for (int y = 0; y < surface.height; ++y) {
        const uint8_t* row = surface.pixels + static_cast<size_t>(y) * static_cast<size_t>(surface.pitch);
        for (int x = 0; x < surface.width; ++x) {
            uint8_t* out = &rgb[(static_cast<size_t>(y) * static_cast<size_t>(surface.width) + static_cast<size_t>(x)) * 3];
            if (surface.depth == 8) {
                const uint8_t* entry = display.entries[row[x]];
                out[0] = entry[0];
                out[1] = entry[1];
                out[2] = entry[2];
            } else {
                const uint32_t pixel = row[2 * x] | row[2 * x + 1] << 8;
                out[0] = channel(pixel, display.red_mask);
                out[1] = channel(pixel, display.green_mask);
                out[2] = channel(pixel, display.blue_mask);
            }
        }
    }
    return rgb;
}

bool write_png(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(&rgb[static_cast<size_t>(y) * static_cast<size_t>(width) * 3]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool write_wav(const std::string& path, const std::vector<uint8_t>& samples, int rate, int channels, int bits) {
    std::vector<uint8_t> header;
    const uint32_t block_align = static_cast<uint32_t>(channels * bits / 8);
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    put_le(header, static_cast<uint32_t>(36 + samples.size()), 4);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put_le(header, 16, 4);
    put_le(header, 1, 2); // PCM
    put_le(header, static_cast<uint32_t>(channels), 2);
    put_le(header, static_cast<uint32_t>(rate), 4);
    put_le(header, static_cast<uint32_t>(rate) * block_align, 4);
    put_le(header, block_align, 2);
    put_le(header, static_cast<uint32_t>(bits), 2);
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    put_le(header, static_cast<uint32_t>(samples.size()), 4);
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    if (std::fwrite(header.data(), 1, header.size(), file.get()) != header.size()) return false;
    return samples.empty() || std::fwrite(samples.data(), 1, samples.size(), file.get()) == samples.size();
}

bool write_ram_dump(const std::string& path) {
    std::vector<uint8_t> out;
    out.reserve(3 * 65536);
    auto append_words = [&](const uint8_t* host_words, size_t bytes) {
        for (size_t i = 0; i < bytes; i += 2) {
            out.push_back(host_words[i + 1]);
            out.push_back(host_words[i]);
        }
    };
    append_words(machine.board.work_ram, WORK_RAM_SIZE);
    append_words(machine.board.backup_ram, BACKUP_RAM_SIZE);
    append_words(reinterpret_cast<const uint8_t*>(machine.video.vram), VRAM_WORDS * 2);
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    return file && std::fwrite(out.data(), 1, out.size(), file.get()) == out.size();
}

uint64_t fnv1a(const uint8_t* data, size_t size, uint64_t hash) {
    for (size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}
