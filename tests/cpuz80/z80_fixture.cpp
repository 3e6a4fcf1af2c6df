#include "z80_fixture.h"

PortLog port_log;

namespace {

uint32_t record_read(uint32_t port, const PortHandlerEntry*) {
    uint8_t v = port_log.next_read < port_log.read_values.size() ? port_log.read_values[port_log.next_read++]
                                                                  : static_cast<uint8_t>(port >> 8);
    port_log.accesses.push_back({static_cast<uint16_t>(port), v, 'r'});
    return v;
}
void record_write(uint32_t port, uint32_t value, const PortHandlerEntry*) {
    port_log.accesses.push_back({static_cast<uint16_t>(port), static_cast<uint8_t>(value), 'w'});
    if (port_log.on_write) port_log.on_write(port, value);
}

} // namespace

const PortHandlerEntry recording_read_list[] = {{0x0000, 0xFFFF, record_read, nullptr, 0},
                                                {0xFFFF, 0xFFFF, nullptr, nullptr, 0}};
const PortHandlerEntry recording_write_list[] = {{0x0000, 0xFFFF, nullptr, record_write, 0},
                                                 {0xFFFF, 0xFFFF, nullptr, nullptr, 0}};
const PortHandlerEntry empty_port_list[] = {{0xFFFF, 0xFFFF, nullptr, nullptr, 0}};

void Z80Test::SetUp() {
    MachineTest::SetUp();
    port_log = PortLog{};
    memory_.assign(0x20000, 0);
    SoundCpuContext context{};
    context.memory = memory_.data();
    context.port_read_list = recording_read_list;
    context.port_write_list = recording_write_list;
    sound_cpu_set_context(&context);
    sound_cpu_reset();
    sound_cpu_elapsed(1);
}

void Z80Test::poke(uint16_t address, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) memory_[address++] = b;
}
