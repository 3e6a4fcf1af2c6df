// What qzb-run writes: pictures, sound, hashes and RAM dumps.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The visible 304x224 picture of the frame buffer as 8-bit RGB triples.
std::vector<uint8_t> visible_picture_rgb();
// The display as the current scaler drew the last frame (the surface it drew into), as 8-bit RGB.
std::vector<uint8_t> scaled_picture_rgb(int* width, int* height);
bool write_png(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height);
bool write_wav(const std::string& path, const std::vector<uint8_t>& samples, int rate, int channels, int bits);
// Work RAM and backup RAM (64 KiB each) and video RAM (128 KiB), in the 68000's byte order.
bool write_ram_dump(const std::string& path);

// 64-bit FNV-1a, continued from `hash`.
uint64_t fnv1a(const uint8_t* data, size_t size, uint64_t hash = 0xcbf29ce484222325ull);
