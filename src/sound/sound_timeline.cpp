// The sound timeline: the event queue of timed chip events, the timer callback that schedules the
// chip's timers on it, and the slicing of the sound CPU so that each event happens at its cycle.
#include <cstring>

#include "app/profiler.h"
#include "cpuz80/cpuz80.h"
#include "machine.h"
#include "sound/chip_internal.h"
#include "sound/sound.h"

namespace {

const SoundCpuCalls core_calls = {sound_cpu_run, sound_cpu_elapsed, sound_cpu_release_slice,
                                  sound_cpu_interrupt, sound_cpu_set_irq_line};

// Runs every event whose time has come, earliest first.
void run_due_events() {
    SoundTiming& t = machine.sound_timing;
    while (t.event_count > 0 && t.sound_time >= t.events[0].time) {
        const SoundEvent event = t.events[0];
        sound_event_remove(event.handle);
        event.routine(event.argument);
    }
}

int32_t cycles_per_frame() {
    const int32_t e = machine.sound_timing.cycles_per_frame;
    return e > 0 ? e : SOUND_CYCLES_PER_FRAME;
}

} // namespace

const SoundCpuCalls& sound_cpu_calls() {
    const SoundCpuCalls* calls = machine.sound_timing.cpu;
    return calls != nullptr ? *calls : core_calls;
}

int32_t sound_cycles_in_slice() {
    // Between runs the core's counters still hold the last run (when it was not cleared), which
    // sound time already includes: count them only while a run is in progress.
    return machine.sound_timing.in_run ? sound_cpu_calls().elapsed(0) : 0;
}

uint32_t sound_event_insert(int32_t time, int32_t argument, void (*routine)(int32_t)) {
    SoundTiming& t = machine.sound_timing;
    const uint32_t handle = t.next_handle++;
    if (t.next_handle == 0) t.next_handle = 1; // 0 means "no event"
    if (t.event_count >= EVENT_QUEUE_SIZE) return handle;
    int i = t.event_count;
    // Equal times keep their order of insertion.
    while (i > 0 && t.events[i - 1].time > time) {
        t.events[i] = t.events[i - 1];
        --i;
    }
    t.events[i] = SoundEvent{time, handle, argument, routine};
    ++t.event_count;
    return handle;
}

void sound_event_remove(uint32_t handle) {
    SoundTiming& t = machine.sound_timing;
    for (int i = 0; i < t.event_count; ++i) {
        if (t.events[i].handle != handle) continue;
        for (int j = i + 1; j < t.event_count; ++j)
            t.events[j - 1] = t.events[j];
        --t.event_count;
        return;
    }
}

void sound_timer_callback(int index, int32_t count) {
    SoundTiming& t = machine.sound_timing;
    if (index < 0 || index > 1) return;
    if (count == 0) {
        if (t.timer_event[index] != 0) sound_event_remove(t.timer_event[index]);
        t.timer_event[index] = 0;
        return;
    }
    if (t.timer_event[index] != 0) return;
    const int32_t now = t.sound_time + sound_cycles_in_slice();
    const double unit =
        machine.sound_chip.timer_unit > 0 ? machine.sound_chip.timer_unit : 144.0 / 8'000'000.0;
    const double cycles =
        t.seconds_per_cycle > 0 ? count * unit / t.seconds_per_cycle : count * unit * SOUND_CPU_RATE;
    const auto time = static_cast<int32_t>(now + cycles);
    t.timer_event[index] = sound_event_insert(time, index, chip_timer_expired);
    if (t.in_run && time < t.run_start + t.slice_end) {
        sound_cpu_calls().release_slice();
        t.event_inserted = 1;
    }
}

void set_sound_clocks() {
    SoundTiming& t = machine.sound_timing;
    t.cpu_rate = SOUND_CPU_RATE;
    t.seconds_per_cycle = 1.0 / SOUND_CPU_RATE;
    t.cycles_per_frame = SOUND_CPU_RATE / 60;
}

void sound_timeline_reset() {
    SoundTiming& t = machine.sound_timing;
    t.event_count = 0;
    t.timer_event[0] = t.timer_event[1] = 0;
    t.sound_time = 0;
    t.slice_end = 0;
    t.run_start = 0;
    t.in_run = 0;
    t.event_inserted = 0;
    t.emulated_cycles = 0;
    t.emulated_seconds = 0;
    // A timer the chip still counts as running gets its event back on the new timeline.
    SoundChipState& chip = machine.sound_chip;
    if (chip.timer_callback == nullptr) return;
    if (chip.timer_a_running != 0) chip.timer_callback(0, chip.timer_a_running);
    if (chip.timer_b_running != 0) chip.timer_callback(1, chip.timer_b_running);
}

void run_sound_cpu(int32_t target, bool end_of_frame) {
    SoundTiming& t = machine.sound_timing;
    const SoundCpuCalls& cpu = sound_cpu_calls();
    const int32_t frame = cycles_per_frame();
    if (target > frame) target = frame;

    while (!t.failed && t.sound_time < target) {
        // Events made due between runs (the 11 cycles of a sound command) come first, so a run
        // never gets a length of 0 or less.
        run_due_events();
        int32_t length = target - t.sound_time;
        if (t.event_count > 0 && target >= t.events[0].time) length = t.events[0].time - t.sound_time;
        t.slice_end = length;
        t.run_start = t.sound_time;
        t.in_run = 1;
        uint32_t result;
        {
            ProfileScope zone(ZONE_SOUND_CPU);
            result = cpu.run(length);
        }
        t.in_run = 0;
        if (result != SOUND_CPU_RUN_OK) {
            t.failed = 1;
            machine.app.sound_enabled = 0;
            break;
        }
        int32_t ran;
        if (machine.sound_cpu.ei_pending) {
            ran = cpu.elapsed(0) + 13;
            cpu.interrupt(0);
        } else if (t.event_inserted) {
            ran = cpu.elapsed(0);
            t.event_inserted = 0;
        } else {
            ran = cpu.elapsed(1);
        }
        // A halted CPU executes nothing and reports 0 cycles: its time still passes, up to the
        // next event that may wake it (otherwise the loop would never end).
        t.sound_time += ran > 0 ? ran : length;
        run_due_events();
    }

    if (!end_of_frame) return;
    // Events move back by one frame, the same amount the frame driver takes off sound time, so
    // that cycles run past the end of the frame do not shift the timers.
    for (int i = 0; i < t.event_count; ++i)
        t.events[i].time -= frame;
    t.emulated_cycles += frame;
    const int32_t rate = t.cpu_rate > 0 ? t.cpu_rate : SOUND_CPU_RATE;
    while (t.emulated_cycles >= rate) {
        t.emulated_cycles -= rate;
        ++t.emulated_seconds;
    }
}
