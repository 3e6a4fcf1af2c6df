#include "app/save_codec.h"

#include <cstring>

namespace {
// Any four fixed bytes do; files written with another key do not decode.
constexpr uint8_t SCRAMBLE_KEY[4] = {0x51, 0x5A, 0x42, 0x9D};
} // namespace

size_t save_encode(const uint8_t* image, uint8_t* stream) {
    size_t n = 0;
    size_t after_last_literal = 0;
    unsigned run = 0;
    for (size_t i = 0; i < SAVE_IMAGE_SIZE; ++i) {
        const uint8_t b = image[i];
        if (b == 0) {
            if (++run == 255) {
                stream[n++] = 0x00;
                stream[n++] = 0xFF;
                run = 0;
            }
            continue;
        }
        if (run > 0) {
            stream[n++] = 0x00;
            stream[n++] = static_cast<uint8_t>(run);
            run = 0;
        }
        stream[n++] = b;
        after_last_literal = n;
    }
    // Zeros after the last non-zero byte are not written, full runs of 255 included: the
    // reader's image is zero there already, and an all-zero backup RAM gives an empty file.
    return after_last_literal;
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
