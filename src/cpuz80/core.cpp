// The sound CPU's public calls: context, reset, the run loop with its budget, the interrupts, and
// the port routine contract.
// Touches: machine.sound_cpu; the port handler lists and memory image named by its context.
#include <cstring>

#include "cpuz80/core.h"

namespace z80 {

namespace {

void load_run_registers() {
    SoundCpuState& s = cpu();
    s.run.a = static_cast<uint8_t>(s.context.af >> 8);
    s.run.f = static_cast<uint8_t>(s.context.af);
    set16<P_BC>(s.context.bc);
    set16<P_HL>(s.context.hl);
    s.run.pc = s.context.pc;
    set_fetch_offset();
}

void store_run_registers() {
    SoundCpuState& s = cpu();
    s.context.af = get16<P_AF>();
    s.context.bc = get16<P_BC>();
    s.context.hl = get16<P_HL>();
    s.context.pc = s.run.pc;
}

// First entry whose low <= key <= high, or none.
const PortHandlerEntry* find_port(const PortHandlerEntry* list, uint16_t key) {
    if (list == nullptr) return nullptr;
    for (; list->low != 0xFFFF; ++list)
        if (list->low <= key && key <= list->high) return list;
    return nullptr;
}

// A port routine sees BC, HL and the PC in the context and may change them (or accept an
// interrupt, which moves the PC and SP); the run goes on from whatever it left there.
void before_port_call() {
    SoundCpuState& s = cpu();
    s.context.bc = get16<P_BC>();
    s.context.hl = get16<P_HL>();
    s.context.pc = s.run.pc;
}
void after_port_call() {
    SoundCpuState& s = cpu();
    set16<P_BC>(s.context.bc);
    set16<P_HL>(s.context.hl);
    s.run.pc = s.context.pc;
    set_fetch_offset();
}

} // namespace

uint8_t port_in(uint16_t port, uint16_t key) {
    const PortHandlerEntry* entry = find_port(cpu().context.port_read_list, key);
    if (entry == nullptr || entry->read == nullptr) return 0xFF;
    before_port_call();
    uint8_t v = static_cast<uint8_t>(entry->read(port, entry));
    after_port_call();
    return v;
}

void port_out(uint16_t port, uint16_t key, uint8_t value) {
    const PortHandlerEntry* entry = find_port(cpu().context.port_write_list, key);
    if (entry == nullptr || entry->write == nullptr) return;
    before_port_call();
    entry->write(port, value, entry);
    after_port_call();
}

// The PC is put back on the first prefix byte and the run ends without charging anything.
void stop_unknown(int prefix_bytes) {
    SoundCpuState& s = cpu();
    s.run.pc = static_cast<uint16_t>(s.run.pc - prefix_bytes);
    s.stopped = 1;
    s.stop_position = static_cast<uint32_t>(static_cast<int32_t>(s.run.pc) + s.fetch_offset);
    end_run_at_once();
}

// Works on the context's PC: callers inside a run store it first (the port contract does).
void accept_interrupt(int data) {
    SoundCpuState& s = cpu();
    s.interrupt_accepted = 1;
    s.context.halted = 0;
    s.context.sp = static_cast<uint16_t>(s.context.sp - 2);
    write16(s.context.sp, s.context.pc);
    if (s.context.interrupt_mode == 2)
        s.context.pc = read16(static_cast<uint16_t>((s.context.i << 8) | (data & 0xFF)));
    else
        s.context.pc = s.context.interrupt_address;
    s.iff1 = s.iff2 = 0;
}

} // namespace z80

using namespace z80;

void sound_cpu_set_context(const SoundCpuContext* context) {
    std::memcpy(&machine.sound_cpu.context, context, sizeof(SoundCpuContext));
}

void sound_cpu_reset() {
    SoundCpuState& s = machine.sound_cpu;
    SoundCpuContext& c = s.context;
    c.halted = 0;
    c.af = c.bc = c.de = c.hl = c.sp = c.pc = 0;
    c.af2 = c.bc2 = c.de2 = c.hl2 = 0;
    c.ix = c.iy = 0xFFFF;
    c.i = c.r = 0;
    c.interrupt_mode = 0;
    c.spare0 = c.spare1 = 0;
    c.interrupt_address = 0x0038;
    c.nmi_address = 0x0066;
    s.iff1 = s.iff2 = 0;
    s.ei_pending = 0;
    s.fetch_offset = 0;
    s.irq_line = 0;
}

uint32_t sound_cpu_run(int32_t cycles) {
    SoundCpuState& s = machine.sound_cpu;
    s.idle_state = 0;
    s.ei_pending = 0;
    s.stopped = 0;
    s.budget = s.cycles_left + cycles;
    s.cut_off = 0;
    s.cycles_left = s.budget;
    if (s.context.halted) {
        s.budget = s.cycles_left = 0;
        return SOUND_CPU_RUN_OK;
    }
    load_run_registers();
    // The first instruction is dispatched before any budget test.
    do {
        sound_op_base[fetch8()]();
    } while (s.cycles_left > 0);
    store_run_registers();
    return s.stopped ? s.stop_position : SOUND_CPU_RUN_OK;
}

int32_t sound_cpu_elapsed(int clear) {
    SoundCpuState& s = machine.sound_cpu;
    int32_t elapsed = s.budget - s.cycles_left - s.cut_off;
    if (clear) s.budget = s.cycles_left = s.cut_off = 0;
    return elapsed;
}

void sound_cpu_release_slice() {
    SoundCpuState& s = machine.sound_cpu;
    if (s.cycles_left >= 0) {
        s.budget -= s.cycles_left;
        s.cycles_left = 0;
    }
}

int sound_cpu_interrupt(int data) {
    if (machine.sound_cpu.iff1 == 0) return 1;
    accept_interrupt(data);
    return 0;
}

int sound_cpu_nmi() {
    SoundCpuState& s = machine.sound_cpu;
    s.context.halted = 0;
    s.context.sp = static_cast<uint16_t>(s.context.sp - 2);
    write16(s.context.sp, s.context.pc);
    s.context.pc = s.context.nmi_address;
    // IFF2 keeps the enable as it was before the first NMI, as on the chip: copying IFF1 into it
    // would make an NMI taken inside the NMI handler (two sound commands back to back) save 0,
    // and the RETNs would leave maskable interrupts off for good.
    s.iff1 = 0;
    return 0;
}

void sound_cpu_set_irq_line(int level) {
    SoundCpuState& s = machine.sound_cpu;
    s.irq_line = static_cast<uint8_t>(level != 0);
    if (level != 0 && sound_cpu_interrupt(0) == 0) s.cycles_left -= 13;
}
