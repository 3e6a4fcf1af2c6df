// The sound-program patch rules over any 128 KiB program.
#include <cstdint>
#include <cstring>

#include "app/app_state.h"
#include "app/rom_images.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One buffer for the whole run: a fresh 128 KiB block per input costs a map and unmap under
    // the address sanitizer, far more than the rules themselves.
    static uint8_t program[SOUND_PROGRAM_SIZE];
    // Short inputs land on the texts and patch sites, which sit in the first 8 KiB.
    const size_t used = size < sizeof program ? size : sizeof program;
    std::memcpy(program, data, used);
    std::memset(program + used, 0, sizeof program - used);
    patch_sound_program_image(program, sizeof program);
    return 0;
}
