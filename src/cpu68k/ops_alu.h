// Opcode routines of the arithmetic and logic families: OR/AND/SUB/ADD/CMP/EOR in all forms,
// ADDA/SUBA/CMPA, the immediate and quick forms, NEGX/CLR/NEG/NOT, TST, ADDX/SUBX/CMPM, MOVEQ.
// Template arguments are fixed by the generated table; the low three opcode bits are read here.
#pragma once
#include "cpu68k/core_access.h"

namespace m68k {

template <int OP, int SZ> inline uint32_t alu(uint32_t dst, uint32_t src) {
    if constexpr (OP == OP_OR) {
        uint32_t r = (dst | src) & size_mask<SZ>;
        set_logic_flags<SZ>(r);
        return r;
    } else if constexpr (OP == OP_AND) {
        uint32_t r = (dst & src) & size_mask<SZ>;
        set_logic_flags<SZ>(r);
        return r;
    } else if constexpr (OP == OP_EOR) {
        uint32_t r = (dst ^ src) & size_mask<SZ>;
        set_logic_flags<SZ>(r);
        return r;
    } else if constexpr (OP == OP_ADD) return add_with_flags<SZ>(dst, src);
    else if constexpr (OP == OP_SUB) return sub_with_flags<SZ>(dst, src);
    else return sub_with_flags<SZ, false>(dst, src);
}

// <ea>,Dn
template <int OP, int SZ, int M, int DN> void alu_ea_to_dreg([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t src = ea_read<M, SZ>(pc, op & 7);
    uint32_t result = alu<OP, SZ>(dreg(DN), src);
    if constexpr (OP != OP_CMP) write_dreg<SZ>(DN, result);
    if constexpr (SZ != 4) charge(4 + ea_time<M, SZ>());
    else if constexpr (OP != OP_CMP && (M == DREG || M == AREG)) charge(8);
    else if constexpr (OP != OP_CMP && M == IMM) charge(8 + ea_time<M, SZ>());
    else charge(6 + ea_time<M, SZ>());
}

// Dn,<ea> (memory destination; EOR also to Dn)
template <int OP, int SZ, int M, int DN> void alu_dreg_to_ea([[maybe_unused]] Pc& pc, uint32_t op) {
    if constexpr (M == DREG) {
        int r = op & 7;
        write_dreg<SZ>(r, alu<OP, SZ>(dreg(r), dreg(DN)));
        charge(SZ == 4 ? 8 : 4);
    } else {
        uint32_t address = ea_address<M, SZ>(pc, op & 7);
        uint32_t dst = read_mem<SZ>(address);
        write_mem<SZ>(address, alu<OP, SZ>(dst, dreg(DN)));
        charge((SZ == 4 ? 12 : 8) + ea_time<M, SZ>());
    }
}

// ADDA, SUBA, CMPA: word sources are sign-extended; ADDA/SUBA change no flags.
template <int OP, int SZ, int M, int AN> void alu_address([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t src = ea_read<M, SZ>(pc, op & 7);
    if constexpr (SZ == 2) src = sext16(src);
    if constexpr (OP == OP_ADD) areg(AN) += src;
    else if constexpr (OP == OP_SUB) areg(AN) -= src;
    else sub_with_flags<4, false>(areg(AN), src);
    if constexpr (OP == OP_CMP) charge(6 + ea_time<M, SZ>());
    else if constexpr (SZ == 2) charge(8 + ea_time<M, SZ>());
    else if constexpr (M == DREG || M == AREG) charge(8);
    else if constexpr (M == IMM) charge(8 + ea_time<M, SZ>());
    else charge(6 + ea_time<M, SZ>());
}

// ORI, ANDI, SUBI, ADDI, EORI, CMPI #imm,<ea>
template <int OP, int SZ, int M> void alu_immediate([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t imm = ea_read<IMM, SZ>(pc, 0);
    if constexpr (M == DREG) {
        int r = op & 7;
        uint32_t result = alu<OP, SZ>(dreg(r), imm);
        if constexpr (OP != OP_CMP) write_dreg<SZ>(r, result);
        if constexpr (SZ != 4) charge(8);
        else if constexpr (OP == OP_AND || OP == OP_CMP) charge(14);
        else charge(16);
    } else {
        uint32_t address = ea_address<M, SZ>(pc, op & 7);
        uint32_t dst = read_mem<SZ>(address);
        uint32_t result = alu<OP, SZ>(dst, imm);
        if constexpr (OP != OP_CMP) {
            write_mem<SZ>(address, result);
            charge((SZ == 4 ? 20 : 12) + ea_time<M, SZ>());
        } else {
            charge((SZ == 4 ? 12 : 8) + ea_time<M, SZ>());
        }
    }
}

// ADDQ, SUBQ #DATA,<ea>; to An the whole register changes and no flags.
template <int OP, int SZ, int M, int DATA> void alu_quick([[maybe_unused]] Pc& pc, uint32_t op) {
    int r = op & 7;
    if constexpr (M == AREG) {
        if constexpr (OP == OP_ADD) areg(r) += DATA;
        else areg(r) -= DATA;
        charge(8);
    } else if constexpr (M == DREG) {
        write_dreg<SZ>(r, alu<OP, SZ>(dreg(r), DATA));
        charge(SZ == 4 ? 8 : 4);
    } else {
        uint32_t address = ea_address<M, SZ>(pc, r);
        uint32_t dst = read_mem<SZ>(address);
        write_mem<SZ>(address, alu<OP, SZ>(dst, DATA));
        charge((SZ == 4 ? 12 : 8) + ea_time<M, SZ>());
    }
}

template <int OP, int SZ> inline uint32_t unary(uint32_t value) {
    if constexpr (OP == UN_NEGX) return subx_with_flags<SZ>(0, value);
    else if constexpr (OP == UN_NEG) return sub_with_flags<SZ>(0, value);
    else if constexpr (OP == UN_NOT) {
        uint32_t r = ~value & size_mask<SZ>;
        set_logic_flags<SZ>(r);
        return r;
    } else {
        set_logic_flags<SZ>(0);
        return 0;
    }
}

// NEGX, CLR, NEG, NOT. CLR writes without reading first.
template <int OP, int SZ, int M> void unary_op([[maybe_unused]] Pc& pc, uint32_t op) {
    int r = op & 7;
    if constexpr (M == DREG) {
        write_dreg<SZ>(r, unary<OP, SZ>(dreg(r)));
        charge(SZ != 4 ? 4 : OP == UN_CLR ? 8 : 6);
    } else if constexpr (OP == UN_CLR) {
        write_mem<SZ>(ea_address<M, SZ>(pc, r), unary<OP, SZ>(0));
        charge((SZ == 4 ? 12 : 6) + ea_time<M, SZ>());
    } else {
        uint32_t address = ea_address<M, SZ>(pc, r);
        uint32_t value = read_mem<SZ>(address);
        write_mem<SZ>(address, unary<OP, SZ>(value));
        charge((SZ == 4 ? 12 : 8) + ea_time<M, SZ>());
    }
}

template <int SZ, int M> void tst([[maybe_unused]] Pc& pc, uint32_t op) {
    set_logic_flags<SZ>(ea_read<M, SZ>(pc, op & 7));
    charge(4 + ea_time<M, SZ>());
}

// ADDX/SUBX Dy,Dx or -(Ay),-(Ax); Rx fixed, Ry in the low bits.
template <bool ADD, int SZ, bool MEMORY, int RX> void extended_arith([[maybe_unused]] Pc& pc, uint32_t op) {
    int ry = op & 7;
    if constexpr (MEMORY) {
        uint32_t src = read_mem<SZ>(ea_address<APRE, SZ>(pc, ry));
        uint32_t address = ea_address<APRE, SZ>(pc, RX);
        uint32_t dst = read_mem<SZ>(address);
        write_mem<SZ>(address, ADD ? addx_with_flags<SZ>(dst, src) : subx_with_flags<SZ>(dst, src));
        charge(SZ == 4 ? 30 : 18);
    } else {
        uint32_t src = dreg(ry), dst = dreg(RX);
        write_dreg<SZ>(RX, ADD ? addx_with_flags<SZ>(dst, src) : subx_with_flags<SZ>(dst, src));
        charge(SZ == 4 ? 8 : 4);
    }
}

// CMPM (Ay)+,(Ax)+
template <int SZ, int AX> void cmpm([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t src = read_mem<SZ>(ea_address<APOST, SZ>(pc, op & 7));
    uint32_t dst = read_mem<SZ>(ea_address<APOST, SZ>(pc, AX));
    sub_with_flags<SZ, false>(dst, src);
    charge(SZ == 4 ? 20 : 12);
}

template <int DN> void moveq([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t value = sext8(op);
    dreg(DN) = value;
    set_logic_flags<4>(value);
    charge(4);
}

} // namespace m68k
