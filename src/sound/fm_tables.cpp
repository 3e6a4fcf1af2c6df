// The FM section's tables, all derived from `freqbase` (the phase step of one frequency unit at
// the output rate), and the ADPCM-A delta table.
#include <cmath>

#include "sound/chip_internal.h"

namespace {

constexpr double DB_PER_STEP = 0.0234375;

constexpr uint8_t DETUNE_VALUES[4][32] = {
    {0},
    {0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 6, 6, 7, 8, 8, 8, 8},
    {1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 6, 6, 7, 8, 8, 9, 10, 11, 12, 13, 14, 16, 16, 16, 16},
    {2, 2, 2, 2,  2,  3,  3,  3,  4,  4,  4,  5,  5,  6,  6,  7,
     8, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 20, 22, 22, 22, 22},
};

// Envelope speed of rate j before the attack or decay divisor.
double rate_base(int j, int32_t freqbase) {
    const double scale = j < 60 ? 1.0 + (j & 3) / 4.0 : 1.0;
    return freqbase * std::ldexp(1.0, -12) * scale * std::ldexp(1.0, (j >> 2) - 1) * std::ldexp(1.0, 28);
}

} // namespace

void fm_build_tables(FmTables& t, int32_t clock, int32_t rate) {
    // Rounded to nearest: 8 MHz at 22050 Hz gives 10319.98, and the chip's tables are built on 10320.
    t.freqbase = static_cast<int32_t>(std::lround(static_cast<double>(clock) * 4096.0 / rate / 144.0));

    for (int i = 0; i < 8192; ++i) {
        int32_t v = 0;
        if (i < 4095)
            v = static_cast<int32_t>(std::floor(67108863.0 / std::pow(10.0, i * DB_PER_STEP / 20.0)));
        t.level[i] = v;
        t.level[8192 + i] = -v;
    }

    t.sine[0] = t.sine[1024] = 4095;
    for (int s = 1; s <= 512; ++s) {
        const double attenuation = 20.0 * std::log10(1.0 / std::sin(2.0 * M_PI * s / 2048.0));
        const auto j = static_cast<int16_t>(std::floor(attenuation / DB_PER_STEP));
        t.sine[s] = t.sine[1024 - s] = j;
        t.sine[1024 + s] = t.sine[2048 - s] = static_cast<int16_t>(8192 + j);
    }

    for (int k = 0; k < 4096; ++k)
        t.envelope_curve[k] = static_cast<int16_t>(std::floor(4096.0 * std::pow((4095.0 - k) / 4096.0, 8)));
    for (int k = 4096; k < 8192; ++k)
        t.envelope_curve[k] = static_cast<int16_t>(k - 4096);
    t.envelope_curve[8192] = 4095;

    for (int f = 0; f < 2048; ++f)
        t.frequency[f] = static_cast<int32_t>(std::floor(t.freqbase * f * 0.125));

    for (int row = 0; row < 4; ++row) {
        for (int kc = 0; kc < 32; ++kc) {
            const auto d = static_cast<int32_t>(std::floor(DETUNE_VALUES[row][kc] * t.freqbase / 512.0));
            t.detune[row][kc] = d;
            t.detune[row + 4][kc] = -d;
        }
    }

    for (int j = 0; j < 94; ++j) {
        const int r = j < 64 ? j : 63;
        if (r < 4) {
            t.attack_rates[j] = t.decay_rates[j] = 0;
            continue;
        }
        const double base = rate_base(r, t.freqbase);
        t.attack_rates[j] = r >= 62 ? 0x0FFFFFFFu : static_cast<uint32_t>(base / 399128.0);
        t.decay_rates[j] = static_cast<uint32_t>(base / 5514396.0);
    }

    t.multiple[0] = 1;
    for (int m = 1; m < 16; ++m)
        t.multiple[m] = 2 * m;

    for (int k = 0; k < 15; ++k)
        t.sustain_level[k] = 0x10000000u + static_cast<uint32_t>(k) * 0x800000u;
    t.sustain_level[15] = 0x1F800000u;
}

void adpcm_build_tables(FmTables& t) {
    for (int i = 0; i < 49; ++i) {
        const auto s = static_cast<int32_t>(std::floor(16.0 * std::pow(1.1, i)));
        for (int n = 0; n < 16; ++n) {
            const int32_t delta = s * (2 * (n & 7) + 1) / 8;
            t.adpcm_a_deltas[i][n] = static_cast<int16_t>((n & 8) ? -delta : delta);
        }
    }
}
