// Opcode routines that move data: MOVE/MOVEA, MOVEM, MOVEP, LEA, PEA, EXG, SWAP, EXT, LINK,
// UNLK, MOVE USP and the status-register moves (MOVE to/from SR, to CCR, ORI/ANDI/EORI to CCR/SR).
#pragma once
#include <bit>

#include "cpu68k/core_access.h"

namespace m68k {

// Raises the privilege violation with the frame's PC at the instruction; true when raised.
inline bool privilege_violation(Pc& pc, uint32_t instruction_pc) {
    if (supervisor()) return false;
    pc = exception_entry(8, instruction_pc);
    charge(34);
    return true;
}

template <int SZ, int SRC, int DST, int DREG_> void move([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t value = ea_read<SRC, SZ>(pc, op & 7);
    if constexpr (DST == AREG) {
        areg(DREG_) = SZ == 2 ? sext16(value) : value;
    } else {
        set_logic_flags<SZ>(value);
        if constexpr (DST == DREG) write_dreg<SZ>(DREG_, value);
        else write_mem<SZ>(ea_address<DST, SZ>(pc, DREG_), value);
    }
    charge(4 + ea_time<SRC, SZ>() + move_dest_time<DST, SZ>());
}

// Address calculation of the control modes as charged by MOVEM, on top of its base.
template <int M> constexpr int control_time() {
    constexpr int t[12] = {0, 0, 0, 0, 0, 4, 6, 4, 8, 4, 6, 0};
    return t[M];
}

// MOVEM's walk over the register mask: visit(register number, address) for every listed register,
// from D0 up at rising addresses, or for -(An) from A7 down at falling addresses with the address
// moved before each access. Returns the address after the last one.
template <int SZ, bool DOWN, class VISIT> inline uint32_t movem_walk(uint32_t mask, uint32_t address, VISIT visit) {
    for (uint32_t bits = mask; bits; bits &= bits - 1) {
        auto n = static_cast<unsigned>(std::countr_zero(bits));
        if constexpr (DOWN) {
            address -= SZ;
            visit(15 - n, address);
        } else {
            visit(n, address);
            address += SZ;
        }
    }
    return address;
}

// MOVEM moves at most 64 bytes. When they all lie in the 64 KiB page of the first address, the
// page's handler serves every access and is looked up once; otherwise each access goes through
// the tables on its own. Returns the address after the last access (24-bit arithmetic inside the
// page, 32-bit otherwise; only the distance is used).
constexpr uint32_t movem_most_bytes = 64;
template <bool DOWN> inline bool movem_in_one_page(uint32_t start) {
    uint32_t offset = start & 0xFFFF;
    return DOWN ? offset >= movem_most_bytes : offset <= 0x10000 - movem_most_bytes;
}

template <int SZ, bool DOWN> inline uint32_t movem_store(uint32_t mask, uint32_t start) {
    if (movem_in_one_page<DOWN>(start)) {
        uint32_t address = start & 0xFFFFFF;
        MainWriteHandler write = SZ == 4 ? machine.bus.write_long[address >> 16] : machine.bus.write_word[address >> 16];
        return start + (movem_walk<SZ, DOWN>(mask, address, [&](unsigned n, uint32_t a) { write(a, reg(n) & size_mask<SZ>); }) - address);
    }
    return movem_walk<SZ, DOWN>(mask, start, [](unsigned n, uint32_t a) { write_mem<SZ>(a, reg(n)); });
}

template <int SZ> inline uint32_t movem_load(uint32_t mask, uint32_t start) {
    auto extend = [](uint32_t v) { return SZ == 2 ? sext16(v & 0xFFFF) : v; };
    if (movem_in_one_page<false>(start)) {
        uint32_t address = start & 0xFFFFFF;
        MainReadHandler read = SZ == 4 ? machine.bus.read_long[address >> 16] : machine.bus.read_word[address >> 16];
        return start + (movem_walk<SZ, false>(mask, address, [&](unsigned n, uint32_t a) { reg(n) = extend(read(a)); }) - address);
    }
    return movem_walk<SZ, false>(mask, start, [&](unsigned n, uint32_t a) { reg(n) = extend(read_mem<SZ>(a)); });
}

// MOVEM registers to memory: control modes from D0 up, -(An) from A7 down storing before the
// address moves, so a listed base register stores its initial value. The count of registers
// moved follows from how far the address went.
template <int SZ, int M> void movem_to_memory([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t mask = fetch16(pc);
    unsigned r = op & 7;
    uint32_t moved;
    if constexpr (M == APRE) {
        uint32_t start = areg(r);
        uint32_t end = movem_store<SZ, true>(mask, start);
        areg(r) = end;
        moved = (start - end) / SZ;
    } else {
        uint32_t start = ea_address<M, SZ>(pc, r);
        moved = (movem_store<SZ, false>(mask, start) - start) / SZ;
    }
    charge(static_cast<int32_t>(moved) * (SZ == 4 ? 8 : 4) + 8 + control_time<M>());
}

// MOVEM memory to registers: word loads sign-extend; (An)+ leaves the base at the end address.
template <int SZ, int M> void movem_to_registers([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t mask = fetch16(pc);
    unsigned r = op & 7;
    uint32_t start = M == APOST ? areg(r) : ea_address<M, SZ>(pc, r);
    uint32_t end = movem_load<SZ>(mask, start);
    if constexpr (M == APOST) areg(r) = end;
    uint32_t moved = (end - start) / SZ;
    charge(static_cast<int32_t>(moved) * (SZ == 4 ? 8 : 4) + 12 + control_time<M>());
}

// MOVEP: bytes at d, d+2, d+4, d+6 from the high byte down.
template <bool TO_MEMORY, int SZ, int DN> void movep([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t address = areg(op & 7) + sext16(fetch16(pc));
    if constexpr (TO_MEMORY) {
        uint32_t value = dreg(DN);
        for (int shift = SZ * 8 - 8; shift >= 0; shift -= 8, address += 2) write_mem<1>(address, value >> shift);
    } else {
        uint32_t value = 0;
        for (int i = 0; i < SZ; ++i, address += 2) value = value << 8 | read_mem<1>(address);
        write_dreg<SZ>(DN, value);
    }
    charge(SZ == 4 ? 24 : 16);
}

template <int M> constexpr int lea_time() {
    constexpr int t[12] = {0, 0, 4, 0, 0, 8, 12, 8, 12, 8, 12, 0};
    return t[M];
}

template <int M, int AN> void lea([[maybe_unused]] Pc& pc, uint32_t op) {
    areg(AN) = ea_address<M, 4>(pc, op & 7);
    charge(lea_time<M>());
}

template <int M> void pea([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t address = ea_address<M, 4>(pc, op & 7);
    push32(address);
    charge(lea_time<M>() + 8);
}

// EXG: kind 0 data/data, 1 address/address, 2 data/address (Rx fixed, Ry in the low bits).
template <int KIND, int RX> void exg([[maybe_unused]] Pc& pc, uint32_t op) {
    int ry = op & 7;
    uint32_t& x = KIND == 1 ? areg(RX) : dreg(RX);
    uint32_t& y = KIND == 0 ? dreg(ry) : areg(ry);
    uint32_t t = x;
    x = y;
    y = t;
    charge(6);
}

inline void swap_halves([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t& d = dreg(op & 7);
    d = d >> 16 | d << 16;
    set_logic_flags<4>(d);
    charge(4);
}

template <int SZ> void ext([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t& d = dreg(op & 7);
    if constexpr (SZ == 2) {
        write_dreg<2>(op & 7, sext8(d));
        set_logic_flags<2>(d);
    } else {
        d = sext16(d);
        set_logic_flags<4>(d);
    }
    charge(4);
}

// LINK An,#d16 (LINK A7 pushes A7 as it was before the push).
inline void link([[maybe_unused]] Pc& pc, uint32_t op) {
    int r = op & 7;
    uint32_t displacement = sext16(fetch16(pc));
    uint32_t saved = areg(r);
    reg(15) -= 4;
    write_mem<4>(reg(15), saved);
    areg(r) = reg(15);
    reg(15) += displacement;
    charge(16);
}

inline void unlk([[maybe_unused]] Pc& pc, uint32_t op) {
    int r = op & 7;
    uint32_t frame = areg(r);
    uint32_t saved = read_mem<4>(frame);
    reg(15) = frame + 4;
    areg(r) = saved;
    charge(12);
}

template <bool TO_USP> void move_usp([[maybe_unused]] Pc& pc, uint32_t op) {
    if (privilege_violation(pc, current_pc(pc) - 2)) return;
    if constexpr (TO_USP) cpu().inactive_stack_pointer = areg(op & 7);
    else areg(op & 7) = cpu().inactive_stack_pointer;
    charge(4);
}

template <int M> void move_from_sr([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t value = build_sr();
    if constexpr (M == DREG) {
        write_dreg<2>(op & 7, value);
        charge(6);
    } else {
        write_mem<2>(ea_address<M, 2>(pc, op & 7), value);
        charge(8 + ea_time<M, 2>());
    }
}

template <int M> void move_to_ccr([[maybe_unused]] Pc& pc, uint32_t op) {
    load_ccr(ea_read<M, 2>(pc, op & 7));
    charge(12 + ea_time<M, 2>());
}

template <int M> void move_to_sr([[maybe_unused]] Pc& pc, uint32_t op) {
    if (privilege_violation(pc, current_pc(pc) - 2)) return;
    load_sr(ea_read<M, 2>(pc, op & 7));
    charge(12 + ea_time<M, 2>());
}

// ORI/ANDI/EORI to CCR (TO_SR false) or SR (privileged).
template <int OP, bool TO_SR> void logic_to_status([[maybe_unused]] Pc& pc, uint32_t) {
    uint32_t instruction_pc = current_pc(pc) - 2;
    uint32_t imm = fetch16(pc);
    uint32_t current = TO_SR ? build_sr() : build_ccr();
    uint32_t value = OP == OP_OR ? (current | imm) : OP == OP_AND ? (current & imm) : (current ^ imm);
    if constexpr (TO_SR) {
        if (!supervisor()) {
            privilege_violation(pc, instruction_pc);
            return;
        }
        load_sr(value);
    } else {
        load_ccr(value);
    }
    charge(20);
}

} // namespace m68k
