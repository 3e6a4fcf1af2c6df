// The save file as the machine reads it at start-up: any bytes at all.
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/save_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The image buffers are kept for the whole run: fresh blocks of this size per input cost a map
    // and unmap under the address sanitizer, far more than the decoder itself. The stream is an
    // exactly sized copy, so a read past its end is still caught.
    static uint8_t image[SAVE_IMAGE_SIZE];
    static uint8_t again[SAVE_STREAM_MAX];
    static uint8_t round[SAVE_IMAGE_SIZE];
    std::vector<uint8_t> stream(data, data + size);
    save_scramble(stream.data(), stream.size());
    save_decode(stream.data(), stream.size(), image);

    // Whatever was decoded codes again and decodes to the same image.
    const size_t length = save_encode(image, again);
    save_decode(again, length, round);
    if (std::memcmp(round, image, sizeof image) != 0) __builtin_trap();
    return 0;
}
