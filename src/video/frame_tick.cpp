// The per-frame tick after each main CPU frame run: the auto-animation counters, and the patch
// that turns the game's busy-wait loops into code that gives the rest of the frame back.
#include <cstring>

#include "machine.h"
#include "video/video.h"

namespace {

void step_animation() {
    VideoState& v = machine.video;
    if (v.animation_speed <= v.animation_frame_count) {
        v.animation_frame_count = 0;
        v.animation_counter_b = static_cast<uint8_t>(v.animation_counter_b + 1);
        v.animation_counter_a = static_cast<uint8_t>(v.animation_counter_a + 1);
        if (v.animation_counter_a > 8) v.animation_counter_a = 1;
        if (v.animation_counter_b >= 12) v.animation_counter_b = 0;
    }
    v.animation_frame_count = static_cast<uint8_t>(v.animation_frame_count + 1);
}

// The program ROM image as words in host order; the patch touches nothing outside it.
bool rom_word(int64_t offset, uint16_t& word) {
    if (offset < 0 || offset + 2 > static_cast<int64_t>(sizeof machine.roms.program_rom)) return false;
    std::memcpy(&word, machine.roms.program_rom + offset, 2);
    return true;
}

void set_rom_word(int64_t offset, uint16_t word) {
    std::memcpy(machine.roms.program_rom + offset, &word, 2);
}

bool is_count_down_loop(int64_t offset) {
    uint16_t first, second;
    return rom_word(offset, first) && rom_word(offset + 2, second) && first == 0x5380 &&
           second == 0x64FC;
}

// A branch whose short displacement, or the low byte of its extension word, points a few bytes
// back: a loop that waits for something the next frame brings.
bool is_short_backward_branch(int64_t offset) {
    uint16_t word, next;
    if (!rom_word(offset, word)) return false;
    if ((word >> 8) < 0x60 || (word >> 8) > 0x6F) return false;
    if ((word & 0xFF) >= 0xF8) return true;
    return rom_word(offset + 2, next) && (next & 0xFF) >= 0xF8;
}

void patch_busy_wait() {
    VideoState& v = machine.video;
    const uint8_t* pc = machine.main_cpu.pc_pointer;
    const uint8_t* rom = machine.roms.program_rom;
    // Pointers are compared as integers: the program position may lie in any region of the map.
    auto pc_value = reinterpret_cast<uintptr_t>(pc), rom_value = reinterpret_cast<uintptr_t>(rom);
    int64_t offset = -1;
    if (pc != nullptr && pc_value >= rom_value && pc_value - rom_value < sizeof machine.roms.program_rom)
        offset = static_cast<int64_t>(pc_value - rom_value);

    if (offset >= 0 && (is_count_down_loop(offset) || is_count_down_loop(offset - 2))) {
        set_rom_word(offset, 0x4E75); // return from subroutine
        return;
    }
    if (offset >= 0 && offset == v.busy_wait_offset) {
        if (v.busy_wait_count < 6) ++v.busy_wait_count;
        if (v.busy_wait_count < 6) return;
        uint16_t word;
        if (is_short_backward_branch(offset) && rom_word(offset, word))
            set_rom_word(offset, static_cast<uint16_t>(word + 0x4000)); // 0x6xxx becomes 0xAxxx
        return;
    }
    v.busy_wait_count = 0;
    v.busy_wait_offset = offset;
}

} // namespace

void video_frame_tick() {
    step_animation();
    patch_busy_wait();
}
