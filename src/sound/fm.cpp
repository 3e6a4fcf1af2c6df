// The FM section: register decoding, key on and off, the four-phase envelope, the eight
// algorithms with operator-1 feedback, channel 3's special frequency mode and CSM. Channels 1, 2,
// 4 and 5 (records 1, 2, 4, 5) sound; records 0 and 3 are decoded but never rendered.
#include "machine.h"
#include "sound/chip_internal.h"

namespace {

constexpr uint8_t KEY_CODE_LOW_BITS[16] = {0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 3, 3, 3, 3, 3, 3};
constexpr int SOUNDING[4] = {1, 2, 4, 5};
constexpr int CHANNEL_3 = 2;
// Operator records are in register order (1, 3, 2, 4); evaluation goes 1, 2, 3, 4.
constexpr int OP1 = 0, OP3 = 1, OP2 = 2, OP4 = 3;
// Channel 3's special mode: the special latch slot that drives each operator record (-1: the
// channel's own frequency).
constexpr int SPECIAL_SLOT[4] = {1, 0, 2, -1};

bool csm_on() {
    return (machine.sound_chip.timer_mode & 0x80) != 0;
}
bool special_mode() {
    return (machine.sound_chip.timer_mode & 0x40) != 0;
}

uint32_t rate_at(const uint32_t* rates, int row, int ksr) {
    return row < 0 ? 0 : rates[row + ksr];
}

void reload_rates(FmOperator& op) {
    const FmTables& t = machine.sound_chip.tables;
    op.attack_rate = rate_at(t.attack_rates, op.attack_row, op.ksr);
    op.decay_rate = rate_at(t.decay_rates, op.decay_row, op.ksr);
    op.sustain_rate = rate_at(t.decay_rates, op.sustain_row, op.ksr);
    op.release_rate = rate_at(t.decay_rates, op.release_row, op.ksr);
    // A rate changed in the phase that uses it applies at once.
    switch (op.state) {
    case ENV_ATTACK:
        op.env_step = op.attack_rate;
        break;
    case ENV_DECAY:
        op.env_step = op.decay_rate;
        break;
    case ENV_SUSTAIN:
        if (op.env_end != 0x20000001u) op.env_step = op.sustain_rate;
        break;
    case ENV_RELEASE:
        op.env_step = op.release_rate;
        break;
    default:
        break;
    }
}

void recalculate(int channel) {
    SoundChipState& chip = machine.sound_chip;
    FmChannel& ch = chip.fm[channel];
    const FmTables& t = chip.tables;
    for (int i = 0; i < 4; ++i) {
        FmOperator& op = ch.op[i];
        int32_t fc = ch.fc, key_code = ch.key_code;
        if (channel == CHANNEL_3 && special_mode() && SPECIAL_SLOT[i] >= 0) {
            fc = chip.special_fc[SPECIAL_SLOT[i]];
            key_code = chip.special_key_code[SPECIAL_SLOT[i]];
        }
        op.phase_step = static_cast<uint32_t>(fc + t.detune[op.detune_row][key_code]) *
                        static_cast<uint32_t>(op.multiple);
        const auto ksr = static_cast<uint8_t>(key_code >> op.ks_shift);
        if (ksr != op.ksr) {
            op.ksr = ksr;
            reload_rates(op);
        }
    }
    ch.recalc = 0;
}

void key_on(FmChannel& ch, int index) {
    FmOperator& op = ch.op[index];
    if (op.state > ENV_RELEASE) return;
    op.phase = 0;
    if (index == OP1) ch.feedback = 0;
    op.state = ENV_ATTACK;
    op.env_counter = 0;
    op.env_end = 0x10000000u;
    op.env_step = op.attack_rate;
}

void key_off(FmOperator& op) {
    if (op.state <= ENV_RELEASE) return;
    const FmTables& t = machine.sound_chip.tables;
    // Release starts from the decay position of the same attenuation, so there is no jump.
    if (op.env_counter < 0x10000000u)
        op.env_counter = static_cast<uint32_t>(t.envelope_curve[op.env_counter >> 16] + 4096) << 16;
    op.state = ENV_RELEASE;
    op.env_end = 0x20000000u;
    op.env_step = op.release_rate;
}

void set_frequency(uint8_t latch, uint8_t value, int32_t& fc, int32_t& key_code) {
    const FmTables& t = machine.sound_chip.tables;
    const int f = value + 256 * (latch & 7);
    const int block = latch >> 3;
    key_code = 4 * block + KEY_CODE_LOW_BITS[f >> 7];
    fc = t.frequency[f] >> (7 - block);
}

void envelope_step(FmOperator& op) {
    op.env_counter += op.env_step;
    if (op.env_counter < op.env_end) return;
    switch (op.state) {
    case ENV_ATTACK:
        op.state = ENV_DECAY;
        op.env_counter = 0x10000000u;
        op.env_end = op.sustain_end;
        op.env_step = op.decay_rate;
        break;
    case ENV_DECAY:
        op.state = ENV_SUSTAIN;
        op.env_counter = op.sustain_end;
        op.env_end = 0x20000000u;
        op.env_step = op.sustain_rate;
        break;
    default:
        // The end of sustain stays in sustain (silent until a key-off); the end of release is off.
        if (op.state == ENV_RELEASE) op.state = ENV_OFF;
        op.env_counter = 0x20000000u;
        op.env_end = 0x20000001u;
        op.env_step = 0;
        break;
    }
}

int32_t operator_output(FmOperator& op, int32_t modulation) {
    const FmTables& t = machine.sound_chip.tables;
    op.phase += op.phase_step;
    envelope_step(op);
    const int32_t attenuation = t.envelope_curve[op.env_counter >> 16] + op.tl;
    if (attenuation >= 4095) return 0;
    const uint32_t index = ((op.phase + static_cast<uint32_t>(modulation)) >> 13) & 2047;
    return t.level[t.sine[index] + attenuation];
}

int32_t channel_output(FmChannel& ch) {
    int32_t m1 = 0, m2 = 0, c2 = 0, out = 0;
    int32_t o1;
    if (ch.feedback_shift != 0) {
        const int32_t before = ch.feedback;
        const int32_t o = operator_output(ch.op[OP1], before >> ch.feedback_shift);
        ch.feedback = o;
        o1 = (before + o) / 2;
    } else {
        o1 = operator_output(ch.op[OP1], 0);
    }
    switch (ch.algorithm) {
    case 0:
    case 3:
    case 4:
    case 6:
        m1 = o1;
        break;
    case 1:
        m2 = o1;
        break;
    case 2:
        c2 = o1;
        break;
    case 5:
        m1 = m2 = c2 = o1;
        break;
    default:
        out = o1;
        break;
    }
    const int32_t o2 = operator_output(ch.op[OP2], m1);
    switch (ch.algorithm) {
    case 0:
    case 1:
    case 2:
        m2 += o2;
        break;
    case 3:
        c2 += o2;
        break;
    default:
        out += o2;
        break;
    }
    const int32_t o3 = operator_output(ch.op[OP3], m2);
    if (ch.algorithm <= 4)
        c2 += o3;
    else
        out += o3;
    return out + operator_output(ch.op[OP4], c2);
}

bool channel_silent(const FmChannel& ch) {
    return ch.op[0].state == ENV_OFF && ch.op[1].state == ENV_OFF && ch.op[2].state == ENV_OFF &&
           ch.op[3].state == ENV_OFF;
}

} // namespace

