#include "base/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {
// A manual clock is active while its flag is set; the value and the flag are
// separate atomics, set value first so a reader never sees a stale value.
struct ManualClock {
    std::atomic<bool> active{false};
    std::atomic<int64_t> value{0};
};
ManualClock g_tick, g_file, g_cal;

int64_t SinceUnixEpoch100ns() {
    using namespace std::chrono;
    return duration_cast<duration<int64_t, std::ratio<1, 10'000'000>>>(
               system_clock::now().time_since_epoch())
        .count();
}
}  // namespace

uint32_t TickCount() {
    if (g_tick.active.load()) return static_cast<uint32_t>(g_tick.value.load());
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int64_t FileTimeNow() {
    if (g_file.active.load()) return g_file.value.load();
    return kFileTimeUnixEpoch + SinceUnixEpoch100ns();
}

int64_t CalendarSecondsNow() {
    if (g_cal.active.load()) return g_cal.value.load();
    return SinceUnixEpoch100ns() / kFileTimeTicksPerSecond;
}

void SleepMillis(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetManualTickCount(uint32_t ms) {
    g_tick.value = ms;
    g_tick.active = true;
}
void SetManualFileTime(int64_t ft) {
    g_file.value = ft;
    g_file.active = true;
}
void SetManualCalendarSeconds(int64_t s) {
    g_cal.value = s;
    g_cal.active = true;
}
void ResetClocks() {
    g_tick.active = false;
    g_file.active = false;
    g_cal.active = false;
}
