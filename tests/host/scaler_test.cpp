// Every scaler against a picture built here from the per-pixel rules, on random frames, into a
// surface whose rows are longer than the picture; and the two selection tables.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "app/app_state.h"
#include "host/flags.h"
#include "host/scalers.h"
#include "machine.h"
#include "support/machine_fixture.h"

namespace {

constexpr int32_t SURFACE_WIDTH = 640;
constexpr int32_t SURFACE_HEIGHT = 480;
constexpr int32_t EXTRA_PITCH = 136;
constexpr uint8_t UNTOUCHED = 0xA5;
constexpr uint16_t MASK_565 = 0xF7DE;

struct ScalerCase {
    ScalerKind kind;
    bool mmx_form;
    bool scanlines; // copy variants: two pitches per row
    int alphabet;   // 0: any pixel value; n: n random colours, so equal neighbours are common
};

std::string case_name(const testing::TestParamInfo<ScalerCase>& info) {
    const ScalerCase& c = info.param;
    return std::string(scaler_name(c.kind)) + (c.mmx_form ? "_mmx" : "_plain") + (c.scanlines ? "_scanlines" : "") +
           (c.alphabet ? "_alphabet" + std::to_string(c.alphabet) : "");
}
void PrintTo(const ScalerCase& c, std::ostream* os) { *os << scaler_name(c.kind); }

bool is_eight_bit(ScalerKind k) { return k == ScalerKind::copy8 || k == ScalerKind::double8 || k == ScalerKind::edge8; }

uint16_t avg(uint16_t a, uint16_t b) {
    // Channel by channel, rounded down (5-6-5).
    const int r = (((a >> 11) & 31) + ((b >> 11) & 31)) / 2;
    const int g = (((a >> 5) & 63) + ((b >> 5) & 63)) / 2;
    const int bl = ((a & 31) + (b & 31)) / 2;
    return static_cast<uint16_t>((r << 11) | (g << 5) | bl);
}
uint16_t half(uint16_t a) { return avg(a, 0); }

class ScalerTest : public MachineTest, public testing::WithParamInterface<ScalerCase> {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        work_.assign(WORK_BLOCK_SIZE, 0);
        machine.app.work_block = nullptr;
        const ScalerCase& c = GetParam();
        eight_ = is_eight_bit(c.kind);
        std::mt19937 rng(1234 + static_cast<int>(c.kind));
        std::vector<uint16_t> colours;
        for (int i = 0; i < c.alphabet; ++i) colours.push_back(static_cast<uint16_t>(rng()));
        // Every row the scalers may read (the picture, the row below it, the column right of it).
        for (size_t i = 0; i < FRAME_BUFFER_BYTES / 2; ++i) {
            const uint16_t v = c.alphabet ? colours[rng() % c.alphabet] : static_cast<uint16_t>(rng());
            if (eight_) work_[i] = static_cast<uint8_t>(v);
            else std::memcpy(&work_[2 * i], &v, 2);
        }
        pitch_ = SURFACE_WIDTH * (eight_ ? 1 : 2) + EXTRA_PITCH;
        surface_.assign(static_cast<size_t>(pitch_) * SURFACE_HEIGHT, UNTOUCHED);
        machine.video.first_visible_row = FIRST_VISIBLE_ROW;
        machine.host.display.halving_mask = MASK_565 | (MASK_565 << 16);
        machine.host.display.target = surface_.data();
        machine.host.display.target_pitch = pitch_;
        machine.settings.video_flags = c.scanlines ? VF_SCANLINES : 0;
    }
    void TearDown() override {
        machine.app.work_block = nullptr;
        MachineTest::TearDown();
    }

    uint16_t s(int k, int i) const {
        const size_t row = static_cast<size_t>(FIRST_VISIBLE_ROW + k) * 1024;
        if (eight_) return work_[row + 8 + i];
        uint16_t v;
        std::memcpy(&v, &work_[row + 2 * (8 + i)], 2);
        return v;
    }

    // Horizontal rule of the variant, output column x of source row k.
    uint16_t horizontal(int k, int x) const {
        const ScalerCase& c = GetParam();
        const int i = x / 2;
        switch (c.kind) {
        case ScalerKind::interp_gap16:
        case ScalerKind::interp_dim16:
        case ScalerKind::bilinear16:
            if (!(x & 1)) return s(k, i);
            if (c.mmx_form && x == 2 * PICTURE_WIDTH - 1) return 0;
            return avg(s(k, i), s(k, i + 1));
        default:
            return s(k, i);
        }
    }

