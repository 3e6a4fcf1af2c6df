// Opcode routines of the load, exchange and stack families. Each template takes the T-states of
// the whole instruction (prefixes included) from the generated tables.
#pragma once
#include "cpuz80/core.h"

namespace z80 {

template <int T> void op_nop() { charge(T); }

template <int D, int S, int T> void op_ld_r_r() {
    set8<D>(get8<S>());
    charge(T);
}
template <int D, int T> void op_ld_r_n() {
    set8<D>(fetch8());
    charge(T);
}
// LD r,(HL) / LD r,(IX+d): P names the address pair.
template <int D, int P, int T> void op_ld_r_mem() {
    uint16_t a = operand_address<P>();
    set8<D>(read8(a));
    charge(T);
}
template <int S, int P, int T> void op_ld_mem_r() {
    uint16_t a = operand_address<P>();
    write8(a, get8<S>());
    charge(T);
}
template <int P, int T> void op_ld_mem_n() {
    uint16_t a = operand_address<P>();
    write8(a, fetch8());
    charge(T);
}
// LD A,(BC) / LD A,(DE) and the stores the other way.
template <int P, int T> void op_ld_a_pair() {
    set8<R_A>(read8(get16<P>()));
    charge(T);
}
template <int P, int T> void op_ld_pair_a() {
    write8(get16<P>(), get8<R_A>());
    charge(T);
}
template <int T> void op_ld_a_abs() {
    set8<R_A>(read8(fetch16()));
    charge(T);
}
template <int T> void op_ld_abs_a() {
    write8(fetch16(), get8<R_A>());
    charge(T);
}

template <int P, int T> void op_ld_rr_nn() {
    set16<P>(fetch16());
    charge(T);
}
template <int P, int T> void op_ld_rr_abs() {
    set16<P>(read16(fetch16()));
    charge(T);
}
template <int P, int T> void op_ld_abs_rr() {
    write16(fetch16(), get16<P>());
    charge(T);
}
template <int P, int T> void op_ld_sp_rr() {
    set16<P_SP>(get16<P>());
    charge(T);
}

template <int P, int T> void op_push() {
    push16(get16<P>());
    charge(T);
}
template <int P, int T> void op_pop() {
    set16<P>(pop16());
    charge(T);
}

template <int T> void op_ex_de_hl() {
    uint16_t de = get16<P_DE>();
    set16<P_DE>(get16<P_HL>());
    set16<P_HL>(de);
    charge(T);
}
template <int T> void op_ex_af() {
    SoundCpuContext& c = cpu().context;
    uint16_t af = get16<P_AF>();
    set16<P_AF>(c.af2);
    c.af2 = af;
    charge(T);
}
template <int T> void op_exx() {
    SoundCpuContext& c = cpu().context;
    uint16_t bc = get16<P_BC>(), de = get16<P_DE>(), hl = get16<P_HL>();
    set16<P_BC>(c.bc2);
    set16<P_DE>(c.de2);
    set16<P_HL>(c.hl2);
    c.bc2 = bc;
    c.de2 = de;
    c.hl2 = hl;
    charge(T);
}
template <int P, int T> void op_ex_sp_rr() {
    uint16_t sp = get16<P_SP>();
    uint16_t v = read16(sp);
    write16(sp, get16<P>());
    set16<P>(v);
    charge(T);
}

} // namespace z80