void fm_reset() {
    SoundChipState& chip = machine.sound_chip;
    for (FmChannel& ch : chip.fm) {
        ch = FmChannel{};
        for (FmOperator& op : ch.op)
            reload_rates(op);
    }
    for (int i = 0; i < 3; ++i) {
        chip.special_latch[i] = 0;
        chip.special_fc[i] = 0;
        chip.special_key_code[i] = 0;
    }
}

void fm_register_write(int reg, uint8_t value, bool second_port) {
    SoundChipState& chip = machine.sound_chip;
    const FmTables& t = chip.tables;
    const int slot = reg & 3;
    const int channel = slot + (second_port ? 3 : 0);
    if (reg < 0x30 || reg > 0xB6) return;
    if (reg < 0xA0) {
        if (slot == 3) return;
        FmChannel& ch = chip.fm[channel];
        FmOperator& op = ch.op[(reg >> 2) & 3];
        switch (reg & 0xF0) {
        case 0x30:
            op.detune_row = (value >> 4) & 7;
            op.multiple = t.multiple[value & 15];
            ch.recalc = 1;
            break;
        case 0x40:
            op.tl_held = ((value & 0x7F) * 0x81000) >> 14;
            // Channel 3 under CSM keeps its level until the next timer-A key-on.
            if (!(channel == CHANNEL_3 && csm_on())) op.tl = op.tl_held;
            break;
        case 0x50:
            op.ks_shift = static_cast<uint8_t>(3 - (value >> 6));
            op.attack_row = (value & 31) ? static_cast<int16_t>(2 * (value & 31)) : -1;
            reload_rates(op);
            ch.recalc = 1;
            break;
        case 0x60:
            op.decay_row = (value & 31) ? static_cast<int16_t>(2 * (value & 31)) : -1;
            reload_rates(op);
            break;
        case 0x70:
            op.sustain_row = (value & 31) ? static_cast<int16_t>(2 * (value & 31)) : -1;
            reload_rates(op);
            break;
        case 0x80:
            op.sustain_end = t.sustain_level[value >> 4];
            op.release_row = static_cast<int16_t>(4 * (value & 15) + 2);
            reload_rates(op);
            break;
        default:
            break; // 0x90: SSG-type envelope, stored without effect
        }
        return;
    }
    if (reg < 0xB0) {
        switch (reg & 0x0C) {
        case 0x0:
            if (slot == 3) return;
            set_frequency(chip.fm[channel].frequency_latch, value, chip.fm[channel].fc,
                          chip.fm[channel].key_code);
            chip.fm[channel].recalc = 1;
            break;
        case 0x4:
            if (slot != 3) chip.fm[channel].frequency_latch = value & 0x3F;
            break;
        case 0x8:
            if (second_port || slot == 3) return;
            set_frequency(chip.special_latch[slot], value, chip.special_fc[slot],
                          chip.special_key_code[slot]);
            chip.fm[CHANNEL_3].recalc = 1;
            break;
        default:
            if (!second_port && slot != 3) chip.special_latch[slot] = value & 0x3F;
            break;
        }
        return;
    }
    if (slot == 3) return;
    FmChannel& ch = chip.fm[channel];
    if ((reg & 0x0C) == 0) {
        ch.algorithm = value & 7;
        const int feedback = (value >> 3) & 7;
        ch.feedback_shift = feedback ? static_cast<uint8_t>(8 - feedback) : 0;
    } else if ((reg & 0x0C) == 4) {
        ch.pan = (value >> 6) & 3;
        ch.ams_pms = value & 0x37;
    }
}