    // The expected surface: -1 where the scaler must not write.
    std::vector<int32_t> expected() const {
        const ScalerKind kind = GetParam().kind;
        std::vector<int32_t> out(SURFACE_WIDTH * SURFACE_HEIGHT, -1);
        auto at = [&](int x, int y) -> int32_t& { return out[static_cast<size_t>(y) * SURFACE_WIDTH + x]; };
        if (kind == ScalerKind::copy16 || kind == ScalerKind::copy8) {
            const int step = GetParam().scanlines ? 2 : 1;
            for (int k = 0; k < PICTURE_HEIGHT; ++k)
                for (int i = 0; i < PICTURE_WIDTH; ++i) at(8 + i, (8 + k) * step) = s(k, i);
            return out;
        }
        for (int y = 0; y < 2 * PICTURE_HEIGHT; ++y) {
            const int k = y / 2;
            const bool lower = y & 1;
            for (int x = 0; x < 2 * PICTURE_WIDTH; ++x) {
                const int i = x / 2;
                int32_t v = -1;
                switch (kind) {
                case ScalerKind::double16:
                case ScalerKind::double8:
                case ScalerKind::interp_gap16:
                    v = lower ? -1 : horizontal(k, x);
                    break;
                case ScalerKind::double_dim16:
                case ScalerKind::interp_dim16:
                    v = lower ? half(horizontal(k, x)) : horizontal(k, x);
                    break;
                case ScalerKind::bilinear16:
                    v = lower ? horizontal(k, x) : avg(horizontal(k, x), k > 0 ? horizontal(k - 1, x) : 0);
                    break;
                case ScalerKind::edge16:
                case ScalerKind::edge8: {
                    if (!lower) {
                        v = s(k, i);
                        break;
                    }
                    const uint16_t left = i > 0 ? s(k, i - 1) : k > 0 ? s(k - 1, PICTURE_WIDTH - 1) : s(0, 0);
                    const uint16_t right = s(k, i + 1);
                    const uint16_t below = s(k + 1, i);
                    if (x & 1) v = below == right ? right : s(k, i);
                    else v = below == left ? left : s(k, i);
                    break;
                }
                default:
                    break;
                }
                at(16 + x, 16 + y) = v;
            }
        }
        return out;
    }

    std::vector<uint8_t> work_;
    std::vector<uint8_t> surface_;
    int32_t pitch_ = 0;
    bool eight_ = false;
};

