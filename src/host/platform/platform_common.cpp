// The parts of the platform layer every back end shares: the event queue, the resource table,
// processor identification and the split of sound buffer locks.
#include <cpuid.h>

#include <deque>

#include "host/platform/platform.h"
#include "host/platform/platform_internal.h"

CpuidHook platform_cpuid_hook = nullptr;

namespace {

std::deque<WindowEvent> event_queue;

constexpr int RESOURCE_SLOTS = 256;
ResourceData resources[RESOURCE_SLOTS];

} // namespace

void event_post(WindowEventType type, int32_t param) { event_queue.push_back(WindowEvent{type, param}); }

bool event_peek() {
    if (event_queue.empty()) platform_pump_events();
    return !event_queue.empty();
}

bool event_get(WindowEvent* event) {
    if (event_queue.empty()) return false;
    *event = event_queue.front();
    event_queue.pop_front();
    return true;
}

void event_clear() { event_queue.clear(); }

bool platform_find_resource(int id, ResourceData* out) {
    if (id < 0 || id >= RESOURCE_SLOTS || resources[id].data == nullptr) return false;
    *out = resources[id];
    return true;
}

void platform_register_resource(int id, const uint8_t* data, size_t size) {
    if (id < 0 || id >= RESOURCE_SLOTS) return;
    resources[id] = ResourceData{data, size};
}

void platform_clear_resources() {
    for (ResourceData& r : resources) r = ResourceData{};
}

bool platform_cpuid(uint32_t leaf, uint32_t regs[4]) {
    bool available = true;
    if (platform_cpuid_hook && platform_cpuid_hook(leaf, regs, &available)) return available;
#if defined(__x86_64__) || defined(__i386__)
    unsigned a = 0, b = 0, c = 0, d = 0;
    // clang's cpuid.h returns int here, gcc's unsigned.
    if (static_cast<uint32_t>(__get_cpuid_max(0, nullptr)) < leaf && leaf != 0) {
        regs[0] = regs[1] = regs[2] = regs[3] = 0;
        return true;
    }
    __cpuid(leaf, a, b, c, d);
    regs[0] = a;
    regs[1] = b;
    regs[2] = c;
    regs[3] = d;
    return true;
#else
    (void)leaf;
    (void)regs;
    return false;
#endif
}

bool sound_ring_lock_parts(uint8_t* data, uint32_t size, uint32_t offset, uint32_t bytes, uint8_t** part1,
                           uint32_t* bytes1, uint8_t** part2, uint32_t* bytes2) {
    if (offset >= size || bytes > size) return false;
    *part1 = data + offset;
    *bytes1 = bytes < size - offset ? bytes : size - offset;
    *part2 = *bytes1 < bytes ? data : nullptr;
    *bytes2 = bytes - *bytes1;
    return true;
}
