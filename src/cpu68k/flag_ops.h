// The condition codes of the arithmetic and logic operations, in the core's flags word: the
// condition byte (N bit 7, Z bit 6, C bit 0) in bits 15-8 and the V byte (0 or 1) in bits 7-0,
// which is how the x86 LAHF and SETO instructions leave them in AX. On an x86 host one host
// operation then yields the 68000 result and all its flags in three instructions; elsewhere the
// same values are computed in plain integer code. Bits other than N, Z, C and V are
// don't-care (LAHF leaves parity, half carry and a fixed 1 there).
// Pure functions of their operands; internal to the main CPU core.
#pragma once
#include <cstdint>

namespace m68k {

constexpr uint32_t FLAG_N = 0x8000;
constexpr uint32_t FLAG_Z = 0x4000;
constexpr uint32_t FLAG_C = 0x0100;
constexpr uint32_t FLAG_V = 0x0001;
constexpr uint32_t FLAG_NZCV = FLAG_N | FLAG_Z | FLAG_C | FLAG_V;

template <int SZ> constexpr uint32_t size_mask = SZ == 1 ? 0xFFu : SZ == 2 ? 0xFFFFu : 0xFFFFFFFFu;
template <int SZ> constexpr uint32_t size_msb = SZ == 1 ? 0x80u : SZ == 2 ? 0x8000u : 0x80000000u;
template <int SZ> constexpr int size_bits = SZ * 8;

// Plain integer forms. Results are masked to the size.
namespace portable_flags {

template <int SZ> inline uint32_t nz(uint32_t result) {
    uint32_t n = (result & size_msb<SZ>) ? FLAG_N : 0;
    return n | ((result & size_mask<SZ>) == 0 ? FLAG_Z : 0);
}
// N and Z of the result; V and C cleared.
template <int SZ> inline uint32_t logic(uint32_t result) { return nz<SZ>(result); }

// dst + src + carry_in; flags gets N, Z (of this result alone), C and V.
template <int SZ> inline uint32_t add(uint32_t dst, uint32_t src, uint32_t carry_in, uint32_t& flags) {
    uint64_t wide = static_cast<uint64_t>(dst & size_mask<SZ>) + (src & size_mask<SZ>) + carry_in;
    uint32_t result = static_cast<uint32_t>(wide) & size_mask<SZ>;
    uint32_t carry = static_cast<uint32_t>(wide >> size_bits<SZ>) & 1;
    uint32_t overflow = (((dst ^ result) & (src ^ result)) & size_msb<SZ>) != 0;
    flags = nz<SZ>(result) | (carry ? FLAG_C : 0) | overflow;
    return result;
}
// dst - src - borrow_in; C is the borrow.
template <int SZ> inline uint32_t sub(uint32_t dst, uint32_t src, uint32_t borrow_in, uint32_t& flags) {
    uint64_t wide = static_cast<uint64_t>(dst & size_mask<SZ>) - (src & size_mask<SZ>) - borrow_in;
    uint32_t result = static_cast<uint32_t>(wide) & size_mask<SZ>;
    uint32_t borrow = static_cast<uint32_t>(wide >> size_bits<SZ>) & 1;
    uint32_t overflow = (((src ^ dst) & (result ^ dst)) & size_msb<SZ>) != 0;
    flags = nz<SZ>(result) | (borrow ? FLAG_C : 0) | overflow;
    return result;
}

} // namespace portable_flags

// M68K_PORTABLE_FLAGS selects the plain form on x86 too (to check it against the test vectors).
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__)) && !defined(M68K_PORTABLE_FLAGS)
#define M68K_HOST_FLAGS 1
// The host's own flags: the operation, LAHF (N, Z, C into AH) and SETO (V into AL).
namespace host_flags {

template <int SZ> inline uint32_t logic(uint32_t result) {
    uint32_t ax;
    if constexpr (SZ == 1) asm("xorl %%eax, %%eax\n\ttestb %b1, %b1\n\tlahf" : "=&a"(ax) : "q"(result) : "cc");
    else if constexpr (SZ == 2) asm("xorl %%eax, %%eax\n\ttestw %w1, %w1\n\tlahf" : "=&a"(ax) : "r"(result) : "cc");
    else asm("xorl %%eax, %%eax\n\ttestl %1, %1\n\tlahf" : "=&a"(ax) : "r"(result) : "cc");
    return ax;
}
template <int SZ> inline uint32_t nz(uint32_t result) { return logic<SZ>(result); }

template <int SZ> inline uint32_t add(uint32_t dst, uint32_t src, uint32_t carry_in, uint32_t& flags) {
    uint32_t ax;
    if constexpr (SZ == 1)
        asm("btl $0, %3\n\tadcb %b2, %b1\n\tlahf\n\tseto %%al" : "=&a"(ax), "+q"(dst) : "q"(src), "r"(carry_in) : "cc");
    else if constexpr (SZ == 2)
        asm("btl $0, %3\n\tadcw %w2, %w1\n\tlahf\n\tseto %%al" : "=&a"(ax), "+r"(dst) : "r"(src), "r"(carry_in) : "cc");
    else
        asm("btl $0, %3\n\tadcl %2, %1\n\tlahf\n\tseto %%al" : "=&a"(ax), "+r"(dst) : "r"(src), "r"(carry_in) : "cc");
    flags = ax;
    return dst & size_mask<SZ>;
}
template <int SZ> inline uint32_t sub(uint32_t dst, uint32_t src, uint32_t borrow_in, uint32_t& flags) {
    uint32_t ax;
    if constexpr (SZ == 1)
        asm("btl $0, %3\n\tsbbb %b2, %b1\n\tlahf\n\tseto %%al" : "=&a"(ax), "+q"(dst) : "q"(src), "r"(borrow_in) : "cc");
    else if constexpr (SZ == 2)
        asm("btl $0, %3\n\tsbbw %w2, %w1\n\tlahf\n\tseto %%al" : "=&a"(ax), "+r"(dst) : "r"(src), "r"(borrow_in) : "cc");
    else
        asm("btl $0, %3\n\tsbbl %2, %1\n\tlahf\n\tseto %%al" : "=&a"(ax), "+r"(dst) : "r"(src), "r"(borrow_in) : "cc");
    flags = ax;
    return dst & size_mask<SZ>;
}

// Without a carry in (ADD, SUB, CMP, NEG): one instruction fewer.
template <int SZ> inline uint32_t add0(uint32_t dst, uint32_t src, uint32_t& flags) {
    uint32_t ax;
    if constexpr (SZ == 1) asm("addb %b2, %b1\n\tlahf\n\tseto %%al" : "=&a"(ax), "+q"(dst) : "qi"(src) : "cc");
    else if constexpr (SZ == 2) asm("addw %w2, %w1\n\tlahf\n\tseto %%al" : "=&a"(ax), "+r"(dst) : "ri"(src) : "cc");
    else asm("addl %2, %1\n\tlahf\n\tseto %%al" : "=&a"(ax), "+r"(dst) : "ri"(src) : "cc");
    flags = ax;
    return dst & size_mask<SZ>;
}
template <int SZ> inline uint32_t sub0(uint32_t dst, uint32_t src, uint32_t& flags) {
    uint32_t ax;
    if constexpr (SZ == 1) asm("subb %b2, %b1\n\tlahf\n\tseto %%al" : "=&a"(ax), "+q"(dst) : "qi"(src) : "cc");
    else if constexpr (SZ == 2) asm("subw %w2, %w1\n\tlahf\n\tseto %%al" : "=&a"(ax), "+r"(dst) : "ri"(src) : "cc");
    else asm("subl %2, %1\n\tlahf\n\tseto %%al" : "=&a"(ax), "+r"(dst) : "ri"(src) : "cc");
    flags = ax;
    return dst & size_mask<SZ>;
}

} // namespace host_flags
#endif

