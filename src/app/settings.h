// The settings kept in "qzb.ini" and the backup RAM kept in "qzb.sav".
// Touches: machine.settings (its own), machine.board.backup_ram, scratch space in the frame
// buffer part of machine.app.work_block.
#pragma once
#include <cstddef>
#include <cstdint>

// The settings file's seven fields, in file order; the fields are the live settings themselves.
struct Settings {
    uint32_t video_flags = 0;
    uint32_t audio_flags = 0x0B;
    uint32_t device_code[2] = {0x00020000, 0x00010000};
    int32_t volume = 80;
    uint8_t bindings[2][8] = {
        {0x1E, 0x1F, 0x20, 0x21, 0x25, 0x23, 0x24, 0x16},
        {0xD2, 0xC7, 0xC9, 0xD1, 0x4D, 0x4B, 0x4C, 0x48},
    };
};

inline constexpr size_t SETTINGS_FILE_SIZE = 36;
inline constexpr const char* SETTINGS_FILE_NAME = "qzb.ini";
inline constexpr const char* SAVE_FILE_NAME = "qzb.sav";

void settings_read();
void settings_write();
// The file's bytes to and from the fields. Decoding reads only the first `length` bytes (a short
// file keeps the current value of every field it does not hold whole) and makes each field safe.
void settings_decode(const uint8_t* bytes, size_t length, Settings& settings);
void settings_encode(const Settings& settings, uint8_t* bytes); // SETTINGS_FILE_SIZE bytes
void save_read();
int save_write(); // 1 when the new save file is in place
