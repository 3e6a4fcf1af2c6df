// The sound-program patch rules over any 128 KiB program.
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "app/rom_images.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> program(SOUND_PROGRAM_SIZE, 0);
    // Short inputs land on the texts and patch sites, which sit in the first 8 KiB.
    std::memcpy(program.data(), data, size < program.size() ? size : program.size());
    patch_sound_program_image(program.data(), program.size());
    return 0;
}