// The forms the core uses.
#ifdef M68K_HOST_FLAGS
template <int SZ> inline uint32_t logic_flags(uint32_t result) { return host_flags::logic<SZ>(result); }
template <int SZ> inline uint32_t add_flags(uint32_t dst, uint32_t src, uint32_t& flags) {
    return host_flags::add0<SZ>(dst, src, flags);
}
template <int SZ> inline uint32_t sub_flags(uint32_t dst, uint32_t src, uint32_t& flags) {
    return host_flags::sub0<SZ>(dst, src, flags);
}
template <int SZ> inline uint32_t addx_flags(uint32_t dst, uint32_t src, uint32_t x, uint32_t& flags) {
    return host_flags::add<SZ>(dst, src, x, flags);
}
template <int SZ> inline uint32_t subx_flags(uint32_t dst, uint32_t src, uint32_t x, uint32_t& flags) {
    return host_flags::sub<SZ>(dst, src, x, flags);
}
#else
template <int SZ> inline uint32_t logic_flags(uint32_t result) { return portable_flags::logic<SZ>(result); }
template <int SZ> inline uint32_t add_flags(uint32_t dst, uint32_t src, uint32_t& flags) {
    return portable_flags::add<SZ>(dst, src, 0, flags);
}
template <int SZ> inline uint32_t sub_flags(uint32_t dst, uint32_t src, uint32_t& flags) {
    return portable_flags::sub<SZ>(dst, src, 0, flags);
}
template <int SZ> inline uint32_t addx_flags(uint32_t dst, uint32_t src, uint32_t x, uint32_t& flags) {
    return portable_flags::add<SZ>(dst, src, x, flags);
}
template <int SZ> inline uint32_t subx_flags(uint32_t dst, uint32_t src, uint32_t x, uint32_t& flags) {
    return portable_flags::sub<SZ>(dst, src, x, flags);
}
#endif

} // namespace m68k
