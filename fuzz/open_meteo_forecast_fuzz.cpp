// The Open-Meteo forecast reader: any reply gives a report whose texts fit
// their fields and whose icons are pictures the panels have (or "not
// available"); a reply read as having current conditions has its time.
#include <string_view>

#include "fuzz_support.h"
#include "weather/open_meteo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WeatherReport report;
    const bool current = ReadOpenMeteoForecast(Bytes(data, size), u"Place", report);
    Require(!current || !report.LastUpdated.empty(), "current conditions have a time");
    auto icon = [](int32_t code) { return code >= 0 && code <= 47; };
    if (current) Require(icon(report.CurrentIcon), "current icon drawable");
    for (const ForecastDay& day : report.Days)
        Require(icon(day.DayIcon) || !report.FromOpenMeteo, "day icon drawable");
    Require(report.Sunrise.Hour <= 24 && report.Sunset.Hour <= 24 && report.Sunrise.Minute < 60 &&
                report.Sunset.Minute < 60,
            "a clock time");
    return 0;
}
