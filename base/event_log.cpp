#include "base/event_log.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

std::atomic<bool> EventLogEnabled{false};

namespace {
// Taken before main: the dynamic loader's work is all that comes earlier.
const std::chrono::steady_clock::time_point g_processBegan = std::chrono::steady_clock::now();
std::atomic<unsigned> g_startMomentsLogged{0};

// One line is written under this lock, so lines of threads never mix.
std::mutex g_logLock;

// The wall clock, not the saver's test-driven clocks: a log line tells when
// it happened. The calendar arithmetic of <chrono> needs no C library call
// that is either thread-unsafe or platform-specific.
std::string Timestamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss<milliseconds> time{duration_cast<milliseconds>(now - day)};
    char text[64];  // room for any year the clock can give
    std::snprintf(
        text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d.%03d", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
        static_cast<int>(time.seconds().count()), static_cast<int>(time.subseconds().count()));
    return text;
}
}  // namespace

void LogEvent(std::string_view text) {
    if (!EventLogEnabled.load()) return;
    std::string line = "skyreel: " + Timestamp() + " ";
    line += text;
    line += '\n';
    std::lock_guard<std::mutex> lock(g_logLock);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void LogStartMoment(StartMoment moment) {
    static constexpr const char* kNames[] = {"process",
                                             "window and GL context",
                                             "first photo chosen",
                                             "first photo decoded",
                                             "first photo uploaded",
                                             "first photo presented"};
    const unsigned bit = 1u << static_cast<unsigned>(moment);
    if (!EventLogEnabled.load() || (g_startMomentsLogged.fetch_or(bit) & bit) != 0) return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - g_processBegan);
    LogEvent(std::string("start: ") + kNames[static_cast<unsigned>(moment)] + ", " +
             std::to_string(ms.count()) + " ms");
}
