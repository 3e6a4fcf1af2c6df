// Building blocks of the opcode routines: instruction fetch through the PC pointer, data access
// through the handler tables, flags, conditions, effective addresses and cycle charging.
// Touches machine.main_cpu and calls machine.bus; internal to the main CPU core.
#pragma once
#include <cstdint>
#include <cstring>

#include "cpu68k/opcode_kinds.h"
#include "machine.h"

namespace m68k {

using Routine = void (*)(uint32_t opcode);

// The generated opcode table and the length in bytes of every opcode's instruction (opcode word
// and extension words), used to keep fetches inside the region's memory.
extern const Routine main_cpu_opcode_table[65536];
extern const uint8_t opcode_length[65536];

inline MainCpuState& cpu() { return machine.main_cpu; }
inline uint32_t& reg(int n) { return machine.main_cpu.regs[n]; }
inline uint32_t& dreg(int n) { return machine.main_cpu.regs[n]; }
inline uint32_t& areg(int n) { return machine.main_cpu.regs[8 + n]; }

inline void charge(int32_t cycles) { machine.main_cpu.cycles_left -= cycles; }

// ---- Program counter -------------------------------------------------------------------------

inline uint32_t fetch16() {
    uint16_t word;
    std::memcpy(&word, machine.main_cpu.pc_pointer, 2);
    machine.main_cpu.pc_pointer += 2;
    return word;
}
inline uint32_t fetch32() {
    uint32_t high = fetch16();
    return high << 16 | fetch16();
}
// The 68000 address of the next instruction word.
inline uint32_t current_pc() {
    return static_cast<uint32_t>(reinterpret_cast<intptr_t>(machine.main_cpu.pc_pointer) - machine.main_cpu.pc_base);
}
// Relative transfers move the pointer only. The arithmetic is done on integers: a branch that
// leaves the region's memory is caught by the fetch check before anything is read there (the
// fast check looks only at the upper end, so a move below the region sends the next fetch to
// the full check).
inline void move_pc(int32_t displacement) {
    auto& s = machine.main_cpu;
    uintptr_t p = reinterpret_cast<uintptr_t>(s.pc_pointer) + static_cast<uintptr_t>(static_cast<intptr_t>(displacement));
    s.pc_pointer = reinterpret_cast<const uint8_t*>(p);
    if (p < s.fetch_low) [[unlikely]] s.fetch_fast_end = 0;
}

// Absolute transfers (defined in core.cpp).
void set_pc(uint32_t pc);
void exception_entry(int vector, uint32_t frame_pc);
void load_sr(uint32_t value);
void halt_core();

// ---- Sizes -----------------------------------------------------------------------------------

template <int SZ> constexpr uint32_t size_mask = SZ == 1 ? 0xFFu : SZ == 2 ? 0xFFFFu : 0xFFFFFFFFu;
template <int SZ> constexpr uint32_t size_msb = SZ == 1 ? 0x80u : SZ == 2 ? 0x8000u : 0x80000000u;
template <int SZ> constexpr int size_bits = SZ * 8;

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

// Writes the low part of a data register, keeping the rest.
template <int SZ> inline void write_dreg(int n, uint32_t value) {
    if constexpr (SZ == 4) dreg(n) = value;
    else dreg(n) = (dreg(n) & ~size_mask<SZ>) | (value & size_mask<SZ>);
}

// ---- Flags -----------------------------------------------------------------------------------

template <int SZ> inline void set_nz(uint32_t result) {
    auto& s = cpu();
    s.flag_n = (result & size_msb<SZ>) != 0;
    s.flag_z = (result & size_mask<SZ>) == 0;
}
template <int SZ> inline void set_logic_flags(uint32_t result) {
    set_nz<SZ>(result);
    cpu().flag_v = 0;
    cpu().flag_c = 0;
}

inline uint32_t build_ccr() {
    const auto& s = cpu();
    return static_cast<uint32_t>(s.x_byte << 4 | s.flag_n << 3 | s.flag_z << 2 | s.flag_v << 1 | s.flag_c);
}
inline uint32_t build_sr() { return (cpu().sr & 0xFF00u) | build_ccr(); }
inline void load_ccr(uint32_t value) {
    auto& s = cpu();
    s.flag_c = value & 1;
    s.flag_v = (value >> 1) & 1;
    s.flag_z = (value >> 2) & 1;
    s.flag_n = (value >> 3) & 1;
    s.x_byte = (value >> 4) & 1;
}
inline bool supervisor() { return (cpu().sr & 0x2000) != 0; }

template <int SZ> inline uint32_t add_with_flags(uint32_t dst, uint32_t src) {
    auto& s = cpu();
    uint64_t wide = static_cast<uint64_t>(dst & size_mask<SZ>) + (src & size_mask<SZ>);
    uint32_t result = static_cast<uint32_t>(wide) & size_mask<SZ>;
    s.flag_c = s.x_byte = static_cast<uint8_t>((wide >> size_bits<SZ>) & 1);
    s.flag_v = (((dst ^ result) & (src ^ result)) & size_msb<SZ>) != 0;
    set_nz<SZ>(result);
    return result;
}
// dst - src; sets X unless it is a compare.
template <int SZ, bool SET_X = true> inline uint32_t sub_with_flags(uint32_t dst, uint32_t src) {
    auto& s = cpu();
    uint64_t wide = static_cast<uint64_t>(dst & size_mask<SZ>) - (src & size_mask<SZ>);
    uint32_t result = static_cast<uint32_t>(wide) & size_mask<SZ>;
    s.flag_c = static_cast<uint8_t>((wide >> size_bits<SZ>) & 1);
    if constexpr (SET_X) s.x_byte = s.flag_c;
    s.flag_v = (((src ^ dst) & (result ^ dst)) & size_msb<SZ>) != 0;
    set_nz<SZ>(result);
    return result;
}
// ADDX/SUBX/NEGX: X takes part and Z is only ever cleared.
template <int SZ> inline uint32_t addx_with_flags(uint32_t dst, uint32_t src) {
    auto& s = cpu();
    uint64_t wide = static_cast<uint64_t>(dst & size_mask<SZ>) + (src & size_mask<SZ>) + s.x_byte;
    uint32_t result = static_cast<uint32_t>(wide) & size_mask<SZ>;
    s.flag_c = s.x_byte = static_cast<uint8_t>((wide >> size_bits<SZ>) & 1);
    s.flag_v = (((dst ^ result) & (src ^ result)) & size_msb<SZ>) != 0;
    s.flag_n = (result & size_msb<SZ>) != 0;
    if (result != 0) s.flag_z = 0;
    return result;
}
template <int SZ> inline uint32_t subx_with_flags(uint32_t dst, uint32_t src) {
    auto& s = cpu();
    uint64_t wide = static_cast<uint64_t>(dst & size_mask<SZ>) - (src & size_mask<SZ>) - s.x_byte;
    uint32_t result = static_cast<uint32_t>(wide) & size_mask<SZ>;
    s.flag_c = s.x_byte = static_cast<uint8_t>((wide >> size_bits<SZ>) & 1);
    s.flag_v = (((src ^ dst) & (result ^ dst)) & size_msb<SZ>) != 0;
    s.flag_n = (result & size_msb<SZ>) != 0;
    if (result != 0) s.flag_z = 0;
    return result;
}

// Condition codes of Bcc, DBcc and Scc (0 = true, 1 = false, ... 15 = LE).
inline bool condition(int cc) {
    const auto& s = cpu();
    switch (cc) {
    case 0: return true;
    case 1: return false;
    case 2: return !s.flag_c && !s.flag_z;
    case 3: return s.flag_c || s.flag_z;
    case 4: return !s.flag_c;
    case 5: return s.flag_c;
    case 6: return !s.flag_z;
    case 7: return s.flag_z;
    case 8: return !s.flag_v;
    case 9: return s.flag_v;
    case 10: return !s.flag_n;
    case 11: return s.flag_n;
    case 12: return s.flag_n == s.flag_v;
    case 13: return s.flag_n != s.flag_v;
    case 14: return !s.flag_z && s.flag_n == s.flag_v;
    default: return s.flag_z || s.flag_n != s.flag_v;
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
template <int M, int SZ> inline uint32_t ea_address(int r) {
    constexpr uint32_t step = SZ;
    if constexpr (M == AIND) return areg(r);
    else if constexpr (M == APOST) {
        uint32_t a = areg(r);
        areg(r) = a + (SZ == 1 ? (r == 7 ? 2u : 1u) : step);
        return a;
    } else if constexpr (M == APRE) {
        areg(r) -= (SZ == 1) ? (r == 7 ? 2u : 1u) : step;
        return areg(r);
    } else if constexpr (M == AD16) return areg(r) + sext16(fetch16());
    else if constexpr (M == AD8X) {
        uint32_t base = areg(r);
        return base + index_displacement(fetch16());
    } else if constexpr (M == ABSW) return sext16(fetch16());
    else if constexpr (M == ABSL) return fetch32();
    else if constexpr (M == PCD16) {
        uint32_t pc = current_pc();
        return pc + sext16(fetch16());
    } else if constexpr (M == PCD8X) {
        uint32_t pc = current_pc();
        return pc + index_displacement(fetch16());
    } else {
        static_assert(M >= AIND && M <= PCD8X, "not a memory mode");
        return 0;
    }
}

// Reads an operand of any mode, zero-extended to 32 bits.
template <int M, int SZ> inline uint32_t ea_read(int r) {
    if constexpr (M == DREG) return dreg(r) & size_mask<SZ>;
    else if constexpr (M == AREG) return areg(r) & size_mask<SZ>;
    else if constexpr (M == IMM) {
        if constexpr (SZ == 4) return fetch32();
        else return fetch16() & size_mask<SZ>;
    } else return read_mem<SZ>(ea_address<M, SZ>(r));
}

} // namespace m68k
