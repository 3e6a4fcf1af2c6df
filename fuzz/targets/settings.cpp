// A settings file of any content, read at start-up, and then everything that uses its fields.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/settings.h"
#include "host/audio.h"
#include "host/display.h"
#include "host/input.h"
#include "machine.h"

namespace {
bool in_scratch_dir = false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!in_scratch_dir) {
        char pattern[] = "/tmp/qzb-fuzz-settings-XXXXXX";
        if (mkdtemp(pattern) == nullptr || chdir(pattern) != 0) std::abort();
        in_scratch_dir = true;
    }
    machine.settings = Settings{};
    FILE* f = std::fopen(SETTINGS_FILE_NAME, "wb");
    if (f == nullptr) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    settings_read();

    // The fields reach the volume mapping, the input mapping and the mode selection.
    audio_set_volume(machine.settings.volume);
    input_poll();
    apply_video_flags();
    settings_write();
    return 0;
}
