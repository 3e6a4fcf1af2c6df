// Opcode routines of the block transfer, compare and I/O families. The repeating forms complete
// their whole count in one execution and charge and test the budget as the run loop expects:
// LDIR per byte (resumable), LDDR and CPDR with a test before they start, the others afterwards.
#pragma once
#include "cpuz80/core.h"

namespace z80 {

inline uint16_t step(uint16_t v, int dir) { return static_cast<uint16_t>(v + dir); }

// One LDI/LDD step; returns BC after it.
template <int DIR> inline uint16_t transfer_step() {
    uint16_t hl = get16<P_HL>(), de = get16<P_DE>();
    write8(de, read8(hl));
    set16<P_HL>(step(hl, DIR));
    set16<P_DE>(step(de, DIR));
    uint16_t bc = static_cast<uint16_t>(get16<P_BC>() - 1);
    set16<P_BC>(bc);
    return bc;
}
inline void transfer_flags(uint16_t bc) {
    SoundCpuRunRegisters& g = regs();
    g.f = static_cast<uint8_t>((g.f & (FS | FZ | FC)) | (bc != 0 ? FP : 0));
}
// One CPI/CPD step; returns whether A matched. Flags as CP (HL), C kept, P/V = BC != 0.
template <int DIR> inline bool compare_step() {
    SoundCpuRunRegisters& g = regs();
    uint16_t hl = get16<P_HL>();
    uint8_t v = read8(hl);
    uint8_t r = static_cast<uint8_t>(g.a - v);
    set16<P_HL>(step(hl, DIR));
    uint16_t bc = static_cast<uint16_t>(get16<P_BC>() - 1);
    set16<P_BC>(bc);
    g.f = static_cast<uint8_t>((g.f & FC) | sz(r) | ((g.a ^ v ^ r) & FH) | (bc != 0 ? FP : 0) | FN);
    return r == 0;
}
// Block I/O flags as published for the Z80: Z and S from B, N from bit 7 of the byte moved, H and
// C from the carry of byte + k, P/V the parity of ((byte + k) & 7) XOR B. The port is C alone.
inline void io_flags(uint8_t v, unsigned k) {
    SoundCpuRunRegisters& g = regs();
    unsigned sum = v + (k & 0xFF);
    g.f = static_cast<uint8_t>(sz(g.b) | ((v & 0x80) ? FN : 0) | (sum > 0xFF ? (FH | FC) : 0) |
                               (szp(static_cast<uint8_t>((sum & 7) ^ g.b)) & FP));
}
template <int DIR> inline void input_step() {
    SoundCpuRunRegisters& g = regs();
    uint8_t c = g.c;
    uint8_t v = port_in(c, c);
    set8<R_B>(static_cast<uint8_t>(g.b - 1));
    uint16_t hl = get16<P_HL>();
    write8(hl, v);
    set16<P_HL>(step(hl, DIR));
    io_flags(v, static_cast<unsigned>(c + DIR));
}
template <int DIR> inline void output_step() {
    SoundCpuRunRegisters& g = regs();
    uint16_t hl = get16<P_HL>();
    uint8_t v = read8(hl);
    g.b = static_cast<uint8_t>(g.b - 1);
    port_out(g.c, g.c, v);
    set16<P_HL>(step(get16<P_HL>(), DIR));
    io_flags(v, g.l);
}

template <int DIR, int T> void op_ldi() {
    transfer_flags(transfer_step<DIR>());
    charge(T);
}
template <int DIR, int T> void op_cpi() {
    compare_step<DIR>();
    charge(T);
}
template <int DIR, int T> void op_ini() {
    charge(T);
    input_step<DIR>();
}
template <int DIR, int T> void op_outi() {
    charge(T);
    output_step<DIR>();
}

// LDIR: 21 per byte and 16 for the last; when the budget runs out first, the PC goes back to the
// ED byte with HL, DE and BC set for the bytes moved, and the next run resumes the instruction.
template <int T_REPEAT, int T_LAST> void op_ldir() {
    for (;;) {
        uint16_t bc = transfer_step<1>();
        if (bc == 0) {
            transfer_flags(0);
            charge(T_LAST);
            return;
        }
        charge(T_REPEAT);
        if (cpu().cycles_left <= 0) {
            transfer_flags(bc);
            regs().pc = static_cast<uint16_t>(regs().pc - 2);
            return;
        }
    }
}
// LDDR: 21 charged first as the start test; then every byte moves (BC = 0 means 65536) for 21
// more each, with no test afterwards.
template <int T> void op_lddr() {
    charge(T);
    if (cpu().cycles_left < 0) {
        regs().pc = static_cast<uint16_t>(regs().pc - 2);
        return;
    }
    int32_t count = get16<P_BC>() == 0 ? 0x10000 : get16<P_BC>();
    for (int32_t i = 0; i < count; ++i) transfer_step<-1>();
    transfer_flags(0);
    charge(T * count);
}
template <int T> void op_cpir() {
    bool matched;
    do {
        matched = compare_step<1>();
        charge(T);
    } while (!matched && get16<P_BC>() != 0);
}
// CPDR: the first comparison's 21 is charged first as the same start test as LDDR's.
template <int T> void op_cpdr() {
    charge(T);
    if (cpu().cycles_left < 0) {
        regs().pc = static_cast<uint16_t>(regs().pc - 2);
        return;
    }
    bool matched = compare_step<-1>();
    while (!matched && get16<P_BC>() != 0) {
        matched = compare_step<-1>();
        charge(T);
    }
}
// INIR, INDR, OTIR, OTDR move all B bytes (B = 0 means 256) for one fixed charge.
template <int DIR, int T> void op_inir() {
    charge(T);
    do input_step<DIR>();
    while (regs().b != 0);
}
template <int DIR, int T> void op_otir() {
    charge(T);
    do output_step<DIR>();
    while (regs().b != 0);
}

} // namespace z80