TEST_P(ScalerTest, MatchesThePerPixelRules) {
    const ScalerCase& c = GetParam();
    machine.app.work_block = work_.data();
    scaler_routine(c.kind, c.mmx_form)();
    const std::vector<int32_t> want = expected();
    const int bytes = eight_ ? 1 : 2;
    int mismatches = 0;
    for (int y = 0; y < SURFACE_HEIGHT; ++y) {
        // The bytes past the surface's width belong to nobody: they must stay as they were.
        const uint8_t* row = surface_.data() + static_cast<size_t>(y) * pitch_;
        for (int b = SURFACE_WIDTH * bytes; b < pitch_; ++b)
            if (row[b] != UNTOUCHED && ++mismatches < 5) ADD_FAILURE() << "row " << y << " padding byte " << b;
        for (int x = 0; x < SURFACE_WIDTH; ++x) {
            uint16_t got = row[x * bytes];
            if (!eight_) std::memcpy(&got, row + 2 * x, 2);
            const int32_t w = want[static_cast<size_t>(y) * SURFACE_WIDTH + x];
            const uint16_t untouched = eight_ ? UNTOUCHED : (UNTOUCHED << 8 | UNTOUCHED);
            const uint16_t expect = w < 0 ? untouched : static_cast<uint16_t>(w);
            if (got != expect && ++mismatches < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): got " << got << ", expected " << expect;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(
    AllVariants, ScalerTest,
    testing::Values(ScalerCase{ScalerKind::copy16, false, false, 0}, ScalerCase{ScalerKind::copy16, false, true, 0},
                    ScalerCase{ScalerKind::copy8, false, false, 0}, ScalerCase{ScalerKind::copy8, true, true, 0},
                    ScalerCase{ScalerKind::double16, false, false, 0}, ScalerCase{ScalerKind::double8, true, false, 0},
                    ScalerCase{ScalerKind::double_dim16, true, false, 0},
                    ScalerCase{ScalerKind::interp_gap16, false, false, 0},
                    ScalerCase{ScalerKind::interp_gap16, true, false, 0},
                    ScalerCase{ScalerKind::interp_dim16, false, false, 0},
                    ScalerCase{ScalerKind::interp_dim16, true, false, 0},
                    ScalerCase{ScalerKind::bilinear16, false, false, 0},
                    ScalerCase{ScalerKind::bilinear16, true, false, 0}, ScalerCase{ScalerKind::edge16, true, false, 3},
                    ScalerCase{ScalerKind::edge16, true, false, 0}, ScalerCase{ScalerKind::edge8, true, false, 3}),
    case_name);

TEST(PixelOperations, AverageAndHalfOnA565Surface) {
    const uint16_t mask = static_cast<uint16_t>(halving_mask_for(PixelMasks{0xF800, 0x07E0, 0x001F}));
    EXPECT_EQ(halving_mask_for(PixelMasks{0xF800, 0x07E0, 0x001F}), 0xF7DEF7DEu);
    EXPECT_EQ(pixel_avg(0xF800, 0x001F, mask), 0x780F);
    EXPECT_EQ(pixel_half(0xFFFF, mask), 0x7BEF);
    // A 5-5-5 surface has its own mask.
    EXPECT_EQ(halving_mask_for(PixelMasks{0x7C00, 0x03E0, 0x001F}), 0x7BDE7BDEu);
}

struct SelectionCase {
    uint32_t flags;
    bool eight_bit;
    ScalerKind want;
};
void PrintTo(const SelectionCase& c, std::ostream* os) {
    *os << "flags 0x" << std::hex << c.flags << (c.eight_bit ? " 8-bit" : " 16-bit");
}

class ScalerSelection : public testing::TestWithParam<SelectionCase> {};

TEST_P(ScalerSelection, PicksTheVariantOfTheTable) {
    const SelectionCase& c = GetParam();
    EXPECT_STREQ(scaler_name(scaler_select(c.flags, c.eight_bit)), scaler_name(c.want)) << std::hex << c.flags;
}

constexpr uint32_t MMX = VF_MMX;
INSTANTIATE_TEST_SUITE_P(
    Tables, ScalerSelection,
    testing::Values(
        // 16-bit with MMX
        SelectionCase{MMX | VF_LOWRES | VF_SOFT, false, ScalerKind::copy16},
        SelectionCase{MMX | VF_SOFT | VF_DIM_SCANLINES | VF_SCANLINES, false, ScalerKind::interp_dim16},
        SelectionCase{MMX | VF_SOFT | VF_SCANLINES, false, ScalerKind::interp_gap16},
        SelectionCase{MMX | VF_SOFT, false, ScalerKind::bilinear16},
        SelectionCase{MMX | VF_SHARP | VF_DIM_SCANLINES, false, ScalerKind::edge16},
        SelectionCase{MMX | VF_DIM_SCANLINES, false, ScalerKind::double_dim16},
        SelectionCase{MMX, false, ScalerKind::double16},
        // 16-bit without MMX: SOFT with both scanline bits gaps, LOW with dimming interpolates
        SelectionCase{VF_LOWRES, false, ScalerKind::copy16},
        SelectionCase{VF_SOFT | VF_DIM_SCANLINES | VF_SCANLINES, false, ScalerKind::interp_gap16},
        SelectionCase{VF_SOFT | VF_DIM_SCANLINES, false, ScalerKind::interp_dim16},
        SelectionCase{VF_SOFT, false, ScalerKind::bilinear16},
        SelectionCase{VF_DIM_SCANLINES, false, ScalerKind::interp_dim16},
        SelectionCase{VF_SHARP, false, ScalerKind::double16}, SelectionCase{0, false, ScalerKind::double16},
        // 8-bit
        SelectionCase{MMX | VF_SHARP, true, ScalerKind::edge8}, SelectionCase{MMX | VF_LOWRES, true, ScalerKind::copy8},
        SelectionCase{MMX, true, ScalerKind::double8}, SelectionCase{VF_SHARP, true, ScalerKind::double8},
        SelectionCase{VF_LOWRES, true, ScalerKind::copy8},
        // A 320-wide mode never gets a 640-wide picture, whatever the quality.
        SelectionCase{MMX | VF_SHARP | VF_LOWRES, true, ScalerKind::copy8}));

} // namespace
