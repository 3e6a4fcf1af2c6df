// The idle opcodes ED 00 - ED 0B. The start-up code writes them over instructions of the waiting
// loops of known sound programs, so that a waiting sound CPU ends its run instead of spinning
// through the rest of its budget. "next" below is the address after the idle opcode's bytes.
#pragma once
#include "cpuz80/core.h"

namespace z80 {

inline bool zero_set() { return regs().f & FZ; }
inline void jump_back_from_next(int distance) { regs().pc = static_cast<uint16_t>(regs().pc + distance); }

inline void op_idle_00() {
    charge(7);
    if (!zero_set()) return;
    jump_back_from_next(-32);
    if (cpu().idle_state == 0x1F) end_run();
}
inline void op_idle_01() {
    SoundCpuRunRegisters& g = regs();
    g.a &= 0x1F;
    g.f = static_cast<uint8_t>(szp(g.a) | FH);
    cpu().idle_state = g.a;
    charge(7);
}
inline void op_idle_02() {
    if (!zero_set()) {
        charge(7);
        return;
    }
    jump_back_from_next(-11);
    end_run();
}
inline void op_idle_03() {
    fetch8(); // the third byte is only padding
    SoundCpuRunRegisters& g = regs();
    uint8_t f;
    sub_flags(g.a, 8, 0, f);
    g.f = f;
    charge(7);
    if (g.a != 8) end_run();
}
inline void op_idle_04() {
    SoundCpuRunRegisters& g = regs();
    g.f = static_cast<uint8_t>(szp(g.a) | FH);
    charge(9);
    if (g.a != 0) return;
    jump_to(pop16());
    end_run();
}
inline void op_idle_05() {
    if (!zero_set()) {
        jump_back_from_next(1);
        charge(12);
        return;
    }
    charge(7);
    if (read16(cpu().context.sp) == 0x015C) end_run();
}
inline void op_idle_06() {
    charge(7);
    if (!zero_set()) return;
    jump_back_from_next(-10);
    end_run();
}
inline void op_idle_07() {
    fetch8(); // the third byte is only padding
    charge(10);
    if (!zero_set()) return;
    jump_to(0x1E5B);
    end_run();
}
inline void op_idle_08() {
    charge(7);
    if (!zero_set()) return;
    jump_back_from_next(-6);
    end_run();
}
inline void op_idle_09() {
    charge(7);
    if (!zero_set() || (cpu().idle_state & 1)) return;
    jump_back_from_next(-27);
    end_run();
}
template <int DISTANCE> void op_idle_skip() { // ED 0A (+25) and ED 0B (+26)
    cpu().idle_state = 0;
    if (zero_set()) {
        charge(7);
        return;
    }
    cpu().idle_state = 1;
    jump_back_from_next(DISTANCE);
    charge(12);
}

} // namespace z80
