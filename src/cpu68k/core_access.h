// Building blocks of the opcode routines: instruction fetch through the PC pointer, data access
// through the handler tables, flags, conditions, effective addresses and cycle charging.
// Touches machine.main_cpu and calls machine.bus; internal to the main CPU core.
#pragma once
#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "cpu68k/flag_ops.h"
#include "cpu68k/opcode_kinds.h"
#include "machine.h"

namespace m68k {

// While a slice runs the PC pointer travels from routine to routine: each opcode routine receives
// it (past the opcode word), advances it over its extension words or replaces it on a transfer,
// and hands it on. machine.main_cpu.pc_pointer is written when a routine returns to the slice
// loop and wherever the PC is re-based (set_pc, exception entry), which return the new pointer.
using Pc = const uint8_t*;
using Routine = void (*)(Pc pc);

extern const Routine main_cpu_opcode_table[65536];

// The table's entries: an opcode routine body (a template of ops_*.h, taking the pointer by
// reference) wrapped so that the pointer travels in registers. The body and its helpers are
// inlined whatever their size: a body left as a call would take the pointer through memory.
//
// Dispatch. With M68K_CHAINED_DISPATCH (optimised builds without sanitizers, set by the build)
// each routine ends by fetching the next opcode and jumping to its routine, a tail call the
// compiler makes into a plain jump, so routines chain without a central loop and without
// growing the host stack. It returns to the slice loop only when the slice is over or the next
// instruction is near the end of its region's memory, where the loop's full fetch check decides.
// Debug and sanitizer builds make no such tail calls, so there every routine returns to the
// loop after its one instruction. Measured on the program-mix benchmark (cpu68k_bench, and
// bench/callgrind.sh for host instructions per emulated instruction):
//   chained routines                      410-490 M instructions/s, 37.5 per instruction
//   every routine from the loop           290-330 M instructions/s, 38.2 per instruction
//   routines returning the next routine   170-177 M instructions/s, 51.9 per instruction
// The count barely changes; the speed comes from each routine's own jump, which predicts the
// routine that follows it far better than the loop's one shared call.
template <auto BODY> [[gnu::flatten]] void routine_entry(Pc pc) {
    uint16_t opcode;
    std::memcpy(&opcode, pc - 2, 2);
    BODY(pc, opcode);
    auto& s = machine.main_cpu;
#if M68K_CHAINED_DISPATCH
    if (s.cycles_left >= 0 && reinterpret_cast<uintptr_t>(pc) < s.fetch_fast_end) [[likely]] {
        uint16_t next;
        std::memcpy(&next, pc, 2);
        return main_cpu_opcode_table[next](pc + 2);
    }
#endif
    s.pc_pointer = pc;
}

// The length in bytes of every opcode's instruction (opcode word and extension words), used to
// keep fetches inside the region's memory.
extern const uint8_t opcode_length[65536];

inline MainCpuState& cpu() { return machine.main_cpu; }
inline uint32_t& reg(unsigned n) { return machine.main_cpu.regs[n]; }
inline uint32_t& dreg(unsigned n) { return machine.main_cpu.regs[n]; }
inline uint32_t& areg(unsigned n) { return machine.main_cpu.regs[8 + n]; }

inline void charge(int32_t cycles) { machine.main_cpu.cycles_left -= cycles; }

// ---- Program counter -------------------------------------------------------------------------

inline uint32_t fetch16(Pc& pc) {
    uint16_t word;
    std::memcpy(&word, pc, 2);
    pc += 2;
    return word;
}
inline uint32_t fetch32(Pc& pc) {
    uint32_t high = fetch16(pc);
    return high << 16 | fetch16(pc);
}
// The 68000 address of the next instruction word.
inline uint32_t current_pc(Pc pc) {
    return static_cast<uint32_t>(reinterpret_cast<intptr_t>(pc) - machine.main_cpu.pc_base);
}
// The same, between slices (from the saved pointer).
inline uint32_t current_pc() { return current_pc(machine.main_cpu.pc_pointer); }
// Relative transfers move the pointer only. The arithmetic is done on integers: a branch that
// leaves the region's memory is caught by the fetch check before anything is read there (the
// fast check looks only at the upper end, so a move below the region sends the next fetch to
// the full check).
inline void move_pc(Pc& pc, int32_t displacement) {
    auto& s = machine.main_cpu;
    uintptr_t p = reinterpret_cast<uintptr_t>(pc) + static_cast<uintptr_t>(static_cast<intptr_t>(displacement));
    pc = reinterpret_cast<Pc>(p);
    if (p < s.fetch_low) [[unlikely]] s.fetch_fast_end = 0;
}

// Absolute transfers (defined in core.cpp).
Pc set_pc(uint32_t pc);
Pc exception_entry(int vector, uint32_t frame_pc);
void load_sr(uint32_t value);
void halt_core();

// ---- Sizes -----------------------------------------------------------------------------------

inline uint32_t sext8(uint32_t v) { return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(v))); }
inline uint32_t sext16(uint32_t v) { return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(v))); }
template <int SZ> inline uint32_t sext(uint32_t v) {
    if constexpr (SZ == 1) return sext8(v);
    else if constexpr (SZ == 2) return sext16(v);
    else return v;
}

