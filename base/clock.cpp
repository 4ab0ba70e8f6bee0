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

CivilDate CivilDateOfDay(int64_t daysSince1970) {
    // Counted in 400-year eras from 0000-03-01, so that the leap day ends
    // its year and every era has the same length.
    const int64_t z = daysSince1970 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    CivilDate date;
    date.day = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
    date.month = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
    date.year = yoe + era * 400 + (date.month <= 2 ? 1 : 0);
    return date;
}
