// Reader of the external 68000 single-instruction vectors (gzip-compressed binary container).
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct VectorState {
    uint32_t d[8] = {};
    uint32_t a[7] = {};
    uint32_t usp = 0, ssp = 0, sr = 0, pc = 0;
    std::vector<std::pair<uint32_t, uint16_t>> ram; // 68000 big-endian word at an even address
};

struct VectorCase {
    std::string name;
    VectorState initial, final;
    uint32_t cycles = 0;
    bool address_error = false; // has a "re"/"we" transaction
};

// Reads every case of one file; returns false (with a message) when the file is malformed.
bool read_vector_file(const std::filesystem::path& path, std::vector<VectorCase>& cases, std::string& error);
