// The dispatch never grows the host stack per instruction: whether the build chains routines or
// runs each from the slice loop, a long slice of any instruction uses no more stack than a short
// one. The stack is measured by painting a thread's own stack and finding how deep the pattern
// was overwritten.
#include <gtest/gtest.h>
#include <pthread.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "cpu68k/core_access.h"
#include "cpu_fixture.h"

namespace {

constexpr size_t stack_size = 4u << 20;
constexpr uint8_t paint = 0xA5;

// Runs `work` on a thread whose stack is painted first; returns the bytes of stack it used.
size_t stack_used_by(void (*work)()) {
    void* memory = std::aligned_alloc(4096, stack_size);
    std::memset(memory, paint, stack_size);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstack(&attributes, memory, stack_size);
    pthread_t thread;
    auto trampoline = [](void* w) -> void* {
        reinterpret_cast<void (*)()>(w)();
        return nullptr;
    };
    const int started = pthread_create(&thread, &attributes, trampoline, reinterpret_cast<void*>(work));
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(started, 0) << "the painted-stack thread did not start";
    if (started != 0) {
        std::free(memory);
        return 0;
    }
    pthread_join(thread, nullptr);
    const auto* bytes = static_cast<const uint8_t*>(memory);
    size_t untouched = 0;
    while (untouched < stack_size && bytes[untouched] == paint) ++untouched;
    std::free(memory);
    return stack_size - untouched;
}

constexpr uint32_t area_start = 0x10000, area_end = 0x30000, start_pc = 0x20000;
int32_t slice_budget = 0;

// One slice of every opcode routine, each running its own opcode repeated (its extension words
// are the same word), from a fresh state. Exceptions come back to the same words, so most
// routines run again and again until the budget is spent.
void run_every_routine() {
    std::set<m68k::Routine> seen;
    for (uint32_t op = 0; op < 65536; ++op) {
        if (!seen.insert(m68k::main_cpu_opcode_table[op]).second) continue;
        for (uint32_t a = area_start; a < area_end; a += 2) poke16(a, static_cast<uint16_t>(op));
        for (uint32_t v = 0; v < 256; ++v) poke32(v * 4, start_pc);
        poke32(0, 0x8000);
        main_cpu_reset();
        for (int r = 8; r < 15; ++r) machine.main_cpu.regs[r] = 0x40000;
        main_cpu_run(slice_budget);
    }
}

class DispatchStackTest : public MainCpuTest {};

TEST_F(DispatchStackTest, LongSlicesUseNoMoreStackThanShortOnes) {
    slice_budget = 40;
    size_t short_slices = stack_used_by(run_every_routine);
    slice_budget = 20000;
    size_t long_slices = stack_used_by(run_every_routine);
    // A routine that grew the stack by even 16 bytes per instruction would need tens of KiB here.
    EXPECT_LT(long_slices, short_slices + 1024) << "short slices: " << short_slices << " bytes, long: " << long_slices;
}

} // namespace
