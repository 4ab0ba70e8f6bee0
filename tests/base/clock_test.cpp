#include "base/clock.h"

#include <gtest/gtest.h>

TEST(Clocks, ManualValuesAreReturnedUntilReset) {
    SetManualTickCount(0xFFFFFFF0u);
    SetManualFileTime(kFileTimeUnixEpoch + 5 * kFileTimeTicksPerSecond);
    SetManualCalendarSeconds(1234);
    EXPECT_EQ(TickCount(), 0xFFFFFFF0u);
    EXPECT_EQ(FileTimeNow(), kFileTimeUnixEpoch + 50'000'000);
    EXPECT_EQ(CalendarSecondsNow(), 1234);
    ResetClocks();
    // The real clocks agree with each other on the calendar second.
    int64_t fromFileTime = (FileTimeNow() - kFileTimeUnixEpoch) / kFileTimeTicksPerSecond;
    EXPECT_LE(std::abs(fromFileTime - CalendarSecondsNow()), 1);
    EXPECT_GT(CalendarSecondsNow(), 1'700'000'000);
}
