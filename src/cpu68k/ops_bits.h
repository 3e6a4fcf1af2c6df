// Opcode routines of the bit-level families: BTST/BCHG/BCLR/BSET, shifts and rotates, TAS,
// MULU/MULS, DIVU/DIVS and the decimal instructions ABCD/SBCD/NBCD.
#pragma once
#include <array>
#include <bit>

#include "cpu68k/core_access.h"

namespace m68k {

template <int OP> inline uint32_t bit_apply(uint32_t value, uint32_t bit) {
    auto& s = cpu();
    s.flags = static_cast<uint16_t>((s.flags & ~FLAG_Z) | ((value & bit) ? 0 : FLAG_Z));
    if constexpr (OP == BIT_CHG) return value ^ bit;
    else if constexpr (OP == BIT_CLR) return value & ~bit;
    else if constexpr (OP == BIT_SET) return value | bit;
    else return value;
}

// Bit operations with the bit number from Dn (DYNAMIC, register DN) or from an immediate word.
// On a data register the number is taken modulo 32, on memory (a byte) modulo 8.
template <int OP, int M, bool DYNAMIC, int DN> void bit_op([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t number = DYNAMIC ? dreg(DN) : fetch16(pc);
    int r = op & 7;
    if constexpr (M == DREG) {
        uint32_t bit = 1u << (number & 31);
        uint32_t result = bit_apply<OP>(dreg(r), bit);
        if constexpr (OP != BIT_TST) dreg(r) = result;
        // Bit numbers 16-31 of a register take two more cycles except for BTST.
        int extra = (OP != BIT_TST && (number & 31) >= 16) ? 2 : 0;
        constexpr int base[4] = {6, 6, 8, 6};
        charge(base[OP] + extra + (DYNAMIC ? 0 : 4));
    } else if constexpr (M == IMM) {
        bit_apply<OP>(fetch16(pc) & 0xFF, 1u << (number & 7));
        charge(DYNAMIC ? 10 : 12);
    } else {
        uint32_t bit = 1u << (number & 7);
        uint32_t address = ea_address<M, 1>(pc, r);
        uint32_t value = read_mem<1>(address);
        uint32_t result = bit_apply<OP>(value, bit);
        if constexpr (OP != BIT_TST) write_mem<1>(address, result);
        charge((OP == BIT_TST ? 4 : 8) + (DYNAMIC ? 0 : 4) + ea_time<M, 1>());
    }
}

// One shift or rotate of SZ by COUNT (0-63), with the flags of the full count.
template <int KIND, bool LEFT, int SZ> inline uint32_t shift_value(uint32_t value, uint32_t count) {
    constexpr uint32_t bits = size_bits<SZ>;
    constexpr uint32_t mask = size_mask<SZ>;
    constexpr uint32_t msb = size_msb<SZ>;
    value &= mask;
    uint32_t result = value;
    uint32_t overflow = 0;
    if (count == 0) {
        set_nz_cv<SZ>(value, KIND == SH_ROX && x_bit() ? FLAG_C : 0);
        return value;
    }
    uint8_t carry = 0;
    if constexpr (KIND == SH_AS || KIND == SH_LS) {
        if constexpr (LEFT) {
            if (count < bits) {
                result = (value << count) & mask;
                carry = (value >> (bits - count)) & 1;
            } else {
                result = 0;
                carry = count == bits ? (value & 1) : 0;
            }
            if constexpr (KIND == SH_AS) {
                // V when the sign bit changes at any step: the top count+1 bits were not all equal.
                if (count >= bits) overflow = value != 0;
                else {
                    uint32_t top = (mask << (bits - 1 - count)) & mask;
                    uint32_t t = value & top;
                    overflow = t != 0 && t != top;
                }
            }
        } else {
            bool negative = KIND == SH_AS && (value & msb);
            if (count < bits) {
                result = value >> count;
                if (negative) result |= (mask << (bits - count)) & mask;
                carry = (value >> (count - 1)) & 1;
            } else {
                result = negative ? mask : 0;
                carry = KIND == SH_AS ? negative : (count == bits ? (value >> (bits - 1)) & 1 : 0);
            }
        }
        set_x(carry);
    } else if constexpr (KIND == SH_RO) {
        uint32_t n = count & (bits - 1);
        if (n) result = LEFT ? ((value << n) | (value >> (bits - n))) & mask : ((value >> n) | (value << (bits - n))) & mask;
        carry = LEFT ? (result & 1) : ((result & msb) != 0);
    } else {
        // Through X: a rotation over bits + 1 positions.
        uint32_t n = count % (bits + 1);
        uint32_t x = x_bit();
        for (uint32_t i = 0; i < n; ++i) {
            if constexpr (LEFT) {
                uint32_t out = (result & msb) != 0;
                result = ((result << 1) | x) & mask;
                x = out;
            } else {
                uint32_t out = result & 1;
                result = (result >> 1) | (x ? msb : 0);
                x = out;
            }
        }
        set_x(x);
        carry = static_cast<uint8_t>(x);
    }
    set_nz_cv<SZ>(result, (carry ? FLAG_C : 0) | overflow);
    return result;
}

// Register shifts: COUNT_REG is the count (1-8, 0 meaning 8) or, with BY_REG, the count register.
template <int KIND, bool LEFT, int SZ, bool BY_REG, int COUNT_REG> void shift_register([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t count = BY_REG ? (dreg(COUNT_REG) & 63) : (COUNT_REG == 0 ? 8 : COUNT_REG);
    int r = op & 7;
    write_dreg<SZ>(r, shift_value<KIND, LEFT, SZ>(dreg(r), count));
    charge(static_cast<int32_t>(2 * count));
    charge(SZ == 4 ? 8 : 6);
}

// Memory shifts: one word, one bit.
template <int KIND, bool LEFT, int M> void shift_memory([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t address = ea_address<M, 2>(pc, op & 7);
    uint32_t value = read_mem<2>(address);
    write_mem<2>(address, shift_value<KIND, LEFT, 2>(value, 1));
    charge(8 + ea_time<M, 2>());
}

// TAS: a read and then a write through the handlers, not an indivisible cycle.
template <int M> void tas([[maybe_unused]] Pc& pc, uint32_t op) {
    int r = op & 7;
    if constexpr (M == DREG) {
        set_logic_flags<1>(dreg(r));
        dreg(r) |= 0x80;
        charge(4);
    } else {
        uint32_t address = ea_address<M, 1>(pc, r);
        uint32_t value = read_mem<1>(address);
        set_logic_flags<1>(value);
        write_mem<1>(address, value | 0x80);
        charge(10 + ea_time<M, 1>());
    }
}

// Set bits of a 16-bit value from a table of bytes (the host build has no POPCNT guarantee, and
// the table takes a third of the instructions of the bit-twiddling count).
inline constexpr auto byte_bit_counts = [] {
    std::array<uint8_t, 256> counts{};
    for (int i = 0; i < 256; ++i) counts[i] = static_cast<uint8_t>(std::popcount(static_cast<unsigned>(i)));
    return counts;
}();
inline int bit_count16(uint32_t v) { return byte_bit_counts[v & 0xFF] + byte_bit_counts[(v >> 8) & 0xFF]; }

template <bool SIGNED, int M, int DN> void multiply([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t src = ea_read<M, 2>(pc, op & 7);
    uint32_t result;
    int ones;
    if constexpr (SIGNED) {
        result = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(src)) * static_cast<int16_t>(dreg(DN)));
        ones = bit_count16(((src << 1) ^ src) & 0xFFFF);
    } else {
        result = src * (dreg(DN) & 0xFFFF);
        ones = bit_count16(src);
    }
    dreg(DN) = result;
    set_logic_flags<4>(result);
    charge(2 * ones);
    charge(38 + ea_time<M, 2>());
}

// DIVU/DIVS at a fixed cost. Overflow leaves the register unchanged with V = 1, N = Z = C = 0.
template <bool SIGNED, int M, int DN> void divide([[maybe_unused]] Pc& pc, uint32_t op) {
    uint32_t src = ea_read<M, 2>(pc, op & 7);
    auto& s = cpu();
    if ((src & 0xFFFF) == 0) {
        s.flags &= static_cast<uint16_t>(~(FLAG_C | FLAG_V));
        pc = exception_entry(5, current_pc(pc));
        charge(38 + ea_time<M, 2>());
        return;
    }
    uint32_t dividend = dreg(DN);
    bool overflow;
    uint32_t quotient, remainder;
    if constexpr (SIGNED) {
        int32_t divisor = static_cast<int16_t>(src);
        int32_t n = static_cast<int32_t>(dividend);
        if (n == INT32_MIN && divisor == -1) {
            overflow = true;
            quotient = remainder = 0;
        } else {
            int32_t q = n / divisor;
            overflow = q < -32768 || q > 32767;
            quotient = static_cast<uint32_t>(q);
            remainder = static_cast<uint32_t>(n % divisor);
        }
    } else {
        uint32_t divisor = src & 0xFFFF;
        quotient = dividend / divisor;
        remainder = dividend % divisor;
        overflow = quotient > 0xFFFF;
    }
    if (overflow) {
        s.flags = FLAG_V;
    } else {
        dreg(DN) = (remainder & 0xFFFF) << 16 | (quotient & 0xFFFF);
        set_logic_flags<2>(quotient);
    }
    charge((SIGNED ? 150 : 133) + ea_time<M, 2>());
}

// Decimal add/subtract of two bytes with X; Z only cleared, V = 0, N from bit 7. The digit
// corrections follow the binary result: +6 (-6) when the low digits overflow (borrow), +0x60
// (-0x60) when the binary result passes 0x99 (borrows); C also catches the low correction
// carrying (borrowing) out of the byte. This also fixes the results of non-decimal operands.
inline uint32_t decimal_flags(int32_t result, bool carry) {
    auto& s = cpu();
    uint32_t r = static_cast<uint32_t>(result) & 0xFF;
    set_x(carry);
    uint32_t z = r ? 0 : (s.flags & FLAG_Z);
    s.flags = static_cast<uint16_t>(((r & 0x80) ? FLAG_N : 0) | z | (carry ? FLAG_C : 0));
    return r;
}
inline uint32_t decimal_add(uint32_t dst, uint32_t src) {
    auto x = static_cast<int32_t>(x_bit());
    int32_t low = static_cast<int32_t>((dst & 0x0F) + (src & 0x0F)) + x;
    int32_t binary = static_cast<int32_t>(dst + src) + x;
    int32_t result = binary;
    if (low > 9) result += 6;
    bool high = binary > 0x99;
    if (high) result += 0x60;
    return decimal_flags(result, high || result > 0xFF);
}
inline uint32_t decimal_sub(uint32_t dst, uint32_t src) {
    auto x = static_cast<int32_t>(x_bit());
    int32_t low = static_cast<int32_t>(dst & 0x0F) - static_cast<int32_t>(src & 0x0F) - x;
    int32_t binary = static_cast<int32_t>(dst) - static_cast<int32_t>(src) - x;
    int32_t result = binary;
    if (low < 0) result -= 6;
    bool high = binary < 0;
    if (high) result -= 0x60;
    return decimal_flags(result, high || result < 0);
}

// ABCD/SBCD Dy,Dx or -(Ay),-(Ax).
template <bool ADD, bool MEMORY, int RX> void decimal_op([[maybe_unused]] Pc& pc, uint32_t op) {
    int ry = op & 7;
    if constexpr (MEMORY) {
        uint32_t src = read_mem<1>(ea_address<APRE, 1>(pc, ry));
        uint32_t address = ea_address<APRE, 1>(pc, RX);
        uint32_t dst = read_mem<1>(address);
        write_mem<1>(address, ADD ? decimal_add(dst, src) : decimal_sub(dst, src));
        charge(18);
    } else {
        uint32_t src = dreg(ry) & 0xFF, dst = dreg(RX) & 0xFF;
        write_dreg<1>(RX, ADD ? decimal_add(dst, src) : decimal_sub(dst, src));
        charge(6);
    }
}

template <int M> void nbcd([[maybe_unused]] Pc& pc, uint32_t op) {
    int r = op & 7;
    if constexpr (M == DREG) {
        write_dreg<1>(r, decimal_sub(0, dreg(r) & 0xFF));
        charge(6);
    } else {
        uint32_t address = ea_address<M, 1>(pc, r);
        uint32_t value = read_mem<1>(address);
        write_mem<1>(address, decimal_sub(0, value));
        charge(8 + ea_time<M, 1>());
    }
}

} // namespace m68k
