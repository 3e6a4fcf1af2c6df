// The file operations the save file goes through; tests replace them to interrupt a save at any
// stage (open, short write, full disk, close, rename).
#pragma once
#include <cstddef>
#include <cstdio>

struct SaveFileIo {
    FILE* (*open)(const char* path, const char* mode);
    size_t (*write)(const void* data, size_t size, size_t count, FILE* file);
    int (*sync)(FILE* file); // flushes the file's data to the disk; 0 on success
    int (*close)(FILE* file);
    int (*rename)(const char* from, const char* to);
    int (*remove)(const char* path);
};

extern SaveFileIo save_file_io;
// Puts the real file operations back.
void save_file_io_reset();

inline constexpr const char* SAVE_TEMP_FILE_NAME = "qzb.sav.tmp";
