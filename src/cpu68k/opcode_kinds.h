// Numbers shared by the opcode-table generator (gen/) and the opcode routines: addressing modes,
// operation selectors and shift kinds. The generator writes them as template arguments.
#pragma once

namespace m68k {

// Effective-address modes, with mode 7 split by its register field.
enum Mode : int {
    DREG = 0,  // Dn
    AREG = 1,  // An
    AIND = 2,  // (An)
    APOST = 3, // (An)+
    APRE = 4,  // -(An)
    AD16 = 5,  // d16(An)
    AD8X = 6,  // d8(An,Xn)
    ABSW = 7,  // abs.W
    ABSL = 8,  // abs.L
    PCD16 = 9, // d16(PC)
    PCD8X = 10, // d8(PC,Xn)
    IMM = 11,  // #imm
};

// Two-operand ALU operations.
enum AluOp : int { OP_OR = 0, OP_AND = 1, OP_SUB = 2, OP_ADD = 3, OP_CMP = 4, OP_EOR = 5 };

// One-operand operations of line 4.
enum UnaryOp : int { UN_NEGX = 0, UN_CLR = 1, UN_NEG = 2, UN_NOT = 3 };

// Bit operations.
enum BitOp : int { BIT_TST = 0, BIT_CHG = 1, BIT_CLR = 2, BIT_SET = 3 };

// Shift and rotate kinds, as encoded in the register form (bits 4-3).
enum ShiftKind : int { SH_AS = 0, SH_LS = 1, SH_ROX = 2, SH_RO = 3 };

} // namespace m68k
