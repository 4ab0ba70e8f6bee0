#include "base/clock.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/event_log.h"

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

TEST(EventLog, SilentUntilEnabledThenOneTimestampedLinePerEvent) {
    testing::internal::CaptureStderr();
    LogEvent("nobody hears this");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    EventLogEnabled = true;
    testing::internal::CaptureStderr();
    LogEvent("cache scan: 3 photos");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) LogEvent("thread " + std::to_string(t));
        });
    for (auto& th : threads) th.join();
    std::string log = testing::internal::GetCapturedStderr();
    EventLogEnabled = false;

    std::istringstream lines(log);
    std::string line;
    int count = 0;
    const std::regex shape(
        R"(skyreel: \d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (cache scan: 3 photos|thread [0-3]))");
    while (std::getline(lines, line)) {
        EXPECT_TRUE(std::regex_match(line, shape)) << line;
        ++count;
    }
    EXPECT_EQ(count, 201);
}

// Day numbers around the epoch, leap days (2000 is one, 1900 is not) and a
// day before 1970.
TEST(Clocks, CivilDatesOfDayNumbers) {
    auto date = [](int64_t day) {
        const CivilDate d = CivilDateOfDay(day);
        return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
    };
    EXPECT_EQ(date(0), "1970-1-1");
    EXPECT_EQ(date(-1), "1969-12-31");
    EXPECT_EQ(date(11016), "2000-2-29");
    EXPECT_EQ(date(11017), "2000-3-1");
    EXPECT_EQ(date(-25508), "1900-3-1");  // 1900-02-28 is the day before
    EXPECT_EQ(date(-25509), "1900-2-28");
    EXPECT_EQ(date(20795), "2026-12-8");
}
