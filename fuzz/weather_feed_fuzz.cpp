// The weather scanner and the report loader: any bytes give a report whose
// clock times are in range and whose texts fit their fields, and the loader
// reading them from "weather.xml" publishes the same report.
#include <filesystem>
#include <string>

#include "base/process_state.h"
#include "fuzz_support.h"
#include "weather/weather_feed.h"
#include "weather/weather_scanner.h"

namespace {
std::filesystem::path g_folder;

void CheckTime(const ClockTime& t) {
    Require(t.Hour < 24 && t.Minute < 60, "clock times stay in range");
}

bool SameWeather(const WeatherReport& a, const WeatherReport& b) {
    bool same = a.LocationName == b.LocationName && a.TempUnit == b.TempUnit &&
                a.CurrentTemp == b.CurrentTemp && a.Conditions == b.Conditions &&
                a.CurrentIcon == b.CurrentIcon && a.LastUpdated == b.LastUpdated &&
                a.Sunrise.Hour == b.Sunrise.Hour && a.Sunrise.Minute == b.Sunrise.Minute &&
                a.Sunset.Hour == b.Sunset.Hour && a.Sunset.Minute == b.Sunset.Minute;
    for (int i = 0; i < 5; ++i) {
        const ForecastDay& x = a.Days[i];
        const ForecastDay& y = b.Days[i];
        same = same && x.Date == y.Date && x.DayText == y.DayText && x.NightText == y.NightText &&
               x.DayIcon == y.DayIcon && x.High == y.High && x.NightIcon == y.NightIcon &&
               x.Low == y.Low;
    }
    return same;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_folder = MakeFuzzDataFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string feed = Bytes(data, size);
    WeatherScanner scanner;
    WeatherReport report;
    FeedWeatherBytes(scanner, report, feed);
    CheckTime(report.Sunrise);
    CheckTime(report.Sunset);
    Require(report.LocationName.size() <= 99 && report.LastUpdated.size() <= 99, "texts fit");
    Require(scanner.DayIndex >= 0, "the day index never goes below the first day");

    WriteBytes(g_folder / "weather.xml", feed);
    LoadWeatherCache();
    Require(SameWeather(CurrentWeatherReport(), report), "the loader reads what the scanner reads");
    DiscardWeatherCache();
    Require(FolderListing(g_folder).empty(), "nothing is left in the data folder");
    return 0;
}
