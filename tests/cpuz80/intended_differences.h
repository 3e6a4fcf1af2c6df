// The one table of every intended difference between this core and the external Z80 vectors
// (single-step and FUSE), each with its reason. Every vector also has F bits 5 and 3 masked (the
// core does not derive them from results) and WZ, Q, P and R left out (the core keeps no WZ, Q or
// P, and R is not counted per instruction).
#pragma once
#include <algorithm>
#include <string>
#include <vector>

enum Relax : unsigned {
    SKIP_UNLESS_ONE_STEP = 1, // a repeating block instruction completes its whole count in one execution
    IGNORE_A_AND_F = 2,       // LD A,R loads the uncounted R
    PORT_LOW_BYTE = 4,        // block I/O addresses the port with C alone (high byte 0)
    IGNORE_IFF1 = 8,          // RETI only returns, leaving IFF1 as it was
    HALT_PC = 16,             // FUSE keeps a halted CPU's PC on the HALT; this core leaves it after
};
struct IntendedDifference {
    const char* group;
    std::vector<int> opcodes;
    unsigned relax;
    int cost; // T-states this core charges instead of the published one (0: the published one)
    const char* reason;
};

inline const std::vector<int> INDEX_HALF_FORMS = {0x24, 0x25, 0x26, 0x2C, 0x2D, 0x2E, 0x44, 0x45, 0x4C, 0x4D, 0x54, 0x55,
                                           0x5C, 0x5D, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x67, 0x68, 0x69, 0x6A,
                                           0x6B, 0x6C, 0x6D, 0x6F, 0x7C, 0x7D, 0x84, 0x85, 0x8C, 0x8D, 0x94, 0x95,
                                           0x9C, 0x9D, 0xA4, 0xA5, 0xAC, 0xAD, 0xB4, 0xB5, 0xBC, 0xBD};

inline const std::vector<IntendedDifference> INTENDED_DIFFERENCES = {
    {"base", {0x76}, HALT_PC, 0, "HALT ends the run with the PC after it (as the single-step vectors do)"},
    {"ed", {0x5F}, IGNORE_A_AND_F, 0, "LD A,R: R is not counted per instruction, so A differs"},
    {"ed", {0x4D}, IGNORE_IFF1, 0, "RETI only returns; the Z80 also copies IFF2 to IFF1"},
    {"dd", INDEX_HALF_FORMS, 0, 9, "IXH/IXL register forms charge 9 T-states each"},
    {"fd", INDEX_HALF_FORMS, 0, 9, "IYH/IYL register forms charge 9 T-states each"},
    {"ed", {0xB8}, SKIP_UNLESS_ONE_STEP, 42, "LDDR: whole count at once, 21 + 21 x BC"},
    {"ed", {0xB1, 0xB9}, SKIP_UNLESS_ONE_STEP, 21, "CPIR/CPDR: whole count at once, 21 per comparison"},
    {"ed", {0xB2, 0xBA}, SKIP_UNLESS_ONE_STEP | PORT_LOW_BYTE, 21, "INIR/INDR: all B bytes for 21"},
    {"ed", {0xB3, 0xBB}, SKIP_UNLESS_ONE_STEP | PORT_LOW_BYTE, 16, "OTIR/OTDR: all B bytes for 16"},
    {"ed", {0xA2, 0xA3, 0xAA, 0xAB}, PORT_LOW_BYTE, 0, "INI/OUTI/IND/OUTD address the port with C alone"},
    // Not a relaxation: DD and FD in front of an instruction that does not use HL, H, L or (HL)
    // stop the run as unknown opcodes. Such vectors are checked for the stop and counted skipped.
};

inline const IntendedDifference* find_difference(const std::string& group, int opcode) {
    for (const auto& d : INTENDED_DIFFERENCES)
        if (group == d.group && std::find(d.opcodes.begin(), d.opcodes.end(), opcode) != d.opcodes.end())
            return &d;
    return nullptr;
}

