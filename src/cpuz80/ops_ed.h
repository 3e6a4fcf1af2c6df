// Opcode routines of the ED table outside the block and idle families: port I/O through C,
// RETN and RETI, IM, the I and R transfers, RRD and RLD.
#pragma once
#include "cpuz80/core.h"

namespace z80 {

// IN r,(C); R = R_MEM is the published IN F,(C) form, which only sets the flags.
template <int R, int T> void op_in_r_c() {
    charge(T);
    uint16_t bc = get16<P_BC>();
    uint8_t v = port_in(bc, bc);
    SoundCpuRunRegisters& g = regs();
    g.f = static_cast<uint8_t>((g.f & FC) | szp(v));
    if constexpr (R != R_MEM) set8<R>(v);
}
// OUT (C),r; R = R_MEM is the published OUT (C),0 form.
template <int R, int T> void op_out_c_r() {
    charge(T);
    uint16_t bc = get16<P_BC>();
    uint8_t v = 0;
    if constexpr (R != R_MEM) v = get8<R>();
    port_out(bc, bc, v);
}

// RETN copies IFF2 to IFF1; when that enables interrupts while the line is raised, the interrupt
// is taken at once.
template <int T> void op_retn() {
    SoundCpuState& s = cpu();
    jump_to(pop16());
    uint8_t was_enabled = s.iff1;
    s.iff1 = s.iff2;
    charge(T);
    if (!was_enabled && s.iff1 && s.irq_line) {
        s.context.pc = s.run.pc;
        accept_interrupt(0);
        jump_to(s.context.pc);
        charge(13);
    }
}
template <int T> void op_reti() {
    jump_to(pop16());
    charge(T);
}
template <int MODE, int T> void op_im() {
    cpu().context.interrupt_mode = MODE;
    charge(T);
}

template <int T> void op_ld_i_a() {
    cpu().context.i = regs().a;
    charge(T);
}
template <int T> void op_ld_r_a() {
    cpu().context.r = regs().a;
    charge(T);
}
inline void ir_flags(uint8_t v) {
    SoundCpuRunRegisters& g = regs();
    g.f = static_cast<uint8_t>((g.f & (FC | F5 | F3)) | sz(v) | (cpu().iff2 ? FP : 0));
}
template <int T> void op_ld_a_i() {
    regs().a = cpu().context.i;
    ir_flags(regs().a);
    charge(T);
}
// R is not counted per instruction; each read instead moves it along a pseudo-random sequence.
template <int T> void op_ld_a_r() {
    SoundCpuState& s = cpu();
    s.run.a = s.context.r;
    ir_flags(s.run.a);
    s.context.r = static_cast<uint8_t>(((s.context.r + s.run.l + s.run.b + 1) & 0xFF) ^ s.run.a);
    charge(T);
}

template <int T> void op_rrd() {
    SoundCpuRunRegisters& g = regs();
    uint16_t a = get16<P_HL>();
    uint8_t m = read8(a);
    write8(a, static_cast<uint8_t>((g.a << 4) | (m >> 4)));
    g.a = static_cast<uint8_t>((g.a & 0xF0) | (m & 0x0F));
    g.f = static_cast<uint8_t>((g.f & FC) | szp(g.a));
    charge(T);
}
template <int T> void op_rld() {
    SoundCpuRunRegisters& g = regs();
    uint16_t a = get16<P_HL>();
    uint8_t m = read8(a);
    write8(a, static_cast<uint8_t>((m << 4) | (g.a & 0x0F)));
    g.a = static_cast<uint8_t>((g.a & 0xF0) | (m >> 4));
    g.f = static_cast<uint8_t>((g.f & FC) | szp(g.a));
    charge(T);
}

} // namespace z80
