// The 10 kHz frame timer: ticks of 0.1 ms from the high-resolution counter, or from the
// millisecond clock when there is none.
#include "app/frame.h"
#include "host/platform/platform.h"
#include "machine.h"

namespace {

constexpr uint32_t TICKS_PER_SECOND = 10'000;
constexpr uint32_t MILLISECOND_CLOCK_FREQUENCY = 1000;

} // namespace

void timer_init() {
    FrameTimerState& timer = machine.app.frame;
    if (timer.timer_frequency != -1) return;
    uint64_t frequency = 0;
    // Only the low 32 bits of the frequency are kept; a counter slower than the tick (or one whose
    // low bits are that small) would divide by zero in timer_now, so it counts as no counter.
    if (platform_counter_frequency(&frequency) && static_cast<uint32_t>(frequency) >= TICKS_PER_SECOND) {
        timer.use_counter = 1;
        timer.frame_period = 166;
        timer.timer_frequency = static_cast<uint32_t>(frequency);
    } else {
        // The millisecond clock has 1 ms resolution on this platform without asking for it.
        timer.use_counter = 0;
        timer.timer_frequency = MILLISECOND_CLOCK_FREQUENCY;
    }
}

uint32_t timer_now() {
    const FrameTimerState& timer = machine.app.frame;
    if (timer.use_counter) {
        const uint32_t counter = static_cast<uint32_t>(platform_counter());
        return counter / (static_cast<uint32_t>(timer.timer_frequency) / TICKS_PER_SECOND);
    }
    return platform_milliseconds() * (TICKS_PER_SECOND / 1000);
}

// Nothing to give back: the millisecond clock needed no resolution request.
void timer_end() {}

void reset_pacing() {
    machine.app.frame.next_frame_time = timer_now();
}
