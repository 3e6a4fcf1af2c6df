// A settings file of any content, as the start-up reader decodes it, and then everything that
// uses its fields. The bytes are decoded in memory: the file reading around the decoder is a
// plain fread, and going through the file system made each input cost a hundred times more.
#include <cstdint>
#include <cstring>

#include "app/settings.h"
#include "host/audio.h"
#include "host/display.h"
#include "host/input.h"
#include "machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    machine.settings = Settings{};
    // The reader takes at most the file's size from a longer file.
    settings_decode(data, size < SETTINGS_FILE_SIZE ? size : SETTINGS_FILE_SIZE, machine.settings);

    // The fields reach the volume mapping, the input mapping and the mode selection.
    audio_set_volume(machine.settings.volume);
    input_poll();
    apply_video_flags();

    // What is written back reads back as the same settings.
    uint8_t written[SETTINGS_FILE_SIZE];
    settings_encode(machine.settings, written);
    Settings again{};
    settings_decode(written, sizeof written, again);
    if (std::memcmp(&again, &machine.settings, sizeof again) != 0) __builtin_trap();
    return 0;
}