void fm_key_write(uint8_t value) {
    SoundChipState& chip = machine.sound_chip;
    if ((value & 3) == 3) return;
    const int channel = (value & 3) + ((value & 4) ? 3 : 0);
    if (channel == CHANNEL_3 && csm_on()) return;
    FmChannel& ch = chip.fm[channel];
    if (ch.recalc) recalculate(channel);
    // Bits 4-7 switch operators 1, 2, 3, 4.
    constexpr int RECORD_OF_BIT[4] = {OP1, OP2, OP3, OP4};
    for (int bit = 0; bit < 4; ++bit) {
        const int index = RECORD_OF_BIT[bit];
        if (value & (0x10 << bit))
            key_on(ch, index);
        else
            key_off(ch.op[index]);
    }
}

void fm_mode_changed(uint8_t old_mode, uint8_t new_mode) {
    SoundChipState& chip = machine.sound_chip;
    if ((old_mode ^ new_mode) & 0x40) chip.fm[CHANNEL_3].recalc = 1;
    // Leaving CSM releases the level it held (decision: the held TL applies at once).
    if ((old_mode & 0x80) && !(new_mode & 0x80))
        for (FmOperator& op : chip.fm[CHANNEL_3].op)
            op.tl = op.tl_held;
}

void fm_csm_key_on() {
    FmChannel& ch = machine.sound_chip.fm[CHANNEL_3];
    if (ch.recalc) recalculate(CHANNEL_3);
    for (int i = 0; i < 4; ++i) {
        ch.op[i].tl = ch.op[i].tl_held;
        key_off(ch.op[i]);
        key_on(ch, i);
    }
}

bool fm_any_sounding() {
    for (int channel : SOUNDING)
        if (!channel_silent(machine.sound_chip.fm[channel])) return true;
    return false;
}

void fm_render_sample(int64_t& left_only, int64_t& right_only, int64_t& both) {
    SoundChipState& chip = machine.sound_chip;
    for (int channel : SOUNDING) {
        FmChannel& ch = chip.fm[channel];
        if (channel_silent(ch)) continue;
        if (ch.recalc) recalculate(channel);
        const int32_t out = channel_output(ch);
        switch (ch.pan) {
        case 1:
            right_only += out;
            break;
        case 2:
            left_only += out;
            break;
        case 3:
            both += out;
            break;
        default:
            break;
        }
    }
}