// ---- Data access through the handler tables (address masked to 24 bits at the call) ----------

template <int SZ> inline uint32_t read_mem(uint32_t address) {
    address &= 0xFFFFFF;
    if constexpr (SZ == 1) return machine.bus.read_byte[address >> 16](address) & 0xFF;
    else if constexpr (SZ == 2) return machine.bus.read_word[address >> 16](address) & 0xFFFF;
    else return machine.bus.read_long[address >> 16](address);
}
template <int SZ> inline void write_mem(uint32_t address, uint32_t value) {
    address &= 0xFFFFFF;
    if constexpr (SZ == 1) machine.bus.write_byte[address >> 16](address, value & 0xFF);
    else if constexpr (SZ == 2) machine.bus.write_word[address >> 16](address, value & 0xFFFF);
    else machine.bus.write_long[address >> 16](address, value);
}

inline void push32(uint32_t value) {
    reg(15) -= 4;
    write_mem<4>(reg(15), value);
}
inline uint32_t pop32() {
    uint32_t value = read_mem<4>(reg(15));
    reg(15) += 4;
    return value;
}

// Writes the low part of a data register, keeping the rest. On a little-endian host the low part
// is the register's first bytes, so one narrow store does it.
template <int SZ> inline void write_dreg(unsigned n, uint32_t value) {
    if constexpr (SZ == 4) dreg(n) = value;
    else if constexpr (std::endian::native == std::endian::little) {
        auto low = static_cast<std::conditional_t<SZ == 1, uint8_t, uint16_t>>(value);
        std::memcpy(&dreg(n), &low, SZ);
    } else dreg(n) = (dreg(n) & ~size_mask<SZ>) | (value & size_mask<SZ>);
}

// ---- Flags -----------------------------------------------------------------------------------
// N and Z from the result, V and C as given (FLAG_C, FLAG_V or 0).
template <int SZ> inline void set_nz_cv(uint32_t result, uint32_t cv) {
    cpu().flags = static_cast<uint16_t>(portable_flags::nz<SZ>(result) | cv);
}
template <int SZ> inline void set_logic_flags(uint32_t result) {
    cpu().flags = static_cast<uint16_t>(logic_flags<SZ>(result));
}
inline bool flag(uint32_t which) { return (cpu().flags & which) != 0; }
inline uint32_t x_bit() { return (cpu().x_flag >> 8) & 1; }
inline void set_x(uint32_t bit) { cpu().x_flag = static_cast<uint16_t>(bit << 8); }

inline uint32_t build_ccr() {
    const auto& s = cpu();
    uint32_t f = s.flags;
    return x_bit() << 4 | ((f >> 12) & 0xC) | (f & FLAG_V) << 1 | ((f >> 8) & 1);
}
inline uint32_t build_sr() { return (cpu().sr & 0xFF00u) | build_ccr(); }
inline void load_ccr(uint32_t value) {
    auto& s = cpu();
    s.flags = static_cast<uint16_t>((value & 0xC) << 12 | (value & 1) << 8 | ((value >> 1) & 1));
    set_x((value >> 4) & 1);
}
inline bool supervisor() { return (cpu().sr & 0x2000) != 0; }

template <int SZ> inline uint32_t add_with_flags(uint32_t dst, uint32_t src) {
    auto& s = cpu();
    uint32_t flags;
    uint32_t result = add_flags<SZ>(dst, src, flags);
    s.flags = static_cast<uint16_t>(flags);
    s.x_flag = static_cast<uint16_t>(flags);
    return result;
}
// dst - src; sets X unless it is a compare.
template <int SZ, bool SET_X = true> inline uint32_t sub_with_flags(uint32_t dst, uint32_t src) {
    auto& s = cpu();
    uint32_t flags;
    uint32_t result = sub_flags<SZ>(dst, src, flags);
    s.flags = static_cast<uint16_t>(flags);
    if constexpr (SET_X) s.x_flag = static_cast<uint16_t>(flags);
    return result;
}
// ADDX/SUBX/NEGX: X takes part and Z is only ever cleared.
template <int SZ> inline uint32_t addx_with_flags(uint32_t dst, uint32_t src) {
    auto& s = cpu();
    uint32_t flags;
    uint32_t result = addx_flags<SZ>(dst, src, x_bit(), flags);
    s.flags = static_cast<uint16_t>(flags & (s.flags | ~FLAG_Z));
    s.x_flag = static_cast<uint16_t>(flags);
    return result;
}
template <int SZ> inline uint32_t subx_with_flags(uint32_t dst, uint32_t src) {
    auto& s = cpu();
    uint32_t flags;
    uint32_t result = subx_flags<SZ>(dst, src, x_bit(), flags);
    s.flags = static_cast<uint16_t>(flags & (s.flags | ~FLAG_Z));
    s.x_flag = static_cast<uint16_t>(flags);
    return result;
}

