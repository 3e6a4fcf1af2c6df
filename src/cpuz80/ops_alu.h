// Opcode routines of the 8-bit and 16-bit arithmetic and logical families, the accumulator
// rotates and the flag operations. Flags follow the Z80's documented definitions; bits 5 and 3
// are left 0 by every operation whose flags come from a result, and unchanged by SCF, CCF, CPL.
#pragma once
#include "cpuz80/core.h"

namespace z80 {

enum AluOp : int { ALU_ADD, ALU_ADC, ALU_SUB, ALU_SBC, ALU_AND, ALU_XOR, ALU_OR, ALU_CP };

inline uint8_t add_flags(uint8_t a, uint8_t v, int carry, uint8_t& f) {
    int r = a + v + carry;
    uint8_t r8 = static_cast<uint8_t>(r);
    f = static_cast<uint8_t>(sz(r8) | ((a ^ v ^ r) & FH) | ((((a ^ r) & (v ^ r)) & 0x80) >> 5) | (r >> 8));
    return r8;
}
inline uint8_t sub_flags(uint8_t a, uint8_t v, int carry, uint8_t& f) {
    int r = a - v - carry;
    uint8_t r8 = static_cast<uint8_t>(r);
    f = static_cast<uint8_t>(sz(r8) | ((a ^ v ^ r) & FH) | ((((a ^ v) & (a ^ r)) & 0x80) >> 5) | FN |
                             ((r >> 8) & FC));
    return r8;
}

template <int OP> inline void alu(uint8_t v) {
    SoundCpuRunRegisters& g = regs();
    if constexpr (OP == ALU_ADD) g.a = add_flags(g.a, v, 0, g.f);
    else if constexpr (OP == ALU_ADC) g.a = add_flags(g.a, v, g.f & FC, g.f);
    else if constexpr (OP == ALU_SUB) g.a = sub_flags(g.a, v, 0, g.f);
    else if constexpr (OP == ALU_SBC) g.a = sub_flags(g.a, v, g.f & FC, g.f);
    else if constexpr (OP == ALU_AND) {
        g.a &= v;
        g.f = static_cast<uint8_t>(szp(g.a) | FH);
    } else if constexpr (OP == ALU_XOR) {
        g.a ^= v;
        g.f = szp(g.a);
    } else if constexpr (OP == ALU_OR) {
        g.a |= v;
        g.f = szp(g.a);
    } else {
        uint8_t f;
        sub_flags(g.a, v, 0, f);
        g.f = f;
    }
}

template <int OP, int S, int T> void op_alu_r() {
    alu<OP>(get8<S>());
    charge(T);
}
template <int OP, int P, int T> void op_alu_mem() {
    alu<OP>(read8(operand_address<P>()));
    charge(T);
}
template <int OP, int T> void op_alu_n() {
    alu<OP>(fetch8());
    charge(T);
}

inline uint8_t inc_flags(uint8_t v) {
    SoundCpuRunRegisters& g = regs();
    uint8_t r = static_cast<uint8_t>(v + 1);
    g.f = static_cast<uint8_t>((g.f & FC) | sz(r) | ((r & 0x0F) == 0 ? FH : 0) | (r == 0x80 ? FP : 0));
    return r;
}
inline uint8_t dec_flags(uint8_t v) {
    SoundCpuRunRegisters& g = regs();
    uint8_t r = static_cast<uint8_t>(v - 1);
    g.f = static_cast<uint8_t>((g.f & FC) | sz(r) | ((v & 0x0F) == 0 ? FH : 0) | (r == 0x7F ? FP : 0) | FN);
    return r;
}
template <int R, int T> void op_inc_r() {
    set8<R>(inc_flags(get8<R>()));
    charge(T);
}
template <int R, int T> void op_dec_r() {
    set8<R>(dec_flags(get8<R>()));
    charge(T);
}
template <int P, int T> void op_inc_mem() {
    uint16_t a = operand_address<P>();
    write8(a, inc_flags(read8(a)));
    charge(T);
}
template <int P, int T> void op_dec_mem() {
    uint16_t a = operand_address<P>();
    write8(a, dec_flags(read8(a)));
    charge(T);
}
template <int P, int T> void op_inc_rr() {
    set16<P>(static_cast<uint16_t>(get16<P>() + 1));
    charge(T);
}
template <int P, int T> void op_dec_rr() {
    set16<P>(static_cast<uint16_t>(get16<P>() - 1));
    charge(T);
}

// ADD HL,rr (and IX, IY): H from bit 11, C from bit 15; S, Z and P/V are kept.
template <int D, int S, int T> void op_add_rr() {
    SoundCpuRunRegisters& g = regs();
    uint32_t a = get16<D>(), v = get16<S>();
    uint32_t r = a + v;
    g.f = static_cast<uint8_t>((g.f & (FS | FZ | FP)) | (((a ^ v ^ r) >> 8) & FH) | (r >> 16));
    set16<D>(static_cast<uint16_t>(r));
    charge(T);
}
template <int S, int T> void op_adc_hl() {
    SoundCpuRunRegisters& g = regs();
    uint32_t a = get16<P_HL>(), v = get16<S>();
    uint32_t r = a + v + (g.f & FC);
    uint16_t r16 = static_cast<uint16_t>(r);
    g.f = static_cast<uint8_t>(((r16 >> 8) & FS) | (r16 == 0 ? FZ : 0) | (((a ^ v ^ r) >> 8) & FH) |
                               ((((a ^ r) & (v ^ r)) & 0x8000) >> 13) | ((r >> 16) & FC));
    set16<P_HL>(r16);
    charge(T);
}
template <int S, int T> void op_sbc_hl() {
    SoundCpuRunRegisters& g = regs();
    uint32_t a = get16<P_HL>(), v = get16<S>();
    uint32_t r = a - v - (g.f & FC);
    uint16_t r16 = static_cast<uint16_t>(r);
    g.f = static_cast<uint8_t>(((r16 >> 8) & FS) | (r16 == 0 ? FZ : 0) | (((a ^ v ^ r) >> 8) & FH) |
                               ((((a ^ v) & (a ^ r)) & 0x8000) >> 13) | FN | ((r >> 16) & FC));
    set16<P_HL>(r16);
    charge(T);
}

template <int T> void op_neg() {
    SoundCpuRunRegisters& g = regs();
    g.a = sub_flags(0, g.a, 0, g.f);
    charge(T);
}

// RLCA, RRCA, RLA, RRA: only H, N and C change (bits 5 and 3 are cleared with them).
enum AccRotate : int { ACC_RLCA, ACC_RRCA, ACC_RLA, ACC_RRA };
template <int OP, int T> void op_rotate_a() {
    SoundCpuRunRegisters& g = regs();
    uint8_t a = g.a, c;
    if constexpr (OP == ACC_RLCA) {
        c = a >> 7;
        a = static_cast<uint8_t>((a << 1) | c);
    } else if constexpr (OP == ACC_RRCA) {
        c = a & 1;
        a = static_cast<uint8_t>((a >> 1) | (c << 7));
    } else if constexpr (OP == ACC_RLA) {
        c = a >> 7;
        a = static_cast<uint8_t>((a << 1) | (g.f & FC));
    } else {
        c = a & 1;
        a = static_cast<uint8_t>((a >> 1) | ((g.f & FC) << 7));
    }
    g.a = a;
    g.f = static_cast<uint8_t>((g.f & (FS | FZ | FP)) | c);
    charge(T);
}

// Decimal adjust as the Z80 does it, after an addition (N = 0) or a subtraction (N = 1).
template <int T> void op_daa() {
    SoundCpuRunRegisters& g = regs();
    uint8_t a = g.a, adjust = 0;
    uint8_t carry = g.f & FC;
    if ((g.f & FH) || (a & 0x0F) > 9) adjust |= 0x06;
    if (carry || a > 0x99) {
        adjust |= 0x60;
        carry = FC;
    }
    uint8_t half;
    if (g.f & FN) {
        half = ((g.f & FH) && (a & 0x0F) < 6) ? FH : 0;
        g.a = static_cast<uint8_t>(a - adjust);
    } else {
        half = (a & 0x0F) > 9 ? FH : 0;
        g.a = static_cast<uint8_t>(a + adjust);
    }
    g.f = static_cast<uint8_t>(szp(g.a) | half | (g.f & FN) | carry);
    charge(T);
}
template <int T> void op_cpl() {
    SoundCpuRunRegisters& g = regs();
    g.a = static_cast<uint8_t>(~g.a);
    g.f |= FH | FN;
    charge(T);
}
template <int T> void op_scf() {
    SoundCpuRunRegisters& g = regs();
    g.f = static_cast<uint8_t>((g.f & (FS | FZ | F5 | F3 | FP)) | FC);
    charge(T);
}
template <int T> void op_ccf() {
    SoundCpuRunRegisters& g = regs();
    g.f = static_cast<uint8_t>((g.f & (FS | FZ | F5 | F3 | FP)) | ((g.f & FC) << 4) | ((g.f & FC) ^ FC));
    charge(T);
}

} // namespace z80
