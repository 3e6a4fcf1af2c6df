// The main CPU core's frame: reset, the slice loop over the opcode table, PC re-basing with the
// fetch-region guard, exception entry, status-register loads and the level-1 interrupt offer.
// Touches machine.main_cpu; reads machine.bus.fetch and calls the handler tables.
#include "cpu68k/core_run.h"

#include <utility>

#include "cpu68k/core_access.h"
#include "cpu68k/cpu68k.h"

namespace m68k {
namespace {

// Where the PC pointer rests while the core is halted: readable host memory of a few words, so
// whoever looks at the saved PC pointer between slices reads something harmless.
const uint16_t halt_words[8] = {};

// The longest instruction (MOVE.L #imm,abs.L) is 10 bytes.
constexpr uintptr_t longest_instruction = 10;

void unpack_flags() {
    auto& s = cpu();
    uint32_t packed = s.saved_flags;
    s.flags = static_cast<uint16_t>(((packed >> 24) & 0xC1) << 8 | ((packed >> 16) & 1));
    set_x(packed & 1);
}

// The saved word keeps only the defined bits of the condition byte.
void pack_flags() {
    auto& s = cpu();
    uint32_t f = s.flags;
    s.saved_flags = ((f >> 8) & 0xC1) << 24 | (f & FLAG_V) << 16 | x_bit();
    s.sr = static_cast<uint16_t>(build_sr());
}

// The slow path of the fetch check: the instruction at the PC must lie wholly inside the
// region's memory, or the core halts without reading outside it.
bool instruction_fits() {
    auto& s = cpu();
    uintptr_t offset = reinterpret_cast<uintptr_t>(s.pc_pointer) - s.fetch_low;
    if (offset >= s.fetch_span || s.fetch_span - offset < 2) return false;
    uint16_t opcode;
    std::memcpy(&opcode, s.pc_pointer, 2);
    return s.fetch_span - offset >= opcode_length[opcode];
}

} // namespace

void halt_core() {
    auto& s = cpu();
    uint32_t pc = current_pc();
    s.halted = true;
    s.cycles_left = -1;
    s.pc_pointer = reinterpret_cast<const uint8_t*>(halt_words);
    s.pc_base = reinterpret_cast<intptr_t>(halt_words) - static_cast<intptr_t>(pc);
    s.fetch_low = reinterpret_cast<uintptr_t>(halt_words);
    s.fetch_span = 0;
    s.fetch_fast_end = 0;
}

// Re-basing: the base keeps the PC's top byte, so PC = pointer - base stays a 32-bit value.
// A PC outside the usable memory of its region halts the core (the board's program never does
// this; halting is the defined answer to a runaway program rather than a read of stray memory).
Pc set_pc(uint32_t pc) {
    auto& s = cpu();
    const FetchRegion& region = machine.bus.fetch[(pc >> 20) & 15];
    uint32_t address = pc & 0xFFFFFF;
    if (region.memory == nullptr || address < region.start || address - region.start >= region.size) {
        s.pc_base = reinterpret_cast<intptr_t>(s.pc_pointer) - static_cast<intptr_t>(pc);
        halt_core();
        return s.pc_pointer;
    }
    s.fetch_low = reinterpret_cast<uintptr_t>(region.memory);
    s.fetch_span = region.size;
    s.fetch_fast_end = region.size > longest_instruction - 1 ? s.fetch_low + region.size - (longest_instruction - 1) : 0;
    s.pc_pointer = region.memory + (address - region.start);
    s.pc_base = reinterpret_cast<intptr_t>(region.memory) - static_cast<intptr_t>(region.start) - static_cast<intptr_t>(pc & 0xFF000000u);
    return s.pc_pointer;
}

void load_sr(uint32_t value) {
    auto& s = cpu();
    if ((value ^ s.sr) & 0x2000) std::swap(s.regs[15], s.inactive_stack_pointer);
    s.sr = static_cast<uint16_t>(value & 0xA700);
    load_ccr(value);
}

// The short frame: PC long at A7-4, SR word at A7-6, after switching to the supervisor stack.
Pc exception_entry(int vector, uint32_t frame_pc) {
    auto& s = cpu();
    uint32_t handler = read_mem<4>(static_cast<uint32_t>(vector) * 4);
    uint32_t old_sr = build_sr();
    if (!(s.sr & 0x2000)) std::swap(s.regs[15], s.inactive_stack_pointer);
    s.sr = static_cast<uint16_t>((s.sr & 0x2700) | 0x2000);
    write_mem<4>(s.regs[15] - 4, frame_pc);
    write_mem<2>(s.regs[15] - 6, old_sr);
    s.regs[15] -= 6;
    return set_pc(handler);
}

// Level 1 is taken only above the mask, as on the 68000: a mask of 1 refuses it like 2-7.
void offer_interrupt() {
    constexpr uint32_t level = 1;
    auto& s = cpu();
    if (((s.sr >> 8) & 7) >= level) return;
    exception_entry(24 + level, current_pc());
    s.sr = static_cast<uint16_t>((s.sr & ~0x0700u) | level << 8);
}

// The slice loop: it checks the fetch fully where the routines' quick check gives up, and runs
// routines until the counter is negative. Chained routines come back here only for that; see
// routine_entry for the dispatch and its figures.
void execute_slice() {
    auto& s = cpu();
    while (s.cycles_left >= 0) {
        Pc pc = s.pc_pointer;
        if (reinterpret_cast<uintptr_t>(pc) >= s.fetch_fast_end) [[unlikely]] {
            if (!instruction_fits()) {
                halt_core();
                break;
            }
        }
        uint16_t opcode;
        std::memcpy(&opcode, pc, 2);
        main_cpu_opcode_table[opcode](pc + 2);
    }
    if (s.halted) s.cycles_left = -1;
}

void run_without_interrupt(int32_t budget) {
    auto& s = cpu();
    if (s.halted) {
        s.cycles_left = -1;
        return;
    }
    s.cycles_left += budget;
    unpack_flags();
    s.cycles_left -= 1;
    execute_slice();
    pack_flags();
}

} // namespace m68k

void main_cpu_reset() {
    using namespace m68k;
    auto& s = cpu();
    for (uint32_t& r : s.regs) r = 0;
    s.inactive_stack_pointer = 0;
    s.sr = 0x2700;
    s.halted = false;
    s.cycles_left = 0;
    // The vectors come straight from the memory of fetch region 0, not through the handlers.
    const FetchRegion& region = machine.bus.fetch[0];
    auto vector_long = [&](uint32_t address) -> uint32_t {
        if (region.memory == nullptr || address < region.start || address + 4 > region.start + region.size) return 0xFFFFFFFF;
        uint16_t high, low;
        std::memcpy(&high, region.memory + (address - region.start), 2);
        std::memcpy(&low, region.memory + (address - region.start) + 2, 2);
        return static_cast<uint32_t>(high) << 16 | low;
    };
    s.regs[15] = vector_long(0);
    s.reset_pc = vector_long(4);
    s.pc_pointer = reinterpret_cast<const uint8_t*>(&s.reset_pc);
    s.pc_base = 0;
    set_pc(s.reset_pc);
}

void main_cpu_run(int32_t budget) {
    using namespace m68k;
    auto& s = cpu();
    if (s.halted) {
        s.cycles_left = -1;
        return;
    }
    s.cycles_left += budget;
    unpack_flags();
    offer_interrupt();
    s.cycles_left -= 1;
    execute_slice();
    pack_flags();
}
