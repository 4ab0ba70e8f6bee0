#include "base/event_log.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

std::atomic<bool> EventLogEnabled{false};

namespace {
// One line is written under this lock, so lines of threads never mix.
std::mutex g_logLock;

// The wall clock, not the saver's test-driven clocks: a log line tells when
// it happened.
std::string Timestamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &seconds);
#else
    gmtime_r(&seconds, &utc);
#endif
    char text[64];  // room for any year the library can give
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(millis));
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
