// Fixture for the main CPU core's tests: a flat memory behind the handler tables, programs
// written as 68000 words, and the core's PC read back as a 68000 address.
#pragma once
#include <cstdint>
#include <initializer_list>

#include "cpu68k/core_run.h"
#include "cpu68k/cpu68k.h"
#include "flat_bus.h"
#include "machine.h"
#include "support/machine_fixture.h"

class MainCpuTest : public MachineTest {
  protected:
    static constexpr uint32_t code = 0x1000;
    static constexpr uint32_t stack = 0x8000;

    void SetUp() override {
        MachineTest::SetUp();
        install_flat_bus();
    }

    static void program(uint32_t address, std::initializer_list<uint16_t> words) {
        for (uint16_t w : words) {
            poke16(address, w);
            address += 2;
        }
    }

    // Resets the core through the vector table with SSP = stack, PC = code, then sets SR.
    static void boot(uint16_t sr = 0x2700) {
        poke32(0, stack);
        poke32(4, code);
        main_cpu_reset();
        machine.main_cpu.sr = sr;
    }

    static uint32_t pc() {
        const auto& s = machine.main_cpu;
        return static_cast<uint32_t>(reinterpret_cast<intptr_t>(s.pc_pointer) - s.pc_base);
    }

    // Condition codes between slices, as the core keeps them (condition byte, V byte, X byte).
    static void set_ccr(uint32_t ccr) {
        uint32_t condition = ((ccr >> 3) & 1) << 7 | ((ccr >> 2) & 1) << 6 | (ccr & 1);
        machine.main_cpu.saved_flags = condition << 24 | ((ccr >> 1) & 1) << 16 | ((ccr >> 4) & 1);
    }

    // Runs exactly one instruction at the PC without the interrupt offer; returns its charge.
    static int32_t step() {
        machine.main_cpu.cycles_left = 0;
        m68k::run_without_interrupt(1);
        return -machine.main_cpu.cycles_left;
    }
};
