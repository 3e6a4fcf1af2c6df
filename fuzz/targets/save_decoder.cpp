// The save file as the machine reads it at start-up: any bytes at all.
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/save_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> stream(data, data + size);
    save_scramble(stream.data(), stream.size());
    std::vector<uint8_t> image(SAVE_IMAGE_SIZE);
    save_decode(stream.data(), stream.size(), image.data());

    // Whatever was decoded codes again and decodes to the same image.
    std::vector<uint8_t> again(SAVE_STREAM_MAX);
    again.resize(save_encode(image.data(), again.data()));
    std::vector<uint8_t> round(SAVE_IMAGE_SIZE);
    save_decode(again.data(), again.size(), round.data());
    if (round != image) __builtin_trap();
    return 0;
}
