#include "app/profiler.h"

#include <chrono>

bool profiler_on = false;

namespace {

constexpr int MAX_DEPTH = 16;
ProfileTotals totals;
ProfileZone stack[MAX_DEPTH];
int depth = 0;
std::chrono::steady_clock::time_point last;

void charge_current(std::chrono::steady_clock::time_point now) {
    const ProfileZone zone = depth > 0 ? stack[(depth < MAX_DEPTH ? depth : MAX_DEPTH) - 1] : ZONE_OTHER;
    totals.nanoseconds[zone] += static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now - last).count());
    last = now;
}

} // namespace

void profiler_enable(bool on) {
    profiler_on = on;
    profiler_reset();
}

void profiler_reset() {
    totals = ProfileTotals{};
    depth = 0;
    last = std::chrono::steady_clock::now();
}

ProfileTotals profiler_totals() {
    charge_current(std::chrono::steady_clock::now());
    return totals;
}

const char* profile_zone_name(int zone) {
    static const char* const names[ZONE_COUNT] = {"other", "main CPU", "sound CPU", "sound chip", "video chip", "scaler"};
    return zone >= 0 && zone < ZONE_COUNT ? names[zone] : "?";
}

void profiler_enter(ProfileZone zone) {
    charge_current(std::chrono::steady_clock::now());
    if (depth < MAX_DEPTH) stack[depth] = zone;
    ++depth;
}

void profiler_leave() {
    charge_current(std::chrono::steady_clock::now());
    if (depth > 0) --depth;
}
