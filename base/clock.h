// The saver's three clocks, read through one seam so that tests can drive
// them: a 32-bit millisecond tick counter that wraps, UTC file time in
// 100 ns units since 1601-01-01, and whole calendar seconds since 1970.
// Tests switch a clock to a manual value; sleeping always uses real time.
#pragma once

#include <cstdint>

uint32_t TickCount();
int64_t FileTimeNow();
int64_t CalendarSecondsNow();
void SleepMillis(int ms);

constexpr int64_t kFileTimeTicksPerSecond = 10'000'000;
constexpr int32_t kSecondsPerHour = 3600;
constexpr int32_t kSecondsPerDay = 24 * kSecondsPerHour;
constexpr int32_t kSecondsPerWeek = 7 * kSecondsPerDay;
// File time of 1970-01-01 00:00:00 UTC.
constexpr int64_t kFileTimeUnixEpoch = 116'444'736'000'000'000;

// The proleptic Gregorian date of a day counted from 1970-01-01 (day 0),
// negative days included.
struct CivilDate {
    int64_t year = 1970;
    int32_t month = 1;  // 1..12
    int32_t day = 1;    // 1..31
};
CivilDate CivilDateOfDay(int64_t daysSince1970);

// Test seam. Each manual clock returns exactly the value last set; calls are
// thread-safe. ResetClocks() returns all three to the real clocks.
void SetManualTickCount(uint32_t ms);
void SetManualFileTime(int64_t ft);
void SetManualCalendarSeconds(int64_t s);
void ResetClocks();
