// The video chip's register page as the main CPU sees it: the window onto video RAM (address,
// data, modulo), the mode register, the raster line counter and the raster timer.
#include "machine.h"
#include "video/video.h"

namespace {

uint16_t vram_data() { return machine.video.vram[machine.video.vram_address]; }

void vram_data_write(uint32_t value) {
    VideoState& v = machine.video;
    v.vram[v.vram_address] = static_cast<uint16_t>(value);
    v.vram_address = static_cast<uint16_t>(v.vram_address + v.vram_modulo);
}

// Bits 15-7: the raster line, from the main CPU's live cycle count; bits 2-0: the animation phase.
// The reference is 200000 cycles, not a whole frame run, so the first 8333 cycles of a run wrap.
uint16_t line_counter() {
    uint32_t left = static_cast<uint32_t>(machine.main_cpu.cycles_left);
    uint32_t line = ((((200000u - left) * 83u) >> 9) | 0x8000u) & 0xFF80u;
    return static_cast<uint16_t>(line | (machine.video.animation_counter_a & 7u));
}

void mode_write(uint32_t value) {
    VideoState& v = machine.video;
    uint16_t mode = static_cast<uint16_t>(value);
    if (mode == v.mode) return;
    v.mode = mode;
    uint8_t speed = static_cast<uint8_t>(mode >> 8);
    if (speed != 0 && speed != v.animation_speed) {
        v.animation_speed = speed;
        v.animation_counter_a = 0;
    }
    // The low byte latches raster timer controls; no raster interrupt exists here.
}

uint16_t read_register(uint32_t address) {
    switch (address & 0xE) {
    case 0x0:
    case 0x2:
    case 0xA: return vram_data();
    case 0x4: return machine.video.vram_modulo;
    case 0x6: return line_counter();
    default: return 0xFFFF;
    }
}

} // namespace

uint32_t video_register_read_word(uint32_t address) { return read_register(address); }

uint32_t video_register_read_long(uint32_t address) {
    uint32_t high, low;
    switch (address & 0xE) {
    case 0x0: high = low = vram_data(); break;
    case 0x2: high = vram_data(); low = machine.video.vram_modulo; break;
    case 0x4: high = machine.video.vram_modulo; low = line_counter(); break;
    case 0x6: high = line_counter(); low = vram_data(); break;
    default: return 0xFFFFFFFF;
    }
    return high << 16 | low;
}

void video_register_write_word(uint32_t address, uint32_t value) {
    VideoState& v = machine.video;
    value &= 0xFFFF;
    switch (address & 0xFFFF) { // writes act only at the exact offsets, no mirrors
    case 0x0: v.vram_address = static_cast<uint16_t>(value); break;
    case 0x2: vram_data_write(value); break;
    case 0x4: v.vram_modulo = static_cast<uint16_t>(value); break;
    case 0x6: mode_write(value); break;
    case 0x8: v.raster_timer = (v.raster_timer & 0xFFFF) | value << 16; break;
    case 0xA: v.raster_timer = (v.raster_timer & 0xFFFF0000) | value; break;
    default: break;
    }
}

void video_register_write_long(uint32_t address, uint32_t value) {
    VideoState& v = machine.video;
    uint32_t high = value >> 16, low = value & 0xFFFF;
    switch (address & 0xFFFF) {
    case 0x0:
        v.vram_address = static_cast<uint16_t>(high);
        vram_data_write(low);
        break;
    case 0x2:
        vram_data_write(high);
        v.vram_modulo = static_cast<uint16_t>(low);
        break;
    case 0x4:
        v.vram_modulo = static_cast<uint16_t>(high);
        mode_write(low);
        break;
    case 0x6: mode_write(high); break;
    case 0x8: v.raster_timer = value; break;
    default: break;
    }
}
