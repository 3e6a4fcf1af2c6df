#include "vector_sweep.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include "cpu68k/core_run.h"
#include "flat_bus.h"
#include "machine.h"
#include "support/machine_fixture.h"
#include "vector_file.h"

namespace {

uint16_t word_at(const VectorState& s, uint32_t address) {
    for (const auto& [a, w] : s.ram)
        if (a == address) return w;
    return 0;
}

// What the comparison leaves out for a difference this core makes on purpose.
enum class Treatment {
    compare_all,       // only the cycles differ (when cycles_differ is set)
    state_except_v,    // the V flag is defined differently
    state_except_nzv,  // N, Z and V are defined differently
    state_except_nzvc, // none of N, Z, V, C is compared
    stop_pc,           // the PC is after the instruction, 4 past the reference's
    skip_test,         // the outcome itself differs: nothing comparable
};

struct IntendedDifference {
    const char* family; // file name without extension
    bool (*applies)(uint16_t opcode, const VectorCase& c);
    Treatment treatment;
    bool cycles_differ;
    const char* reason;
};

// Whether the reference ends at the handler of a vector (read from the vector table in its RAM).
bool enters_vector(const VectorCase& c, uint32_t vector) {
    uint32_t handler = static_cast<uint32_t>(word_at(c.initial, vector * 4)) << 16 | word_at(c.initial, vector * 4 + 2);
    return c.final.pc == handler + 4;
}
bool always(uint16_t, const VectorCase&) { return true; }
bool idle_branch_opcode(uint16_t op, const VectorCase&) { return (op & 0xF000) == 0xA000 && (op & 0x0F00) != 0x0100; }
bool to_memory(uint16_t op, const VectorCase&) { return ((op >> 3) & 7) != 0; }
bool to_dreg(uint16_t op, const VectorCase&) { return ((op >> 3) & 7) == 0; }
bool andi_long_to_dreg(uint16_t op, const VectorCase&) { return (op & 0xFFF8) == 0x0280; }
bool user_mode(uint16_t, const VectorCase& c) { return !(c.initial.sr & 0x2000); }
bool supervisor_mode(uint16_t, const VectorCase& c) { return (c.initial.sr & 0x2000) != 0; }
bool chk_traps(uint16_t, const VectorCase& c) { return enters_vector(c, 6); }
bool chk_in_bounds(uint16_t, const VectorCase& c) { return !enters_vector(c, 6); }
bool trapv_traps(uint16_t, const VectorCase& c) { return enters_vector(c, 7); }
bool divide_overflows(uint16_t, const VectorCase& c) { return !enters_vector(c, 5) && (c.final.sr & 2) != 0; }

// Every difference the core makes on purpose, with its reason. Families not listed here are
// compared in full: state and cycles.
const IntendedDifference intended_differences[] = {
    {"ILLEGAL_LINEA", idle_branch_opcode, Treatment::skip_test, true,
     "0xA000-0xAFFF except 0xA1xx are the board's idle branches, not line-A exceptions"},
    {"RESET", user_mode, Treatment::skip_test, true, "RESET is accepted in user mode (no privilege violation)"},
    {"RESET", supervisor_mode, Treatment::compare_all, true, "RESET has nothing to reset: it costs 4"},
    {"CLR.b", to_memory, Treatment::compare_all, true, "CLR writes without reading first: 6 + EA to memory"},
    {"CLR.w", to_memory, Treatment::compare_all, true, "CLR writes without reading first: 6 + EA to memory"},
    {"CLR.l", to_dreg, Treatment::compare_all, true, "CLR.L to Dn charges 8"},
    {"AND.l", andi_long_to_dreg, Treatment::compare_all, true, "ANDI.L #imm,Dn charges 14"},
    {"DIVU", always, Treatment::compare_all, true, "DIVU charges a fixed 133 + EA (38 + EA on a zero divisor)"},
    {"DIVS", always, Treatment::compare_all, true, "DIVS charges a fixed 150 + EA (38 + EA on a zero divisor)"},
    {"DIVU", divide_overflows, Treatment::state_except_nzv, true, "overflow defines N = Z = C = 0 with V = 1"},
    {"DIVS", divide_overflows, Treatment::state_except_nzv, true, "overflow defines N = Z = C = 0 with V = 1"},
    {"CHK", chk_traps, Treatment::compare_all, true, "CHK charges 40 + EA when it traps"},
    {"CHK", chk_in_bounds, Treatment::state_except_nzvc, false, "CHK in bounds leaves the flags unchanged"},
    {"TRAPV", trapv_traps, Treatment::compare_all, true, "TRAPV charges 38 when it traps"},
    {"ABCD", always, Treatment::state_except_v, false, "decimal instructions set V to 0"},
    {"SBCD", always, Treatment::state_except_v, false, "decimal instructions set V to 0"},
    {"NBCD", always, Treatment::state_except_v, false, "decimal instructions set V to 0"},
    {"STOP", supervisor_mode, Treatment::stop_pc, true, "STOP does not wait: PC after the instruction, 4 cycles, slice ends"},
};

Treatment treatment_for(const std::string& family, uint16_t opcode, const VectorCase& c, bool& compare_cycles) {
    // The most restrictive matching entry wins.
    Treatment result = Treatment::compare_all;
    compare_cycles = true;
    for (const IntendedDifference& d : intended_differences) {
        if (family != d.family || !d.applies(opcode, c)) continue;
        if (d.cycles_differ) compare_cycles = false;
        result = std::max(result, d.treatment);
    }
    return result;
}

void load_state(const VectorState& v) {
    auto& s = machine.main_cpu;
    for (int i = 0; i < 8; ++i) s.regs[i] = v.d[i];
    for (int i = 0; i < 7; ++i) s.regs[8 + i] = v.a[i];
    bool supervisor = v.sr & 0x2000;
    s.regs[15] = supervisor ? v.ssp : v.usp;
    s.inactive_stack_pointer = supervisor ? v.usp : v.ssp;
    s.sr = static_cast<uint16_t>(v.sr & 0xA700);
    uint32_t condition_byte = ((v.sr >> 3) & 1) << 7 | ((v.sr >> 2) & 1) << 6 | (v.sr & 1);
    s.saved_flags = condition_byte << 24 | ((v.sr >> 1) & 1) << 16 | ((v.sr >> 4) & 1);
    s.cycles_left = 0;
    s.halted = false;
    for (const auto& [a, w] : v.ram) poke16(a, w);
}

std::string hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

// Compares the core with the expected final state; returns an empty string when they agree.
std::string compare_state(const VectorCase& c, uint32_t sr_mask, uint32_t pc_adjust) {
    const auto& s = machine.main_cpu;
    const VectorState& f = c.final;
    static const char* const d_names[8] = {"D0", "D1", "D2", "D3", "D4", "D5", "D6", "D7"};
    static const char* const a_names[7] = {"A0", "A1", "A2", "A3", "A4", "A5", "A6"};
    std::string out;
    auto check = [&](const char* what, uint32_t got, uint32_t want) {
        if (got == want) return;
        char text[80];
        std::snprintf(text, sizeof text, " %s=%08X want %08X", what, got, want);
        out.append(text);
    };
    for (int i = 0; i < 8; ++i) check(d_names[i], s.regs[i], f.d[i]);
    for (int i = 0; i < 7; ++i) check(a_names[i], s.regs[8 + i], f.a[i]);
    bool supervisor = s.sr & 0x2000;
    check("USP", supervisor ? s.inactive_stack_pointer : s.regs[15], f.usp);
    check("SSP", supervisor ? s.regs[15] : s.inactive_stack_pointer, f.ssp);
    check("SR", s.sr & sr_mask, f.sr & sr_mask);
    check("PC", static_cast<uint32_t>(reinterpret_cast<intptr_t>(s.pc_pointer) - s.pc_base), f.pc - 4 + pc_adjust);
    std::set<uint32_t> listed;
    for (const auto& [a, w] : f.ram) {
        listed.insert(a & 0xFFFFFE);
        if (peek16(a) != w) {
            char text[80];
            std::snprintf(text, sizeof text, " RAM[%06X]=%04X want %04X", a, peek16(a), w);
            out.append(text);
        }
    }
    for (uint32_t a : flat_write_log())
        if (!listed.count(a & 0xFFFFFE)) {
            char text[40];
            std::snprintf(text, sizeof text, " stray write at %06X", a);
            out.append(text);
        }
    return out;
}

void clear_memory(const VectorCase& c) {
    for (const auto& [a, w] : c.initial.ram) poke16(a, 0);
    for (const auto& [a, w] : c.final.ram) poke16(a, 0);
    for (uint32_t a : flat_write_log()) poke8(a, 0);
    flat_write_log().clear();
}

} // namespace

