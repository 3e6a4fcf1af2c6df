// A fixture for the sound CPU tests: a 128 KiB image (the real machine's sound program buffer),
// a context whose port lists record every access, and helpers to place code and set registers.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "cpuz80/cpuz80.h"
#include "machine.h"
#include "support/machine_fixture.h"

struct PortAccess {
    uint16_t port;
    uint8_t value;
    char kind; // 'r' or 'w'
    bool operator==(const PortAccess&) const = default;
};

// Port traffic seen by the recording lists, and what reads return.
struct PortLog {
    std::vector<PortAccess> accesses;
    std::vector<uint8_t> read_values; // served in order; once used up, reads return the port's high byte
    size_t next_read = 0;
    void (*on_write)(uint32_t port, uint32_t value) = nullptr; // optional extra action of a write
};
extern PortLog port_log;

extern const PortHandlerEntry recording_read_list[];
extern const PortHandlerEntry recording_write_list[];
extern const PortHandlerEntry empty_port_list[];

class Z80Test : public MachineTest {
  protected:
    void SetUp() override;

    void poke(uint16_t address, std::initializer_list<uint8_t> bytes);
    uint8_t peek(uint32_t offset) const { return memory_[offset]; }
    SoundCpuContext& ctx() { return machine.sound_cpu.context; }
    SoundCpuState& cpu() { return machine.sound_cpu; }

    std::vector<uint8_t> memory_;
};
