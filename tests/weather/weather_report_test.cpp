#include "weather/weather_report.h"

#include <gtest/gtest.h>

namespace {
WeatherReport SampleReport(int32_t firstDayIcon) {
    WeatherReport r;
    r.LocationName.Assign(u"Oslo");
    r.CurrentIcon = 26;
    r.CurrentTemp = -4;
    r.Conditions.Assign(u"Fog");
    r.Days[0].DayIcon = firstDayIcon;
    r.Days[0].High = 3;
    r.Days[0].DayText.Assign(u"Rain");
    r.Days[1].DayIcon = 44;
    return r;
}
}  // namespace

TEST(WeatherReportShared, ForecastTakesTheCurrentConditionsForAMissingFirstDay) {
    PublishWeatherReport(SampleReport(44));
    WeatherReport f = WeatherReportForForecast();
    EXPECT_EQ(f.Days[0].DayIcon, 26);
    EXPECT_EQ(f.Days[0].High, -4);
    EXPECT_EQ(f.Days[0].DayText, u"Fog");
    EXPECT_EQ(f.Days[1].DayIcon, 44);  // only the first day is replaced
    // The change stays in the shared report until the next load.
    EXPECT_EQ(CurrentWeatherReport().Days[0].DayText, u"Fog");

    PublishWeatherReport(SampleReport(12));
    f = WeatherReportForForecast();
    EXPECT_EQ(f.Days[0].DayIcon, 12);
    EXPECT_EQ(f.Days[0].High, 3);
    EXPECT_EQ(f.Days[0].DayText, u"Rain");
    PublishWeatherReport(WeatherReport{});
}
