#include "weather/weather_report.h"

#include <mutex>

namespace {
// The shared report. Owner: whoever holds g_reportLock; every read takes a
// whole copy and every write replaces the whole record, so no reader ever
// sees a load half done.
std::mutex g_reportLock;
WeatherReport g_report;

// The feed's code for "not available" in a forecast icon.
constexpr int32_t kIconNotAvailable = 44;
}  // namespace

WeatherReport CurrentWeatherReport() {
    std::lock_guard<std::mutex> lock(g_reportLock);
    return g_report;
}

void PublishWeatherReport(const WeatherReport& report) {
    std::lock_guard<std::mutex> lock(g_reportLock);
    g_report = report;
}

WeatherReport WeatherReportForForecast() {
    std::lock_guard<std::mutex> lock(g_reportLock);
    ForecastDay& first = g_report.Days[0];
    if (first.DayIcon == kIconNotAvailable) {
        first.DayIcon = g_report.CurrentIcon;
        first.High = g_report.CurrentTemp;
        first.DayText = g_report.Conditions;
    }
    return g_report;
}
