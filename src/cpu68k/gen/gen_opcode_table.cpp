// Generator of the main CPU opcode table. Decodes every 16-bit opcode of the 68000 into the
// opcode routine that serves it (a template of src/cpu68k/ops_*.h with the operation, size,
// modes and fixed register fields as arguments) and the instruction's length in bytes, then
// writes:
//   <out>/opcode_table.cpp        the 65,536-entry table and the length table
//   <out>/opcode_routines_<k>.cpp explicit instantiations of the routines, split for the build
// Usage: gen_opcode_table <output folder> <number of routine files>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cpu68k/opcode_kinds.h"

using namespace m68k;

namespace {

struct Decoded {
    std::string routine; // C++ name of the routine, with template arguments
    int length = 2;      // bytes of the whole instruction
};

constexpr int invalid = -1;

// The mode of a 6-bit effective-address field, or invalid.
int ea_mode(int field) {
    int mode = (field >> 3) & 7, r = field & 7;
    if (mode < 7) return mode;
    switch (r) {
    case 0: return ABSW;
    case 1: return ABSL;
    case 2: return PCD16;
    case 3: return PCD8X;
    case 4: return IMM;
    default: return invalid;
    }
}

int ea_extension(int mode, int size) {
    switch (mode) {
    case AD16: case AD8X: case ABSW: case PCD16: case PCD8X: return 2;
    case ABSL: return 4;
    case IMM: return size == 4 ? 4 : 2;
    default: return 0;
    }
}

bool is_data(int m) { return m != invalid && m != AREG; }
bool is_alterable(int m) { return m != invalid && m <= ABSL; }
bool is_data_alterable(int m) { return is_data(m) && is_alterable(m); }
bool is_memory_alterable(int m) { return m >= AIND && m <= ABSL; }
bool is_control(int m) { return m == AIND || (m >= AD16 && m <= PCD8X); }

std::string args(std::initializer_list<int> values) {
    std::ostringstream out;
    out << '<';
    bool first = true;
    for (int v : values) {
        if (!first) out << ',';
        out << v;
        first = false;
    }
    out << '>';
    return out.str();
}

Decoded make(const std::string& name, std::initializer_list<int> values, int length) {
    return {name + (values.size() ? args(values) : std::string()), length};
}

const Decoded illegal{"raise_exception<4>", 2};

int size_of_field(int bits) { return bits == 0 ? 1 : bits == 1 ? 2 : bits == 2 ? 4 : 0; }

Decoded decode_line0(int op) {
    int ea = op & 63, m = ea_mode(ea);
    int rx = (op >> 9) & 7;
    switch (op) {
    case 0x003C: return make("logic_to_status", {OP_OR, 0}, 4);
    case 0x007C: return make("logic_to_status", {OP_OR, 1}, 4);
    case 0x023C: return make("logic_to_status", {OP_AND, 0}, 4);
    case 0x027C: return make("logic_to_status", {OP_AND, 1}, 4);
    case 0x0A3C: return make("logic_to_status", {OP_EOR, 0}, 4);
    case 0x0A7C: return make("logic_to_status", {OP_EOR, 1}, 4);
    default: break;
    }
    if (op & 0x100) {
        int kind = (op >> 6) & 3;
        if (((op >> 3) & 7) == 1) {
            bool to_memory = kind >= 2;
            int size = (kind & 1) ? 4 : 2;
            return make("movep", {to_memory, size, rx}, 4);
        }
        bool ok = kind == BIT_TST ? is_data(m) : is_data_alterable(m);
        if (!ok) return illegal;
        return make("bit_op", {kind, m, 1, rx}, 2 + ea_extension(m, 1));
    }
    if (rx == 4) {
        int kind = (op >> 6) & 3;
        bool ok = kind == BIT_TST ? (is_data(m) && m != IMM) : is_data_alterable(m);
        if (!ok) return illegal;
        return make("bit_op", {kind, m, 0, 0}, 4 + ea_extension(m, 1));
    }
    int size = size_of_field((op >> 6) & 3);
    if (size == 0 || !is_data_alterable(m)) return illegal;
    int alu;
    switch (rx) {
    case 0: alu = OP_OR; break;
    case 1: alu = OP_AND; break;
    case 2: alu = OP_SUB; break;
    case 3: alu = OP_ADD; break;
    case 5: alu = OP_EOR; break;
    case 6: alu = OP_CMP; break;
    default: return illegal;
    }
    return make("alu_immediate", {alu, size, m}, 2 + ea_extension(IMM, size) + ea_extension(m, size));
}

Decoded decode_move(int op) {
    int size = (op >> 12) == 1 ? 1 : (op >> 12) == 3 ? 2 : 4;
    int src = ea_mode(op & 63);
    int dst_mode = (op >> 6) & 7, dst_reg = (op >> 9) & 7;
    int dst = ea_mode(dst_mode << 3 | dst_reg);
    if (src == invalid || !is_alterable(dst)) return illegal;
    if (size == 1 && (src == AREG || dst == AREG)) return illegal;
    // For the mode-7 destinations the register field is part of the mode.
    int fixed_reg = dst_mode == 7 ? 0 : dst_reg;
    return make("move", {size, src, dst, fixed_reg}, 2 + ea_extension(src, size) + ea_extension(dst, size));
}

Decoded decode_line4(int op) {
    int ea = op & 63, m = ea_mode(ea);
    int rx = (op >> 9) & 7;
    int size = size_of_field((op >> 6) & 3);
    int ext = ea_extension(m, size ? size : 2);
    switch (op) {
    case 0x4AFC: return illegal;
    case 0x4E70: return make("reset_instruction", {}, 2);
    case 0x4E71: return make("nop", {}, 2);
    case 0x4E72: return make("stop", {}, 4);
    case 0x4E73: return make("rte", {}, 2);
    case 0x4E75: return make("rts", {}, 2);
    case 0x4E76: return make("trapv", {}, 2);
    case 0x4E77: return make("rtr", {}, 2);
    default: break;
    }
    if (op & 0x100) {
        int kind = (op >> 6) & 7;
        if (kind == 7 && is_control(m)) return make("lea", {m, rx}, 2 + ea_extension(m, 4));
        if (kind == 6 && is_data(m)) return make("chk", {m, rx}, 2 + ea_extension(m, 2));
        return illegal;
    }
    int top = (op >> 8) & 0xF;
    switch (top) {
    case 0x0:
        if (size == 0) return is_data_alterable(m) ? make("move_from_sr", {m}, 2 + ea_extension(m, 2)) : illegal;
        return is_data_alterable(m) ? make("unary_op", {UN_NEGX, size, m}, 2 + ext) : illegal;
    case 0x2:
        if (size == 0) return illegal;
        return is_data_alterable(m) ? make("unary_op", {UN_CLR, size, m}, 2 + ext) : illegal;
    case 0x4:
        if (size == 0) return is_data(m) ? make("move_to_ccr", {m}, 2 + ea_extension(m, 2)) : illegal;
        return is_data_alterable(m) ? make("unary_op", {UN_NEG, size, m}, 2 + ext) : illegal;
    case 0x6:
        if (size == 0) return is_data(m) ? make("move_to_sr", {m}, 2 + ea_extension(m, 2)) : illegal;
        return is_data_alterable(m) ? make("unary_op", {UN_NOT, size, m}, 2 + ext) : illegal;
    case 0x8: {
        int kind = (op >> 6) & 3;
        if (kind == 0) return is_data_alterable(m) ? make("nbcd", {m}, 2 + ea_extension(m, 1)) : illegal;
        if (kind == 1) {
            if (m == DREG) return make("swap_halves", {}, 2);
            return is_control(m) ? make("pea", {m}, 2 + ea_extension(m, 4)) : illegal;
        }
        int msize = kind == 2 ? 2 : 4;
        if (m == DREG) return make("ext", {msize}, 2);
        if (is_control(m) && m != PCD16 && m != PCD8X) return make("movem_to_memory", {msize, m}, 4 + ea_extension(m, 2));
        if (m == APRE) return make("movem_to_memory", {msize, m}, 4);
        return illegal;
    }
    case 0xA:
        if (size == 0) return is_data_alterable(m) ? make("tas", {m}, 2 + ea_extension(m, 1)) : illegal;
        return is_data_alterable(m) ? make("tst", {size, m}, 2 + ext) : illegal;
    case 0xC: {
        int kind = (op >> 6) & 3;
        if (kind < 2) return illegal;
        int msize = kind == 2 ? 2 : 4;
        if (is_control(m) || m == APOST) return make("movem_to_registers", {msize, m}, 4 + ea_extension(m, 2));
        return illegal;
    }
    case 0xE: {
        int low = op & 0xFF;
        if (low >= 0x40 && low <= 0x4F) return make("trap", {}, 2);
        if (low >= 0x50 && low <= 0x57) return make("link", {}, 4);
        if (low >= 0x58 && low <= 0x5F) return make("unlk", {}, 2);
        if (low >= 0x60 && low <= 0x67) return make("move_usp", {1}, 2);
        if (low >= 0x68 && low <= 0x6F) return make("move_usp", {0}, 2);
        if (low >= 0x80 && low <= 0xBF) return is_control(m) ? make("jsr", {m}, 2 + ea_extension(m, 4)) : illegal;
        if (low >= 0xC0) return is_control(m) ? make("jmp", {m}, 2 + ea_extension(m, 4)) : illegal;
        return illegal;
    }
    default: return illegal;
    }
}

Decoded decode_line5(int op) {
    int m = ea_mode(op & 63);
    int cc = (op >> 8) & 0xF;
    int bits = (op >> 6) & 3;
    if (bits == 3) {
        if (((op >> 3) & 7) == 1) return make("dbcc", {cc}, 4);
        return is_data_alterable(m) ? make("scc", {cc, m}, 2 + ea_extension(m, 1)) : illegal;
    }
    int size = size_of_field(bits);
    if (!is_alterable(m) || (size == 1 && m == AREG)) return illegal;
    int data = (op >> 9) & 7;
    return make("alu_quick", {(op & 0x100) ? OP_SUB : OP_ADD, size, m, data ? data : 8}, 2 + ea_extension(m, size));
}

// Lines 8, 9, B, C and D: the two-operand arithmetic and logic families.
Decoded decode_arith(int op) {
    int line = op >> 12;
    int m = ea_mode(op & 63);
    int rx = (op >> 9) & 7;
    int opmode = (op >> 6) & 7;
    int size = size_of_field(opmode & 3);
    bool mode01 = ((op >> 3) & 7) <= 1;
    int alu = line == 8 ? OP_OR : line == 9 ? OP_SUB : line == 0xB ? OP_CMP : line == 0xC ? OP_AND : OP_ADD;

    if ((opmode & 3) == 3) {
        bool high = opmode == 7;
        if (line == 8 || line == 0xC) {
            if (!is_data(m)) return illegal;
            const char* name = line == 8 ? "divide" : "multiply";
            return make(name, {high, m, rx}, 2 + ea_extension(m, 2));
        }
        if (m == invalid) return illegal;
        int asize = high ? 4 : 2;
        return make("alu_address", {alu, asize, m, rx}, 2 + ea_extension(m, asize));
    }
    if (!(opmode & 4)) {
        // <ea>,Dn
        bool ok = (line == 8 || line == 0xC) ? is_data(m) : (m != invalid && !(size == 1 && m == AREG));
        if (!ok) return illegal;
        return make("alu_ea_to_dreg", {alu, size, m, rx}, 2 + ea_extension(m, size));
    }
    // Dn,<ea> and the register-pair forms.
    if (line == 0xB) {
        if (((op >> 3) & 7) == 1) return make("cmpm", {size, rx}, 2);
        return is_data_alterable(m) ? make("alu_dreg_to_ea", {OP_EOR, size, m, rx}, 2 + ea_extension(m, size)) : illegal;
    }
    if (mode01) {
        bool memory = ((op >> 3) & 7) == 1;
        if (line == 9 || line == 0xD) return make("extended_arith", {line == 0xD, size, memory, rx}, 2);
        if (size == 1) return make("decimal_op", {line == 0xC, memory, rx}, 2);
        if (line == 0xC) {
            int kind = (op >> 3) & 0x1F;
            if (kind == 0x08) return make("exg", {0, rx}, 2);
            if (kind == 0x09) return make("exg", {1, rx}, 2);
            if (kind == 0x11) return make("exg", {2, rx}, 2);
        }
        return illegal;
    }
    return is_memory_alterable(m) ? make("alu_dreg_to_ea", {alu, size, m, rx}, 2 + ea_extension(m, size)) : illegal;
}

Decoded decode_shift(int op) {
    bool left = op & 0x100;
    if (((op >> 6) & 3) == 3) {
        int kind = (op >> 9) & 7;
        int m = ea_mode(op & 63);
        if (kind > 3 || !is_memory_alterable(m)) return illegal;
        return make("shift_memory", {kind, left, m}, 2 + ea_extension(m, 2));
    }
    int size = size_of_field((op >> 6) & 3);
    int kind = (op >> 3) & 3;
    bool by_reg = op & 0x20;
    return make("shift_register", {kind, left, size, by_reg, (op >> 9) & 7}, 2);
}

Decoded decode(int op) {
    switch (op >> 12) {
    case 0x0: return decode_line0(op);
    case 0x1: case 0x2: case 0x3: return decode_move(op);
    case 0x4: return decode_line4(op);
    case 0x5: return decode_line5(op);
    case 0x6: return make("branch", {(op >> 8) & 0xF, (op & 0xFF) == 0}, (op & 0xFF) == 0 ? 4 : 2);
    case 0x7: return (op & 0x100) ? illegal : make("moveq", {(op >> 9) & 7}, 2);
    case 0x8: case 0x9: case 0xB: case 0xC: case 0xD: return decode_arith(op);
    case 0xA:
        if (((op >> 8) & 0xF) == 1) return make("raise_exception", {10}, 2);
        return make("idle_branch", {(op >> 8) & 0xF}, (op & 0xFF) == 0 ? 4 : 2);
    case 0xE: return decode_shift(op);
    default: return make("raise_exception", {11}, 2);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gen_opcode_table <output folder> <routine files>\n");
        return 1;
    }
    std::string out_dir = argv[1];
    int parts = std::stoi(argv[2]);

    std::vector<Decoded> table(65536);
    std::map<std::string, int> routine_index;
    std::vector<std::string> routines;
    for (int op = 0; op < 65536; ++op) {
        table[op] = decode(op);
        if (routine_index.emplace(table[op].routine, static_cast<int>(routines.size())).second)
            routines.push_back(table[op].routine);
    }

    const char* includes = "#include \"cpu68k/ops_alu.h\"\n#include \"cpu68k/ops_bits.h\"\n"
                           "#include \"cpu68k/ops_flow.h\"\n#include \"cpu68k/ops_move.h\"\n\n";
    for (int k = 0; k < parts; ++k) {
        std::ofstream file(out_dir + "/opcode_routines_" + std::to_string(k) + ".cpp");
        file << "// Generated by gen_opcode_table: explicit instantiations of opcode routines.\n" << includes;
        for (size_t i = k; i < routines.size(); i += parts)
            file << "template void m68k::routine_entry<&m68k::" << routines[i] << ">(m68k::Pc);\n";
    }

    std::ofstream file(out_dir + "/opcode_table.cpp");
    file << "// Generated by gen_opcode_table: the main CPU opcode table and instruction lengths.\n" << includes;
    for (const std::string& r : routines)
        file << "extern template void m68k::routine_entry<&m68k::" << r << ">(m68k::Pc);\n";
    file << "\nnamespace m68k {\n\nconst Routine main_cpu_opcode_table[65536] = {\n";
    for (int op = 0; op < 65536; ++op) file << "    &routine_entry<&" << table[op].routine << ">,\n";
    file << "};\n\nconst uint8_t opcode_length[65536] = {\n";
    for (int op = 0; op < 65536; op += 32) {
        file << "   ";
        for (int i = 0; i < 32; ++i) file << ' ' << table[op + i].length << ',';
        file << '\n';
    }
    file << "};\n\n} // namespace m68k\n";
    std::fprintf(stderr, "gen_opcode_table: %zu routines\n", routines.size());
    return file.good() ? 0 : 1;
}
