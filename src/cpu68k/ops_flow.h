// Opcode routines of program flow: Bcc/BRA/BSR, DBcc, Scc, the idle branches, JMP/JSR,
// RTS/RTR/RTE, TRAP/TRAPV/CHK, STOP, NOP, RESET and the exception-raising opcodes.
#pragma once
#include "cpu68k/core_access.h"
#include "cpu68k/ops_move.h"

namespace m68k {

// Bcc, BRA (CC 0) and BSR (CC 1). Relative: the pointer moves, the base stays. WORD: the 8-bit
// displacement is 0 and a 16-bit one follows (a separate routine, so neither form tests for it).
template <int CC, bool WORD> void branch([[maybe_unused]] Pc& pc, uint32_t op) {
    int32_t displacement;
    constexpr int32_t target_from = WORD ? 2 : 0; // displacement base behind the pointer after fetch
    if constexpr (WORD) displacement = static_cast<int16_t>(fetch16(pc));
    else displacement = static_cast<int8_t>(op & 0xFF);
    if constexpr (CC == 1) {
        push32(current_pc(pc));
        move_pc(pc, displacement - target_from);
        charge(18);
    } else {
        if (condition(CC)) {
            move_pc(pc, displacement - target_from);
            charge(10);
        } else {
            charge(WORD ? 12 : 8);
        }
    }
}

// Idle branches (line A except 0xA1xx): a Bcc whose taken form gives up the rest of the slice.
template <int CC> void idle_branch([[maybe_unused]] Pc& pc, uint32_t op) {
    int32_t displacement = static_cast<int8_t>(op & 0xFF);
    bool word = displacement == 0;
    int32_t back = 0;
    if (word) {
        displacement = static_cast<int16_t>(fetch16(pc));
        back = 2;
    }
    if (condition(CC)) {
        move_pc(pc, displacement - back);
        cpu().cycles_left = -1;
    } else {
        charge(word ? 12 : 8);
    }
}

// DBcc. With condition T (CC 0) this is the 68000's no-op form: the displacement is skipped
// and it costs 12, like any DBcc whose condition holds.
template <int CC> void dbcc([[maybe_unused]] Pc& pc, uint32_t op) {
    int32_t displacement = static_cast<int16_t>(fetch16(pc));
    if (condition(CC)) {
        charge(12);
        return;
    }
    unsigned r = op & 7;
    uint32_t count = (dreg(r) - 1) & 0xFFFF;
    write_dreg<2>(r, count);
    if (count == 0xFFFF) {
        charge(14);
    } else {
        move_pc(pc, displacement - 2);
        charge(10);
    }
}

template <int CC, int M> void scc([[maybe_unused]] Pc& pc, uint32_t op) {
    bool taken = condition(CC);
    uint32_t value = taken ? 0xFF : 0x00;
    if constexpr (M == DREG) {
        write_dreg<1>(op & 7, value);
        charge(taken ? 6 : 4);
    } else {
        write_mem<1>(ea_address<M, 1>(pc, op & 7), value);
        charge(8 + ea_time<M, 1>());
    }
}

template <int M> constexpr int jmp_time() {
    constexpr int t[12] = {0, 0, 8, 0, 0, 10, 14, 10, 12, 10, 14, 0};
    return t[M];
}

template <int M> void jmp([[maybe_unused]] Pc& pc, uint32_t op) {
    pc = set_pc(ea_address<M, 4>(pc, op & 7));
    charge(jmp_time<M>());
}

template <int M> void jsr([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t target = ea_address<M, 4>(pc, op & 7);
    push32(current_pc(pc));
    pc = set_pc(target);
    charge(jmp_time<M>() + 8);
}

inline void rts([[maybe_unused]] Pc& pc, uint32_t) {
    pc = set_pc(pop32());
    charge(16);
}

inline void rtr([[maybe_unused]] Pc& pc, uint32_t) {
    uint32_t ccr = read_mem<2>(reg(15));
    uint32_t target = read_mem<4>(reg(15) + 2);
    reg(15) += 6;
    load_ccr(ccr);
    pc = set_pc(target);
    charge(20);
}

// RTE: the SR is loaded first (switching stacks if S changes), then the stack that held the
// frame is advanced past it and the PC is read from the frame.
inline void rte([[maybe_unused]] Pc& pc, uint32_t) {
    if (privilege_violation(pc, current_pc(pc) - 2)) return;
    uint32_t frame = reg(15);
    uint32_t sr = read_mem<2>(frame);
    load_sr(sr);
    if (supervisor()) reg(15) = frame + 6;
    else cpu().inactive_stack_pointer = frame + 6;
    pc = set_pc(read_mem<4>(frame + 2));
    charge(20);
}

inline void trap([[maybe_unused]] Pc& pc, uint32_t op) {
    pc = exception_entry(32 + static_cast<int>(op & 15), current_pc(pc));
    charge(34);
}

inline void trapv([[maybe_unused]] Pc& pc, uint32_t) {
    if (flag(FLAG_V)) {
        pc = exception_entry(7, current_pc(pc));
        charge(38);
    } else {
        charge(4);
    }
}

// CHK <ea>,Dn (word): out of bounds traps with N telling which bound, Z = V = C = 0.
template <int M, int DN> void chk([[maybe_unused]] Pc& pc, uint32_t op) {
    int32_t bound = static_cast<int16_t>(ea_read<M, 2>(pc, op & 7));
    int32_t value = static_cast<int16_t>(dreg(DN));
    if (value < 0 || value > bound) {
        cpu().flags = value < 0 ? FLAG_N : 0;
        pc = exception_entry(6, current_pc(pc));
        charge(40 + ea_time<M, 2>());
    } else {
        charge(10 + ea_time<M, 2>());
    }
}

// STOP does not wait: it loads SR and ends the slice; the next slice's interrupt offer is the
// wake-up.
inline void stop([[maybe_unused]] Pc& pc, uint32_t) {
    if (privilege_violation(pc, current_pc(pc) - 2)) return;
    load_sr(fetch16(pc));
    charge(4);
    cpu().cycles_left = -1;
}

inline void nop([[maybe_unused]] Pc& pc, uint32_t) { charge(4); }

// RESET has nothing to reset on this board and is accepted in both modes.
inline void reset_instruction([[maybe_unused]] Pc& pc, uint32_t) { charge(4); }

// Illegal (vector 4), line A (10) and line F (11): the frame holds the opcode's own address.
template <int VECTOR> void raise_exception([[maybe_unused]] Pc& pc, uint32_t) {
    pc = exception_entry(VECTOR, current_pc(pc) - 2);
    charge(34);
}

} // namespace m68k
