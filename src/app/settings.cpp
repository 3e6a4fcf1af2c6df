#include "app/settings.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/save_codec.h"
#include "app/save_file_io.h"
#include "host/flags.h"
#include "machine.h"

namespace {

constexpr uint32_t KNOWN_VIDEO_FLAGS = VF_8BIT | VF_SCANLINES | VF_DIM_SCANLINES | VF_SOFT | VF_LOWRES | VF_VSYNC |
                                       VF_MMX | VF_SHARP | VF_FLIPCHAIN | VF_NOT_FAMILY5;
constexpr uint32_t KNOWN_AUDIO_FLAGS = AF_ADPCM | AF_FM_SSG | AF_16BIT | AF_STEREO | AF_44K | AF_INTERPOLATE | AF_RECORD;
// A valid save stream is at most SAVE_STREAM_MAX bytes; a longer file is damaged and only its
// start is decoded.
constexpr size_t SAVE_READ_LIMIT = 262'144;

uint8_t save_stream[SAVE_READ_LIMIT];
uint8_t save_image[SAVE_IMAGE_SIZE];

uint32_t load_u32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void store_u32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

bool valid_device_code(uint32_t code) {
    return code == 0x10000 || code == 0x20000 || code == 0x20001 || code == 0x20002;
}

int sync_file(FILE* file) {
    if (std::fflush(file) != 0) return -1;
    return fsync(fileno(file));
}

} // namespace

SaveFileIo save_file_io;

void save_file_io_reset() { save_file_io = SaveFileIo{std::fopen, std::fwrite, sync_file, std::fclose, std::rename, std::remove}; }

namespace {
struct SaveFileIoInit {
    SaveFileIoInit() { save_file_io_reset(); }
} save_file_io_init;
} // namespace

void settings_decode(const uint8_t* bytes, size_t length, Settings& s) {
    // The file is user data: fields are taken only where the file holds them whole, and each is
    // made safe before anything uses it.
    if (length >= 4) s.video_flags = load_u32(bytes) & KNOWN_VIDEO_FLAGS;
    if (length >= 8) s.audio_flags = load_u32(bytes + 4) & KNOWN_AUDIO_FLAGS;
    for (int player = 0; player < 2; ++player) {
        const size_t offset = 8 + 4 * static_cast<size_t>(player);
        if (length >= offset + 4) {
            const uint32_t code = load_u32(bytes + offset);
            if (valid_device_code(code)) s.device_code[player] = code;
        }
    }
    if (length >= 20) s.volume = std::clamp(static_cast<int32_t>(load_u32(bytes + 16)), 0, 100);
    if (length >= 28) std::memcpy(s.bindings[0], bytes + 20, 8);
    if (length >= 36) std::memcpy(s.bindings[1], bytes + 28, 8);
}

void settings_encode(const Settings& s, uint8_t* bytes) {
    store_u32(bytes, s.video_flags);
    store_u32(bytes + 4, s.audio_flags);
    store_u32(bytes + 8, s.device_code[0]);
    store_u32(bytes + 12, s.device_code[1]);
    store_u32(bytes + 16, static_cast<uint32_t>(s.volume));
    std::memcpy(bytes + 20, s.bindings[0], 8);
    std::memcpy(bytes + 28, s.bindings[1], 8);
}

void settings_read() {
    machine.app.settings_loaded = true;
    FILE* file = std::fopen(SETTINGS_FILE_NAME, "rb");
    if (file == nullptr) return;
    uint8_t bytes[SETTINGS_FILE_SIZE];
    const size_t got = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    settings_decode(bytes, got, machine.settings);
}

void settings_write() {
    uint8_t bytes[SETTINGS_FILE_SIZE];
    settings_encode(machine.settings, bytes);
    FILE* file = std::fopen(SETTINGS_FILE_NAME, "wb");
    if (file == nullptr) return;
    std::fwrite(bytes, 1, sizeof bytes, file);
    std::fclose(file);
}

void save_read() {
    uint8_t* backup = machine.board.backup_ram;
    FILE* file = std::fopen(SAVE_FILE_NAME, "rb");
    if (file == nullptr) {
        std::memset(backup, 0, BACKUP_RAM_SIZE);
        return;
    }
    const size_t length = std::fread(save_stream, 1, sizeof save_stream, file);
    std::fclose(file);
    save_scramble(save_stream, length);
    save_decode(save_stream, length, save_image);
    std::memcpy(backup, save_image, BACKUP_RAM_SIZE);
}

int save_write() {
    std::memcpy(save_image, machine.board.backup_ram, SAVE_IMAGE_SIZE);
    const size_t length = save_encode(save_image, save_stream);
    save_scramble(save_stream, length);

    // The new file is written beside the old one and renamed over it only when it is complete, so
    // a failure at any point keeps the previous save.
    const SaveFileIo& io = save_file_io;
    FILE* file = io.open(SAVE_TEMP_FILE_NAME, "wb");
    if (file == nullptr) return 0;
    bool ok = length == 0 || io.write(save_stream, 1, length, file) == length;
    ok = io.sync(file) == 0 && ok;
    ok = io.close(file) == 0 && ok;
    if (ok && io.rename(SAVE_TEMP_FILE_NAME, SAVE_FILE_NAME) == 0) return 1;
    io.remove(SAVE_TEMP_FILE_NAME);
    return 0;
}