std::vector<std::string> vector_families() {
    std::vector<std::string> names;
    std::filesystem::path dir = testdata_dir();
    if (dir.empty() || !std::filesystem::is_directory(dir / "m68000-singlesteptests/v1")) return names;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "m68000-singlesteptests/v1")) {
        std::string file = entry.path().filename().string();
        const std::string suffix = ".json.bin.gz";
        if (file.size() > suffix.size() && file.ends_with(suffix)) names.push_back(file.substr(0, file.size() - suffix.size()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

FamilyResult run_vector_family(const std::string& family, int limit) {
    FamilyResult result;
    std::vector<VectorCase> cases;
    std::filesystem::path file = testdata_dir() / "m68000-singlesteptests/v1" / (family + ".json.bin.gz");
    if (!read_vector_file(file, cases, result.error)) return result;
    install_flat_bus();
    int count = 0;
    for (const VectorCase& c : cases) {
        if (limit && count >= limit) break;
        ++count;
        uint16_t opcode = word_at(c.initial, c.initial.pc - 4);
        bool compare_cycles = true;
        Treatment treatment = treatment_for(family, opcode, c, compare_cycles);
        if (c.address_error || treatment == Treatment::skip_test) {
            ++result.skipped;
            continue;
        }
        ++result.run;
        load_state(c.initial);
        m68k::set_pc(c.initial.pc - 4);
        m68k::run_without_interrupt(1);
        uint32_t sr_mask = 0xFFFF;
        if (treatment == Treatment::state_except_v) sr_mask &= ~2u;
        if (treatment == Treatment::state_except_nzv) sr_mask &= ~0xEu;
        if (treatment == Treatment::state_except_nzvc) sr_mask &= ~0xFu;
        std::string mismatch = compare_state(c, sr_mask, treatment == Treatment::stop_pc ? 4 : 0);
        if (mismatch.empty()) ++result.state_passed;
        else if (result.failures.size() < 8)
            result.failures.push_back(c.name + " [" + hex(opcode).substr(4) + "]:" + mismatch);
        if (compare_cycles) {
            ++result.cycles_compared;
            int32_t cycles = -machine.main_cpu.cycles_left;
            if (cycles == static_cast<int32_t>(c.cycles)) ++result.cycles_passed;
            else if (result.failures.size() < 8)
                result.failures.push_back(c.name + " [" + hex(opcode).substr(4) + "]: cycles " + std::to_string(cycles) + " want " +
                                          std::to_string(c.cycles));
        }
        clear_memory(c);
    }
    return result;
}
