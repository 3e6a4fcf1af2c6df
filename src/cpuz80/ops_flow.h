// Opcode routines of the jump, call and return families, HALT, DI and EI, the (n) port forms,
// the prefixes and the unknown-opcode stop.
#pragma once
#include "cpuz80/core.h"

namespace z80 {

// Condition codes in the opcode's order: NZ, Z, NC, C, PO, PE, P, M.
template <int CC> inline bool condition() {
    uint8_t f = regs().f;
    if constexpr (CC == 0) return !(f & FZ);
    else if constexpr (CC == 1) return f & FZ;
    else if constexpr (CC == 2) return !(f & FC);
    else if constexpr (CC == 3) return f & FC;
    else if constexpr (CC == 4) return !(f & FP);
    else if constexpr (CC == 5) return f & FP;
    else if constexpr (CC == 6) return !(f & FS);
    else return f & FS;
}

inline void jump_relative(int8_t d) { regs().pc = static_cast<uint16_t>(regs().pc + d); }

template <int T> void op_jp() {
    jump_to(fetch16());
    charge(T);
}
template <int CC, int T> void op_jp_cc() {
    uint16_t target = fetch16();
    if (condition<CC>()) jump_to(target);
    charge(T);
}
template <int P, int T> void op_jp_rr() {
    jump_to(get16<P>());
    charge(T);
}
template <int T> void op_jr() {
    jump_relative(static_cast<int8_t>(fetch8()));
    charge(T);
}
template <int CC, int TAKEN, int NOT_TAKEN> void op_jr_cc() {
    int8_t d = static_cast<int8_t>(fetch8());
    if (condition<CC>()) {
        jump_relative(d);
        charge(TAKEN);
    } else {
        charge(NOT_TAKEN);
    }
}
template <int TAKEN, int NOT_TAKEN> void op_djnz() {
    int8_t d = static_cast<int8_t>(fetch8());
    SoundCpuRunRegisters& g = regs();
    g.b = static_cast<uint8_t>(g.b - 1);
    if (g.b != 0) {
        jump_relative(d);
        charge(TAKEN);
    } else {
        charge(NOT_TAKEN);
    }
}
template <int T> void op_call() {
    uint16_t target = fetch16();
    push16(regs().pc);
    jump_to(target);
    charge(T);
}
template <int CC, int TAKEN, int NOT_TAKEN> void op_call_cc() {
    uint16_t target = fetch16();
    if (condition<CC>()) {
        push16(regs().pc);
        jump_to(target);
        charge(TAKEN);
    } else {
        charge(NOT_TAKEN);
    }
}
template <int T> void op_ret() {
    jump_to(pop16());
    charge(T);
}
template <int CC, int TAKEN, int NOT_TAKEN> void op_ret_cc() {
    if (condition<CC>()) {
        jump_to(pop16());
        charge(TAKEN);
    } else {
        charge(NOT_TAKEN);
    }
}
template <int ADDRESS, int T> void op_rst() {
    push16(regs().pc);
    jump_to(ADDRESS);
    charge(T);
}

// HALT ends the run at once with the PC after it; later runs execute nothing until an interrupt.
template <int T> void op_halt() {
    charge(T);
    cpu().context.halted = 1;
    end_run_at_once();
}
template <int T> void op_di() {
    cpu().iff1 = cpu().iff2 = 0;
    charge(T);
}
// EI with the line raised lets exactly one more instruction run, then the run ends so that the
// caller can deliver the interrupt.
template <int T> void op_ei() {
    SoundCpuState& s = cpu();
    charge(T);
    if (s.iff1) {
        s.iff2 = 1;
        return;
    }
    s.iff1 = s.iff2 = 1;
    if (s.irq_line == 0) return;
    s.ei_pending = 1;
    end_run_at_once();
    sound_op_base[fetch8()]();
}

template <int T> void op_out_n_a() {
    uint8_t n = fetch8();
    uint8_t a = regs().a;
    charge(T);
    port_out(static_cast<uint16_t>((a << 8) | n), n, a);
}
template <int T> void op_in_a_n() {
    uint8_t n = fetch8();
    charge(T);
    regs().a = port_in(static_cast<uint16_t>((regs().a << 8) | n), n);
}

// Prefixes dispatch the next byte through their own table without a budget test.
inline void op_prefix_cb() { sound_op_cb[fetch8()](); }
inline void op_prefix_dd() { sound_op_dd[fetch8()](); }
inline void op_prefix_ed() { sound_op_ed[fetch8()](); }
inline void op_prefix_fd() { sound_op_fd[fetch8()](); }
template <int P> void op_prefix_index_bit() {
    int8_t d = static_cast<int8_t>(fetch8());
    cpu().index_address = static_cast<uint16_t>(get16<P>() + d);
    sound_op_index_bit[fetch8()]();
}

// Unknown opcode: back over the prefix and opcode bytes (the displacement and opcode of the
// four-byte indexed bit forms) and stop the run.
template <int BYTES> void op_unknown() { stop_unknown(BYTES); }

} // namespace z80
