// WeatherReport: the scanned weather feed, one process-wide record.
//
// Threads: loads run on the weather thread and on the main thread, panels
// are painted on the main thread. A load scans into a private record and
// publishes it whole under the report's lock; readers take one consistent
// copy. Nobody holds a pointer into the shared record.
#pragma once

#include <cstdint>

#include "base/fixed_text.h"

struct ClockTime {
    uint16_t Hour = 0;
    uint16_t Minute = 0;
};

struct ForecastDay {
    FixedText<100> Date;
    FixedText<100> DayText;
    FixedText<100> NightText;
    int32_t DayIcon = 0;
    int32_t High = 0;
    int32_t NightIcon = 0;
    int32_t Low = 0;
    // False when the provider gave no value: the field stays empty and the
    // graph leaves the day out. The feed of the spec's service always has one.
    bool HasHigh = true;
    bool HasLow = true;
};

struct WeatherReport {
    FixedText<100> LocationName;
    char16_t TempUnit = 0;
    int32_t CurrentTemp = 0;
    FixedText<100> Conditions;
    int32_t CurrentIcon = 0;
    ClockTime Sunrise;
    ClockTime Sunset;
    ForecastDay Days[5];
    FixedText<100> LastUpdated;
    int64_t FileTime = 0;        // last-write time of the cache file, UTC file time
    bool FromOpenMeteo = false;  // the panels then carry Open-Meteo's credit
};

// One consistent copy of the shared report.
WeatherReport CurrentWeatherReport();
// Replaces the shared report as a whole.
void PublishWeatherReport(const WeatherReport& report);
// For the forecast panel: when the first day's day icon is 44 (not
// available), the shared report's first day takes the current conditions'
// icon, temperature and text; returns a copy made under the same lock, so
// the change never races a load.
WeatherReport WeatherReportForForecast();
