// The chip's register interface: the four ports, the timer and mode registers, the timers'
// overflow and the interrupt they raise, and the chip's life cycle (initialise, reset, free).
#include <cstdlib>
#include <cstring>

#include "machine.h"
#include "sound/chip_internal.h"
#include "sound/sound.h"

namespace {

void lower_interrupt_if_clear() {
    SoundChipState& chip = machine.sound_chip;
    if (chip.interrupt_raised && (chip.status_a & chip.interrupt_mask) == 0) {
        chip.interrupt_raised = 0;
        sound_cpu_calls().set_irq_line(0);
    }
}

void start_timer(int index, int32_t count) {
    SoundChipState& chip = machine.sound_chip;
    (index == 0 ? chip.timer_a_running : chip.timer_b_running) = count;
    if (chip.timer_callback != nullptr) chip.timer_callback(index, count);
}

int32_t timer_count(int index) {
    const SoundChipState& chip = machine.sound_chip;
    return index == 0 ? 1024 - chip.timer_a_value : (256 - chip.timer_b_value) * 16;
}

void mode_write(uint8_t value) {
    SoundChipState& chip = machine.sound_chip;
    const uint8_t old_mode = chip.timer_mode;
    chip.timer_mode = value;
    if (value & 0x10) {
        chip.status_a &= static_cast<uint8_t>(~1);
        lower_interrupt_if_clear();
    }
    if (value & 0x20) {
        chip.status_a &= static_cast<uint8_t>(~2);
        lower_interrupt_if_clear();
    }
    // A running timer is not restarted: a new value takes effect at its next reload.
    if (value & 0x01) {
        if (chip.timer_a_running == 0) start_timer(0, timer_count(0));
    } else if (chip.timer_a_running != 0) {
        start_timer(0, 0);
    }
    if (value & 0x02) {
        if (chip.timer_b_running == 0) start_timer(1, timer_count(1));
    } else if (chip.timer_b_running != 0) {
        start_timer(1, 0);
    }
    fm_mode_changed(old_mode, value);
}

void timer_register_write(int reg, uint8_t value) {
    SoundChipState& chip = machine.sound_chip;
    switch (reg) {
    case 0x24:
        chip.timer_a_value = (chip.timer_a_value & 3) | (value << 2);
        break;
    case 0x25:
        chip.timer_a_value = (chip.timer_a_value & 0x3FC) | (value & 3);
        break;
    case 0x26:
        chip.timer_b_value = value;
        break;
    case 0x27:
        mode_write(value);
        break;
    case 0x28:
        fm_key_write(value);
        break;
    default:
        break;
    }
}

} // namespace

void chip_timer_expired(int32_t index) {
    SoundChipState& chip = machine.sound_chip;
    machine.sound_timing.timer_event[index] = 0;
    if (index == 0) {
        audio_render_to_now(100, false);
        if (chip.timer_mode & 0x04) chip.status_a |= 1;
    } else if (chip.timer_mode & 0x08) {
        chip.status_a |= 2;
    }
    if (!chip.interrupt_raised && (chip.status_a & chip.interrupt_mask) != 0) {
        chip.interrupt_raised = 1;
        sound_cpu_calls().set_irq_line(1);
    }
    start_timer(index, timer_count(index));
    if (index == 0 && (chip.timer_mode & 0x80)) fm_csm_key_on();
}

void chip_write(int port, uint8_t value) {
    SoundChipState& chip = machine.sound_chip;
    if (!chip.initialised) return;
    switch (port & 3) {
    case 0:
        chip.address_a = value;
        if (value < 16) ssg_write(0, value);
        break;
    case 1:
        if (chip.address_a < 16) {
            ssg_write(1, value);
            break;
        }
        audio_render_to_now(100, false);
        if (chip.address_a < 0x20)
            adpcm_b_register_write(chip.address_a, value);
        else if (chip.address_a < 0x30)
            timer_register_write(chip.address_a, value);
        else
            fm_register_write(chip.address_a, value, false);
        break;
    case 2:
        chip.address_b = value;
        break;
    case 3:
        audio_render_to_now(100, false);
        if (chip.address_b >= 0x30)
            fm_register_write(chip.address_b, value, true);
        else
            adpcm_a_register_write(chip.address_b, value);
        break;
    }
}

uint8_t chip_read(int port) {
    const SoundChipState& chip = machine.sound_chip;
    switch (port & 3) {
    case 0:
        return chip.status_a & 0x83;
    case 1:
        if (chip.address_a <= 15) return ssg_read();
        return chip.address_a == 0xFF ? 1 : 0;
    case 2:
        return chip.status_b;
    default:
        return 0;
    }
}

void chip_reset() {
    SoundChipState& chip = machine.sound_chip;
    ssg_reset();
    chip.interrupt_mask = 3;
    mode_write(0x30);
    fm_reset();
    for (int second = 0; second < 2; ++second) {
        for (int reg = 0xB6; reg >= 0xB4; --reg)
            fm_register_write(reg, 0xC0, second != 0);
        for (int reg = 0xB2; reg >= 0x30; --reg)
            fm_register_write(reg, 0, second != 0);
    }
    adpcm_reset();
    chip.status_b = 0;
    chip.status_b_mask = 0xBF;
}

int chip_initialise(int32_t clock, int32_t rate, const uint8_t* adpcm_a_rom, const uint8_t* adpcm_b_rom,
                    uint32_t adpcm_a_length, uint32_t adpcm_b_length, TimerCallback callback) {
    SoundChipState& chip = machine.sound_chip;
    if (chip.initialised || clock <= 0 || rate <= 0) return 0;
    const int32_t samples = rate / 60 + 1;
    auto* left = static_cast<int32_t*>(std::calloc(static_cast<size_t>(samples), sizeof(int32_t)));
    auto* right = static_cast<int32_t*>(std::calloc(static_cast<size_t>(samples), sizeof(int32_t)));
    if (left == nullptr || right == nullptr) {
        std::free(left);
        std::free(right);
        return 0;
    }
    chip.mix_left = left;
    chip.mix_right = right;
    chip.mix_samples = samples;
    chip.clock = clock;
    chip.rate = rate;
    chip.adpcm_a_rom = adpcm_a_rom;
    chip.adpcm_b_rom = adpcm_b_rom;
    chip.adpcm_a_length = adpcm_a_rom != nullptr ? adpcm_a_length : 0;
    chip.adpcm_b_length = adpcm_b_rom != nullptr ? adpcm_b_length : 0;
    chip.timer_callback = callback;
    chip.timer_unit = 144.0 / clock;
    fm_build_tables(chip.tables, clock, rate);
    adpcm_build_tables(chip.tables);
    ssg_build_volume_table();
    chip.initialised = 1;
    chip_reset();
    return 1;
}

void chip_free() {
    SoundChipState& chip = machine.sound_chip;
    std::free(chip.mix_left);
    std::free(chip.mix_right);
    chip.mix_left = chip.mix_right = nullptr;
    chip.mix_samples = 0;
    chip.initialised = 0;
}
