// Internal helpers shared by the sound CPU's run loop and its opcode routines: memory access
// through the bank map, operand fetch, register selectors, flag tables and the T-state charge.
// Touches: machine.sound_cpu and the memory image named by its context.
#pragma once
#include <cstdint>

#include "cpuz80/cpuz80.h"
#include "machine.h"

using SoundOpRoutine = void (*)();

// The six dispatch tables, generated at build time (gen/generate_tables.cpp).
extern const SoundOpRoutine sound_op_base[256];
extern const SoundOpRoutine sound_op_cb[256];
extern const SoundOpRoutine sound_op_ed[256];
extern const SoundOpRoutine sound_op_dd[256];
extern const SoundOpRoutine sound_op_fd[256];
extern const SoundOpRoutine sound_op_index_bit[256];

namespace z80 {

enum Flag : uint8_t { FC = 0x01, FN = 0x02, FP = 0x04, F3 = 0x08, FH = 0x10, F5 = 0x20, FZ = 0x40, FS = 0x80 };

// S, Z and parity of a byte, the flags of logical, rotate, shift and IN results. Bits 5 and 3 are
// not derived from results, so they stay 0 here.
struct FlagTables {
    uint8_t sz[256];
    uint8_t szp[256];
};
constexpr FlagTables make_flag_tables() {
    FlagTables t{};
    for (int v = 0; v < 256; ++v) {
        uint8_t f = static_cast<uint8_t>((v & 0x80) | (v == 0 ? FZ : 0));
        t.sz[v] = f;
        int bits = 0;
        for (int b = 0; b < 8; ++b) bits += (v >> b) & 1;
        t.szp[v] = static_cast<uint8_t>(f | ((bits & 1) ? 0 : FP));
    }
    return t;
}
inline constexpr FlagTables flag_tables = make_flag_tables();
inline uint8_t sz(uint8_t v) { return flag_tables.sz[v]; }
inline uint8_t szp(uint8_t v) { return flag_tables.szp[v]; }

inline SoundCpuState& cpu() { return machine.sound_cpu; }
inline SoundCpuRunRegisters& regs() { return machine.sound_cpu.run; }

inline void charge(int t) { machine.sound_cpu.cycles_left -= t; }

// Ends the run at the next budget check, keeping what is left of the budget out of the count of
// executed T-states (the same move as EI with the line raised).
inline void end_run_at_once() {
    SoundCpuState& s = cpu();
    s.cut_off += s.cycles_left;
    s.cycles_left = 0;
}
// Ends the run at the next budget check as a waiting loop does: the rest of the budget counts as
// spent, as if the loop had spun through it. An overshoot already made is kept for the next run.
inline void end_run() {
    SoundCpuState& s = cpu();
    if (s.cycles_left > 0) s.cycles_left = 0;
}

inline uint8_t read8(uint16_t a) {
    SoundCpuState& s = cpu();
    return s.context.memory[static_cast<int32_t>(a) + s.bank_offset[s.bank_slot[a] >> 2]];
}
inline void write8(uint16_t a, uint8_t v) { cpu().context.memory[a] = v; }
inline uint16_t read16(uint16_t a) {
    return static_cast<uint16_t>(read8(a) | (read8(static_cast<uint16_t>(a + 1)) << 8));
}
inline void write16(uint16_t a, uint16_t v) {
    write8(a, static_cast<uint8_t>(v));
    write8(static_cast<uint16_t>(a + 1), static_cast<uint8_t>(v >> 8));
}

// Instruction bytes come through the fetch offset of the region that held the PC when it was last
// loaded. The PC wraps at 16 bits, so a fetch never leaves the image and its banked windows.
inline uint8_t fetch8() {
    SoundCpuState& s = cpu();
    uint8_t v = s.context.memory[static_cast<int32_t>(s.run.pc) + s.fetch_offset];
    s.run.pc = static_cast<uint16_t>(s.run.pc + 1);
    return v;
}
inline uint16_t fetch16() {
    uint8_t lo = fetch8();
    return static_cast<uint16_t>(lo | (fetch8() << 8));
}
inline void set_fetch_offset() {
    SoundCpuState& s = cpu();
    s.fetch_offset = s.bank_offset[s.bank_slot[s.run.pc] >> 2];
}
// Absolute transfers re-derive the fetch offset from their target; relative ones only move the PC.
inline void jump_to(uint16_t target) {
    regs().pc = target;
    set_fetch_offset();
}

inline void push16(uint16_t v) {
    uint16_t& sp = cpu().context.sp;
    sp = static_cast<uint16_t>(sp - 2);
    write16(sp, v);
}
inline uint16_t pop16() {
    uint16_t& sp = cpu().context.sp;
    uint16_t v = read16(sp);
    sp = static_cast<uint16_t>(sp + 2);
    return v;
}

// 8-bit register selectors. IXH..IYL are the halves of the index registers; R_MEM is (HL) and is
// handled by the routines themselves.
enum Reg8 : int { R_B, R_C, R_D, R_E, R_H, R_L, R_MEM, R_A, R_IXH, R_IXL, R_IYH, R_IYL };
// 16-bit pair selectors; P_HL stands for IX or IY in the index tables.
enum Reg16 : int { P_BC, P_DE, P_HL, P_SP, P_AF, P_IX, P_IY };

template <int R> inline uint8_t get8() {
    SoundCpuState& s = cpu();
    if constexpr (R == R_B) return s.run.b;
    else if constexpr (R == R_C) return s.run.c;
    else if constexpr (R == R_D) return static_cast<uint8_t>(s.context.de >> 8);
    else if constexpr (R == R_E) return static_cast<uint8_t>(s.context.de);
    else if constexpr (R == R_H) return s.run.h;
    else if constexpr (R == R_L) return s.run.l;
    else if constexpr (R == R_A) return s.run.a;
    else if constexpr (R == R_IXH) return static_cast<uint8_t>(s.context.ix >> 8);
    else if constexpr (R == R_IXL) return static_cast<uint8_t>(s.context.ix);
    else if constexpr (R == R_IYH) return static_cast<uint8_t>(s.context.iy >> 8);
    else if constexpr (R == R_IYL) return static_cast<uint8_t>(s.context.iy);
    else static_assert(R == R_B, "no such register");
}
template <int R> inline void set8(uint8_t v) {
    SoundCpuState& s = cpu();
    if constexpr (R == R_B) s.run.b = v;
    else if constexpr (R == R_C) s.run.c = v;
    else if constexpr (R == R_D) s.context.de = static_cast<uint16_t>((s.context.de & 0x00FF) | (v << 8));
    else if constexpr (R == R_E) s.context.de = static_cast<uint16_t>((s.context.de & 0xFF00) | v);
    else if constexpr (R == R_H) s.run.h = v;
    else if constexpr (R == R_L) s.run.l = v;
    else if constexpr (R == R_A) s.run.a = v;
    else if constexpr (R == R_IXH) s.context.ix = static_cast<uint16_t>((s.context.ix & 0x00FF) | (v << 8));
    else if constexpr (R == R_IXL) s.context.ix = static_cast<uint16_t>((s.context.ix & 0xFF00) | v);
    else if constexpr (R == R_IYH) s.context.iy = static_cast<uint16_t>((s.context.iy & 0x00FF) | (v << 8));
    else if constexpr (R == R_IYL) s.context.iy = static_cast<uint16_t>((s.context.iy & 0xFF00) | v);
    else static_assert(R == R_B, "no such register");
}

template <int P> inline uint16_t get16() {
    SoundCpuState& s = cpu();
    if constexpr (P == P_BC) return static_cast<uint16_t>((s.run.b << 8) | s.run.c);
    else if constexpr (P == P_DE) return s.context.de;
    else if constexpr (P == P_HL) return static_cast<uint16_t>((s.run.h << 8) | s.run.l);
    else if constexpr (P == P_SP) return s.context.sp;
    else if constexpr (P == P_AF) return static_cast<uint16_t>((s.run.a << 8) | s.run.f);
    else if constexpr (P == P_IX) return s.context.ix;
    else if constexpr (P == P_IY) return s.context.iy;
    else static_assert(P == P_BC, "no such pair");
}
template <int P> inline void set16(uint16_t v) {
    SoundCpuState& s = cpu();
    if constexpr (P == P_BC) {
        s.run.b = static_cast<uint8_t>(v >> 8);
        s.run.c = static_cast<uint8_t>(v);
    } else if constexpr (P == P_DE) s.context.de = v;
    else if constexpr (P == P_HL) {
        s.run.h = static_cast<uint8_t>(v >> 8);
        s.run.l = static_cast<uint8_t>(v);
    } else if constexpr (P == P_SP) s.context.sp = v;
    else if constexpr (P == P_AF) {
        s.run.a = static_cast<uint8_t>(v >> 8);
        s.run.f = static_cast<uint8_t>(v);
    } else if constexpr (P == P_IX) s.context.ix = v;
    else if constexpr (P == P_IY) s.context.iy = v;
    else static_assert(P == P_BC, "no such pair");
}

// The address of an (HL), (IX+d) or (IY+d) operand; the displacement byte is fetched here.
template <int P> inline uint16_t operand_address() {
    if constexpr (P == P_HL) return get16<P_HL>();
    else {
        int8_t d = static_cast<int8_t>(fetch8());
        return static_cast<uint16_t>(get16<P>() + d);
    }
}

// Port access under the port routine contract; see core.cpp.
uint8_t port_in(uint16_t port, uint16_t key);
void port_out(uint16_t port, uint16_t key, uint8_t value);

// Shared run endings and interrupt helpers (core.cpp).
void stop_unknown(int prefix_bytes);
void accept_interrupt(int data);

} // namespace z80
