// The two forms of the flag computations agree: the host-flag form the core runs on x86 and the
// plain integer form other hosts use. The core's own results are checked by the vector sweep, so
// agreement here carries that check over to the plain form. Bytes are compared exhaustively,
// words and longs on their edge values and a fixed pseudo-random sample.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "cpu68k/flag_ops.h"

namespace {

using namespace m68k;

#ifdef M68K_HOST_FLAGS

template <int SZ> std::vector<uint32_t> operands() {
    std::vector<uint32_t> values;
    if constexpr (SZ == 1) {
        for (uint32_t v = 0; v < 256; ++v) values.push_back(v);
    } else {
        constexpr uint32_t msb = size_msb<SZ>, mask = size_mask<SZ>;
        for (uint32_t v : {0u, 1u, 2u, msb - 1, msb, msb + 1, mask - 1, mask, 0x5555u & mask, 0xAAAAAAAAu & mask})
            values.push_back(v);
        std::mt19937 rng(68000);
        for (int i = 0; i < 120; ++i) values.push_back(static_cast<uint32_t>(rng()) & mask);
    }
    return values;
}

template <int SZ> void expect_forms_agree() {
    std::vector<uint32_t> values = operands<SZ>();
    int mismatches = 0;
    for (uint32_t dst : values) {
        // Upper bits beyond the size must not leak into the result or the flags.
        uint32_t dirty_dst = dst | (~size_mask<SZ> & 0xA5A5A5A5u);
        EXPECT_EQ(host_flags::logic<SZ>(dirty_dst) & FLAG_NZCV, portable_flags::logic<SZ>(dst)) << dst;
        for (uint32_t src : values) {
            for (uint32_t carry : {0u, 1u}) {
                uint32_t host_f, plain_f;
                uint32_t host_r = host_flags::add<SZ>(dirty_dst, src, carry, host_f);
                uint32_t plain_r = portable_flags::add<SZ>(dst, src, carry, plain_f);
                mismatches += host_r != plain_r || (host_f & FLAG_NZCV) != plain_f;
                host_r = host_flags::sub<SZ>(dirty_dst, src, carry, host_f);
                plain_r = portable_flags::sub<SZ>(dst, src, carry, plain_f);
                mismatches += host_r != plain_r || (host_f & FLAG_NZCV) != plain_f;
            }
            uint32_t host_f, plain_f;
            uint32_t host_r = host_flags::add0<SZ>(dirty_dst, src, host_f);
            uint32_t plain_r = portable_flags::add<SZ>(dst, src, 0, plain_f);
            mismatches += host_r != plain_r || (host_f & FLAG_NZCV) != plain_f;
            host_r = host_flags::sub0<SZ>(dirty_dst, src, host_f);
            plain_r = portable_flags::sub<SZ>(dst, src, 0, plain_f);
            mismatches += host_r != plain_r || (host_f & FLAG_NZCV) != plain_f;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(FlagOps, HostAndPlainFormsAgreeOnBytes) { expect_forms_agree<1>(); }
TEST(FlagOps, HostAndPlainFormsAgreeOnWords) { expect_forms_agree<2>(); }
TEST(FlagOps, HostAndPlainFormsAgreeOnLongs) { expect_forms_agree<4>(); }

#else

TEST(FlagOps, HostAndPlainFormsAgreeOnBytes) { GTEST_SKIP() << "this host computes flags in plain code only"; }

#endif

// The plain form on the cases that define each flag.
TEST(FlagOps, PlainFormSetsEachFlagOnItsDefiningCase) {
    uint32_t f;
    EXPECT_EQ(portable_flags::add<1>(0x7F, 1, 0, f), 0x80u);
    EXPECT_EQ(f, FLAG_N | FLAG_V);
    EXPECT_EQ(portable_flags::add<2>(0xFFFF, 1, 0, f), 0u);
    EXPECT_EQ(f, FLAG_Z | FLAG_C);
    EXPECT_EQ(portable_flags::sub<4>(0, 1, 0, f), 0xFFFFFFFFu);
    EXPECT_EQ(f, FLAG_N | FLAG_C);
    EXPECT_EQ(portable_flags::sub<4>(0x80000000u, 0, 1, f), 0x7FFFFFFFu);
    EXPECT_EQ(f, FLAG_V);
    EXPECT_EQ(portable_flags::logic<2>(0x10000), FLAG_Z);
    EXPECT_EQ(portable_flags::logic<1>(0x180), FLAG_N);
}

} // namespace
