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
