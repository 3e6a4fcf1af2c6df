// Opcode routines of the CB table (rotates, shifts, BIT, RES, SET) and of the indexed bit table
// reached by DD CB d xx and FD CB d xx, whose address the prefix routine leaves in index_address.
#pragma once
#include "cpuz80/core.h"

namespace z80 {

enum Shift : int { SH_RLC, SH_RRC, SH_RL, SH_RR, SH_SLA, SH_SRA, SH_SLL, SH_SRL };

template <int OP> inline uint8_t shift(uint8_t v) {
    SoundCpuRunRegisters& g = regs();
    uint8_t r, c;
    if constexpr (OP == SH_RLC) {
        c = v >> 7;
        r = static_cast<uint8_t>((v << 1) | c);
    } else if constexpr (OP == SH_RRC) {
        c = v & 1;
        r = static_cast<uint8_t>((v >> 1) | (c << 7));
    } else if constexpr (OP == SH_RL) {
        c = v >> 7;
        r = static_cast<uint8_t>((v << 1) | (g.f & FC));
    } else if constexpr (OP == SH_RR) {
        c = v & 1;
        r = static_cast<uint8_t>((v >> 1) | ((g.f & FC) << 7));
    } else if constexpr (OP == SH_SLA) {
        c = v >> 7;
        r = static_cast<uint8_t>(v << 1);
    } else if constexpr (OP == SH_SRA) {
        c = v & 1;
        r = static_cast<uint8_t>((v >> 1) | (v & 0x80));
    } else if constexpr (OP == SH_SLL) { // shifts a 1 into bit 0
        c = v >> 7;
        r = static_cast<uint8_t>((v << 1) | 1);
    } else {
        c = v & 1;
        r = static_cast<uint8_t>(v >> 1);
    }
    g.f = static_cast<uint8_t>(szp(r) | c);
    return r;
}

inline void bit_flags(int bit, uint8_t v) {
    SoundCpuRunRegisters& g = regs();
    uint8_t m = static_cast<uint8_t>(v & (1 << bit));
    g.f = static_cast<uint8_t>((g.f & FC) | FH | (m & FS) | (m == 0 ? (FZ | FP) : 0));
}

template <int OP, int R, int T> void op_shift_r() {
    set8<R>(shift<OP>(get8<R>()));
    charge(T);
}
template <int OP, int T> void op_shift_mem() {
    uint16_t a = get16<P_HL>();
    write8(a, shift<OP>(read8(a)));
    charge(T);
}
template <int B, int R, int T> void op_bit_r() {
    bit_flags(B, get8<R>());
    charge(T);
}
template <int B, int T> void op_bit_mem() {
    bit_flags(B, read8(get16<P_HL>()));
    charge(T);
}
template <int B, int R, int T> void op_res_r() {
    set8<R>(static_cast<uint8_t>(get8<R>() & ~(1 << B)));
    charge(T);
}
template <int B, int T> void op_res_mem() {
    uint16_t a = get16<P_HL>();
    write8(a, static_cast<uint8_t>(read8(a) & ~(1 << B)));
    charge(T);
}
template <int B, int R, int T> void op_set_r() {
    set8<R>(static_cast<uint8_t>(get8<R>() | (1 << B)));
    charge(T);
}
template <int B, int T> void op_set_mem() {
    uint16_t a = get16<P_HL>();
    write8(a, static_cast<uint8_t>(read8(a) | (1 << B)));
    charge(T);
}

// Indexed forms. R = R_MEM is the documented (IX+d) column; any other R is the published form
// that also copies the result into that register.
template <int R> inline void index_result(uint8_t v) {
    write8(cpu().index_address, v);
    if constexpr (R != R_MEM) set8<R>(v);
}
template <int OP, int R, int T> void op_shift_index() {
    index_result<R>(shift<OP>(read8(cpu().index_address)));
    charge(T);
}
template <int B, int T> void op_bit_index() {
    bit_flags(B, read8(cpu().index_address));
    charge(T);
}
template <int B, int R, int T> void op_res_index() {
    index_result<R>(static_cast<uint8_t>(read8(cpu().index_address) & ~(1 << B)));
    charge(T);
}
template <int B, int R, int T> void op_set_index() {
    index_result<R>(static_cast<uint8_t>(read8(cpu().index_address) | (1 << B)));
    charge(T);
}

} // namespace z80
