// Time spent per part of the machine, for the headless runner's benchmark figures. Off unless a
// front end switches it on; when off a zone costs one predictable branch.
#pragma once
#include <cstdint>

enum ProfileZone : int {
    ZONE_OTHER = 0,
    ZONE_MAIN_CPU,
    ZONE_SOUND_CPU,
    ZONE_SOUND_CHIP,
    ZONE_VIDEO,
    ZONE_SCALER,
    ZONE_COUNT
};

struct ProfileTotals {
    uint64_t nanoseconds[ZONE_COUNT] = {};
};

void profiler_enable(bool on);
void profiler_reset();
ProfileTotals profiler_totals();
const char* profile_zone_name(int zone);

extern bool profiler_on;
void profiler_enter(ProfileZone zone);
void profiler_leave();

// Attributes the time of a scope to a zone; time spent in a nested zone counts for that zone only.
class ProfileScope {
  public:
    explicit ProfileScope(ProfileZone zone) : active_(profiler_on) {
        if (active_) profiler_enter(zone);
    }
    ~ProfileScope() {
        if (active_) profiler_leave();
    }
    ProfileScope(const ProfileScope&) = delete;
    ProfileScope& operator=(const ProfileScope&) = delete;

  private:
    bool active_;
};