// Condition codes of Bcc, DBcc and Scc (0 = true, 1 = false, ... 15 = LE).
inline bool condition(int cc) {
    uint32_t f = cpu().flags;
    bool n = f & FLAG_N, z = f & FLAG_Z, v = f & FLAG_V, c = f & FLAG_C;
    switch (cc) {
    case 0: return true;
    case 1: return false;
    case 2: return !(f & (FLAG_C | FLAG_Z));
    case 3: return (f & (FLAG_C | FLAG_Z)) != 0;
    case 4: return !c;
    case 5: return c;
    case 6: return !z;
    case 7: return z;
    case 8: return !v;
    case 9: return v;
    case 10: return !n;
    case 11: return n;
    case 12: return n == v;
    case 13: return n != v;
    case 14: return !z && n == v;
    default: return z || n != v;
    }
}

// ---- Effective addresses ---------------------------------------------------------------------

// Published effective-address calculation times.
template <int M, int SZ> constexpr int ea_time() {
    constexpr int word[12] = {0, 0, 4, 4, 6, 8, 10, 8, 12, 8, 10, 4};
    constexpr int lng[12] = {0, 0, 8, 8, 10, 12, 14, 12, 16, 12, 14, 8};
    return SZ == 4 ? lng[M] : word[M];
}
// Extra time of the destination of MOVE (-(An) costs the same as (An) there).
template <int M, int SZ> constexpr int move_dest_time() {
    return M == APRE ? ea_time<AIND, SZ>() : ea_time<M, SZ>();
}
// Address calculation times of the control modes (LEA, PEA, JMP, JSR, MOVEM use their own bases).
template <int M> constexpr bool is_register_mode = M == DREG || M == AREG;

// d8(An,Xn) / d8(PC,Xn): bits 15-12 pick the register, bit 11 long or sign-extended word.
inline uint32_t index_displacement(uint32_t extension) {
    uint32_t index = reg(static_cast<int>(extension >> 12));
    if (!(extension & 0x800)) index = sext16(index);
    return index + sext8(extension);
}

// The address of a memory operand; (An)+ and -(An) update the register (A7 by 2 for bytes).
template <int M, int SZ> inline uint32_t ea_address(Pc& pc, int r) {
    constexpr uint32_t step = SZ;
    if constexpr (M == AIND) return areg(r);
    else if constexpr (M == APOST) {
        uint32_t a = areg(r);
        areg(r) = a + (SZ == 1 ? (r == 7 ? 2u : 1u) : step);
        return a;
    } else if constexpr (M == APRE) {
        areg(r) -= (SZ == 1) ? (r == 7 ? 2u : 1u) : step;
        return areg(r);
    } else if constexpr (M == AD16) return areg(r) + sext16(fetch16(pc));
    else if constexpr (M == AD8X) {
        uint32_t base = areg(r);
        return base + index_displacement(fetch16(pc));
    } else if constexpr (M == ABSW) return sext16(fetch16(pc));
    else if constexpr (M == ABSL) return fetch32(pc);
    else if constexpr (M == PCD16) {
        uint32_t base = current_pc(pc);
        return base + sext16(fetch16(pc));
    } else if constexpr (M == PCD8X) {
        uint32_t base = current_pc(pc);
        return base + index_displacement(fetch16(pc));
    } else {
        static_assert(M >= AIND && M <= PCD8X, "not a memory mode");
        return 0;
    }
}

// Reads an operand of any mode, zero-extended to 32 bits.
template <int M, int SZ> inline uint32_t ea_read(Pc& pc, int r) {
    if constexpr (M == DREG) return dreg(r) & size_mask<SZ>;
    else if constexpr (M == AREG) return areg(r) & size_mask<SZ>;
    else if constexpr (M == IMM) {
        if constexpr (SZ == 4) return fetch32(pc);
        else return fetch16(pc) & size_mask<SZ>;
    } else return read_mem<SZ>(ea_address<M, SZ>(pc, r));
}

} // namespace m68k
