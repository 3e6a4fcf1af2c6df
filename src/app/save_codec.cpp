#include "app/save_codec.h"

#include <cstring>

namespace {
// Any four fixed bytes do; files written with another key do not decode.
constexpr uint8_t SCRAMBLE_KEY[4] = {0x51, 0x5A, 0x42, 0x9D};

// The end of the zero run starting at `i`. Backup RAM is mostly zeros, so whole words are skipped
// at a time.
size_t end_of_zero_run(const uint8_t* image, size_t i) {
    while (i + 8 <= SAVE_IMAGE_SIZE) {
        uint64_t word;
        std::memcpy(&word, image + i, sizeof word);
        if (word != 0) break;
        i += 8;
    }
    while (i < SAVE_IMAGE_SIZE && image[i] == 0) ++i;
    return i;
}
} // namespace

size_t save_encode(const uint8_t* image, uint8_t* stream) {
    size_t n = 0;
    size_t i = 0;
    while (true) {
        const size_t run_end = end_of_zero_run(image, i);
        // Zeros after the last non-zero byte are not written: the reader's image is zero there
        // already, and an all-zero backup RAM gives an empty file.
        if (run_end == SAVE_IMAGE_SIZE) return n;
        for (size_t run = run_end - i; run > 0;) {
            const size_t token = run < 255 ? run : 255;
            stream[n++] = 0x00;
            stream[n++] = static_cast<uint8_t>(token);
            run -= token;
        }
        stream[n++] = image[run_end];
        i = run_end + 1;
    }
}

void save_decode(const uint8_t* stream, size_t length, uint8_t* image) {
    std::memset(image, 0, SAVE_IMAGE_SIZE);
    size_t p = 0;
    for (size_t i = 0; i < length && p < SAVE_IMAGE_SIZE; ++i) {
        const uint8_t b = stream[i];
        if (b != 0) {
            image[p++] = b;
        } else {
            if (i + 1 >= length) break; // a count byte cut off by the end of the file
            p += stream[++i];
        }
    }
}

void save_scramble(uint8_t* stream, size_t length) {
    for (size_t i = 0; i < length; ++i) stream[i] ^= SCRAMBLE_KEY[i & 3];
}
