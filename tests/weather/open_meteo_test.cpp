#include "weather/open_meteo.h"

#include <gtest/gtest.h>

#include <set>

#include "base/text.h"
#include "net/endpoints.h"
#include "settings/settings.h"
#include "support/comma_locale.h"
#include "weather/open_meteo_replies.h"

namespace {
using namespace open_meteo_replies;
using nlohmann::json;

WeatherReport Read(const std::string& reply, bool expectCurrent = true) {
    WeatherReport r;
    EXPECT_EQ(ReadOpenMeteoForecast(reply, u"Enschede, Overijssel, The Netherlands", r),
              expectCurrent);
    return r;
}

// Six days of hourly codes where day `day` holds `codes` from hour `from` on.
HourlyCodes WithHours(int day, int from, const std::vector<int>& codes, int rest = 1) {
    HourlyCodes hourly = SameCodeEveryHour(rest);
    for (std::size_t i = 0; i < codes.size(); ++i) hourly[day * 24 + from + i] = codes[i];
    return hourly;
}

TEST(OpenMeteoForecast, CelsiusReplyFieldByField) {
    WeatherReport r = Read(Forecast('C'));
    EXPECT_TRUE(r.FromOpenMeteo);
    EXPECT_EQ(r.LocationName, u"Enschede, Overijssel, The Netherlands");
    EXPECT_EQ(r.TempUnit, u'C');
    EXPECT_EQ(r.CurrentTemp, 18);  // 17.7
    EXPECT_EQ(r.Conditions, u"Partly Cloudy");
    EXPECT_EQ(r.CurrentIcon, 30);
    EXPECT_EQ(r.Sunrise.Hour, 7);
    EXPECT_EQ(r.Sunrise.Minute, 36);
    EXPECT_EQ(r.Sunset.Hour, 19);
    EXPECT_EQ(r.Sunset.Minute, 5);
    EXPECT_EQ(r.LastUpdated, u"10/3/26 12:30 PM Local Time");
    const char16_t* dates[] = {u"Oct 3", u"Oct 4", u"Oct 5", u"Oct 6", u"Oct 7"};
    const int highs[] = {21, 20, 22, 16, 15};
    // Half a degree below zero rounds to -1.
    const int lows[] = {8, 11, 12, 8, -1};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(r.Days[i].Date, dates[i]);
        EXPECT_EQ(r.Days[i].High, highs[i]);
        EXPECT_EQ(r.Days[i].Low, lows[i]);
        EXPECT_EQ(r.Days[i].DayIcon, 30);
        EXPECT_EQ(r.Days[i].NightIcon, 29);
        EXPECT_EQ(r.Days[i].DayText, u"Partly Cloudy");
        EXPECT_EQ(r.Days[i].NightText, u"Partly Cloudy");
    }
}

TEST(OpenMeteoForecast, FahrenheitReplyAndNightConditions) {
    json reply = ForecastJson('F', SameCodeEveryHour(0));
    reply["current"]["weather_code"] = 0;
    reply["current"]["is_day"] = 0;
    reply["current"]["time"] = "2026-10-03T00:15";
    WeatherReport r = Read(reply.dump());
    EXPECT_EQ(r.TempUnit, u'F');
    EXPECT_EQ(r.CurrentTemp, 64);
    EXPECT_EQ(r.Conditions, u"Clear");
    EXPECT_EQ(r.CurrentIcon, 31);
    EXPECT_EQ(r.LastUpdated, u"10/3/26 12:15 AM Local Time");
    EXPECT_EQ(r.Days[0].High, 69);
    EXPECT_EQ(r.Days[0].Low, 47);
    EXPECT_EQ(r.Days[0].DayText, u"Sunny");
    EXPECT_EQ(r.Days[0].DayIcon, 32);
    EXPECT_EQ(r.Days[0].NightText, u"Clear");
    EXPECT_EQ(r.Days[0].NightIcon, 31);
}

TEST(OpenMeteoForecast, DayAndNightFromHourlyWindows) {
    // Showers from 12:00 to 13:00 make the day; one thunder hour does not.
    WeatherReport r = Read(Forecast('C', WithHours(0, 6, {1, 1, 2, 2, 3, 3, 61, 61, 95, 3, 2, 2})));
    EXPECT_EQ(r.Days[0].DayText, u"Light Rain");
    EXPECT_EQ(r.Days[0].DayIcon, 11);

    // The night runs from 18:00 to 05:00 of the next day: fog after
    // midnight belongs to day 1's night, not day 2's.
    r = Read(Forecast('C', WithHours(2, 2, {45, 45, 45})));
    EXPECT_EQ(r.Days[1].NightText, u"Fog");
    EXPECT_EQ(r.Days[2].NightText, u"Mostly Clear");
    EXPECT_EQ(r.Days[2].DayText, u"Mostly Sunny");

    // Fog at 05:00 and 06:00 is one hour in each window: neither lasts.
    r = Read(Forecast('C', WithHours(3, 5, {45, 45})));
    EXPECT_EQ(r.Days[2].NightText, u"Mostly Clear");
    EXPECT_EQ(r.Days[3].DayText, u"Mostly Sunny");

    // Day 4's night closes with day 5's early hours, the reason for the sixth day.
    r = Read(Forecast('C', WithHours(5, 0, {73, 73, 73})));
    EXPECT_EQ(r.Days[4].NightText, u"Snow");
}

TEST(OpenMeteoForecast, WindowRules) {
    // The most severe of the lasting codes, not the most severe code.
    EXPECT_EQ(WindowWeatherCode({61, 61, 63, 1, 1, 1, 1, 1, 95}), 61);
    EXPECT_EQ(WindowWeatherCode({61, 61, 63, 63, 1, 1}), 63);
    // Sky codes: the most frequent, ties to the cloudier.
    EXPECT_EQ(WindowWeatherCode({0, 0, 0, 3, 3, 2}), 0);
    EXPECT_EQ(WindowWeatherCode({0, 0, 3, 3, 95}), 3);
    // Only brief weather: the worst of it rather than nothing.
    EXPECT_EQ(WindowWeatherCode({61, 95}), 95);
    // Nulls and unknown codes count for nothing.
    EXPECT_EQ(WindowWeatherCode({-1, 4, 100, -1}), -1);
    EXPECT_EQ(WindowWeatherCode({}), -1);
}

TEST(OpenMeteoForecast, WmoTableAndUnknownCodes) {
    const std::set<int> codes = {0,  1,  2,  3,  45, 48, 51, 53, 55, 56, 57, 61, 63, 65,
                                 66, 67, 71, 73, 75, 77, 80, 81, 82, 85, 86, 95, 96, 99};
    for (int code = -5; code < 120; ++code) {
        SCOPED_TRACE(code);
        const WmoRow* row = FindWmoRow(code);
        ASSERT_EQ(row != nullptr, codes.count(code) == 1);
        if (!row) continue;
        // Both icons are pictures the panels draw, never "not available".
        EXPECT_GE(row->dayIcon, 0);
        EXPECT_LE(row->dayIcon, 47);
        EXPECT_GE(row->nightIcon, 0);
        EXPECT_LE(row->nightIcon, 47);
        EXPECT_NE(std::u16string_view(row->dayText), u"");
        EXPECT_NE(std::u16string_view(row->nightText), u"");
    }
    EXPECT_EQ(FindWmoRow(95)->dayIcon, 4);
    EXPECT_EQ(FindWmoRow(45)->dayText, std::u16string_view(u"Fog"));

    json reply = ForecastJson('C', SameCodeEveryHour(5));
    reply["current"]["weather_code"] = 100;
    WeatherReport r = Read(reply.dump());
    EXPECT_EQ(r.CurrentIcon, 44);
    EXPECT_EQ(r.Conditions, u"");
    EXPECT_EQ(r.Days[0].DayIcon, 44);
    EXPECT_EQ(r.Days[0].DayText, u"");
}

TEST(OpenMeteoForecast, PolarNightAndPolarDay) {
    json reply = ForecastJson('C', SameCodeEveryHour(3));
    reply["daily"]["sunrise"][0] = "2026-10-03T00:00";
    reply["daily"]["sunset"][0] = "2026-10-03T00:00";
    WeatherReport r = Read(reply.dump());
    EXPECT_EQ(r.Sunrise.Hour, 0);
    EXPECT_EQ(r.Sunrise.Minute, 0);
    EXPECT_EQ(r.Sunset.Hour, 0);
    EXPECT_EQ(r.Sunset.Minute, 0);

    reply["daily"]["sunset"][0] = "2026-10-04T00:00";
    r = Read(reply.dump());
    EXPECT_EQ(r.Sunrise.Hour, 0);
    EXPECT_EQ(r.Sunset.Hour, 24);
    EXPECT_EQ(r.Sunset.Minute, 0);
}

TEST(OpenMeteoForecast, NullsAndShortArraysNeverShiftDays) {
    json reply = ForecastJson('C', SameCodeEveryHour(2));
    reply["daily"]["temperature_2m_max"][1] = nullptr;
    reply["daily"]["temperature_2m_min"].erase(0);  // one short: no low is taken
    reply["daily"]["sunrise"] = "07:36";
    WeatherReport r = Read(reply.dump());
    EXPECT_EQ(r.Days[0].High, 21);
    EXPECT_FALSE(r.Days[1].HasHigh);
    EXPECT_TRUE(r.Days[2].HasHigh);
    EXPECT_EQ(r.Days[2].High, 22);
    for (const ForecastDay& day : r.Days) EXPECT_FALSE(day.HasLow);
    EXPECT_EQ(r.Sunrise.Hour, 0);
    EXPECT_EQ(r.Sunset.Hour, 0);

    // Hourly codes one short of their times: no day or night conditions.
    reply = ForecastJson('C', SameCodeEveryHour(2));
    reply["hourly"]["weather_code"].erase(0);
    r = Read(reply.dump());
    EXPECT_EQ(r.Days[0].DayIcon, 44);
    EXPECT_EQ(r.Days[4].NightIcon, 44);
    EXPECT_EQ(r.Days[0].High, 21);

    // Strings where numbers belong, 1e308 and -0.
    reply = ForecastJson('C', SameCodeEveryHour(2));
    reply["daily"]["temperature_2m_max"][0] = "20.6";
    reply["daily"]["temperature_2m_max"][1] = 1e308;
    reply["daily"]["temperature_2m_max"][2] = -0.0;
    r = Read(reply.dump());
    EXPECT_FALSE(r.Days[0].HasHigh);
    EXPECT_FALSE(r.Days[1].HasHigh);
    EXPECT_TRUE(r.Days[2].HasHigh);  // -0 is a temperature
    EXPECT_EQ(r.Days[2].High, 0);
    EXPECT_EQ(r.Days[3].High, 16);

    // Without daily arrays no day has a value or a picture.
    reply.erase("daily");
    r = Read(reply.dump());
    for (const ForecastDay& day : r.Days) {
        EXPECT_FALSE(day.HasHigh || day.HasLow);
        EXPECT_EQ(day.DayIcon, 44);
        EXPECT_EQ(day.NightIcon, 44);
    }

    // Without current conditions there is nothing to show.
    for (const char* key : {"temperature_2m", "weather_code", "time"}) {
        SCOPED_TRACE(key);
        reply = ForecastJson('C', SameCodeEveryHour(2));
        reply["current"][key] = nullptr;
        r = Read(reply.dump(), false);
        EXPECT_EQ(r.LastUpdated, u"");
    }
    reply.erase("current");
    Read(reply.dump(), false);
}

TEST(OpenMeteoForecast, RefusalsAndGarbageGiveNoReport) {
    for (const std::string& reply :
         {std::string(kRateLimited), std::string(kOverloaded), std::string(kBadRequest),
          std::string("<html><body>502 Bad Gateway</body></html>"), std::string("[]"),
          Forecast().substr(0, 700), std::string()}) {
        WeatherReport r = Read(reply, false);
        EXPECT_EQ(r.LastUpdated, u"");
        EXPECT_TRUE(r.LocationName.empty());
    }
}

TEST(OpenMeteoPlaces, CodesAndTheOldDefault) {
    const CommaLocale comma;
    PlaceCoordinates p;
    ASSERT_TRUE(PlaceFromCode(u"RSXX0091", p));
    EXPECT_DOUBLE_EQ(p.latitude, 59.9386);
    EXPECT_DOUBLE_EQ(p.longitude, 30.3141);
    ASSERT_TRUE(PlaceFromCode(u"-33.8688,151.2093", p));
    EXPECT_DOUBLE_EQ(p.latitude, -33.8688);
    EXPECT_EQ(PlaceCode(p), u"-33.8688,151.2093");
    // The longest code fits the 19 characters of the setting.
    EXPECT_EQ(PlaceCode({-89.99999, -179.99999}), u"-90.0000,-180.0000");
    EXPECT_EQ(PlaceCode({-0.00001, 0}), u"-0.0000,0.0000");
    // As versions that followed the locale stored them: four decimals each.
    for (auto [stored, code] : {std::pair{u"52,5244,13,4105", u"52.5244,13.4105"},
                                {u"-0,5000,-179,9999", u"-0.5000,-179.9999"}}) {
        ASSERT_TRUE(PlaceFromCode(stored, p));
        EXPECT_EQ(PlaceCode(p), code);
        ApplySettingsText(u"weather_loc_id=" + std::u16string(stored));  // saved so next time
        EXPECT_EQ(Settings.weather_loc_id.view(), code);
    }
    for (std::u16string_view foreign :
         {u"USNY0996", u"", u"91,0", u"0,181", u"1e5,3", u"1,2,3", u"0x10,5", u"1,", u",1",
          u"--1,1", u"1.2.3,4", u"59.9386,30.3141&hourly=x"}) {
        SCOPED_TRACE(std::string(foreign.begin(), foreign.end()));
        EXPECT_FALSE(PlaceFromCode(foreign, p));
    }
    // Parts without a digit, and near misses of the old comma form.
    for (std::u16string_view foreign : {u"-,1", u".,1", u"1,-", u"1,.", u"-.,1", u"52,524,13,4105",
                                        u"52,5244,13,410x", u"52,5244,13,41050"})
        EXPECT_FALSE(PlaceFromCode(foreign, p)) << Utf16ToUtf8(foreign);
}

TEST(OpenMeteoPlaces, RequestsInTheirFixedForm) {
    ASSERT_TRUE(SetSiteOverride(u"http://127.0.0.1:9"));
    EXPECT_EQ(OpenMeteoForecastUrl({59.9386, 30.3141}, u'C'),
              u"http://127.0.0.1:9/v1/forecast?latitude=59.9386&longitude=30.3141"
              u"&current=temperature_2m,weather_code,is_day&hourly=weather_code,is_day"
              u"&daily=weather_code,temperature_2m_max,temperature_2m_min,sunrise,sunset"
              u"&timezone=auto&forecast_days=6");
    EXPECT_EQ(OpenMeteoForecastUrl({40.7143, -74.006}, u'F'),
              u"http://127.0.0.1:9/v1/forecast?latitude=40.7143&longitude=-74.0060"
              u"&current=temperature_2m,weather_code,is_day&hourly=weather_code,is_day"
              u"&daily=weather_code,temperature_2m_max,temperature_2m_min,sunrise,sunset"
              u"&timezone=auto&forecast_days=6&temperature_unit=fahrenheit");
    EXPECT_EQ(OpenMeteoSearchUrl(u"S\u00E3o Paulo&x"),
              u"http://127.0.0.1:9/v1/search?name=S%C3%A3o%20Paulo%26x&count=10"
              u"&language=en&format=json");
}

TEST(OpenMeteoPlaces, ListsNameRegionCountry) {
    std::vector<FoundPlace> places;
    ASSERT_EQ(ReadOpenMeteoPlaces(kPlaces, places), 2);
    EXPECT_EQ(places[0].label, u"Enschede, Overijssel, The Netherlands");
    EXPECT_EQ(places[0].code, u"52.2183,6.8958");
    EXPECT_EQ(places[1].label, u"Enschede Airport Twente, Overijssel, The Netherlands");
    EXPECT_EQ(places[1].code, u"52.2700,6.8742");

    places.clear();
    ASSERT_EQ(ReadOpenMeteoPlaces(kPlacesMissingFields, places), 2);
    EXPECT_EQ(places[0].label, u"Antarctica");
    EXPECT_EQ(places[0].code, u"-78.1586,16.4063");
    EXPECT_EQ(places[1].label, u"Atlantic Point, Maine, United States");

    places.clear();
    EXPECT_EQ(ReadOpenMeteoPlaces(kNoPlaces, places), 0);
    EXPECT_EQ(ReadOpenMeteoPlaces(R"({"results":[]})", places), 0);
    EXPECT_EQ(ReadOpenMeteoPlaces(R"({"results":{"name":"x"}})", places), -1);
    EXPECT_EQ(ReadOpenMeteoPlaces(kBadRequest, places), -1);
    EXPECT_EQ(ReadOpenMeteoPlaces("{\"results\":[", places), -1);
    EXPECT_TRUE(places.empty());
}

TEST(OpenMeteoPlaces, HostileEntries) {
    json answer = {{"results", json::array()}};
    answer["results"].push_back(
        {{"name", std::string(5000, 'x')}, {"latitude", 1}, {"longitude", 2}});
    answer["results"].push_back(
        {{"name", "Line\nbreak\x01"}, {"latitude", 1}, {"longitude", 2}, {"admin1", 7}});
    answer["results"].push_back({{"name", "No latitude"}, {"longitude", 2}});
    answer["results"].push_back({{"name", "Far"}, {"latitude", 1e308}, {"longitude", 2}});
    answer["results"].push_back({{"name", 42}, {"latitude", 1}, {"longitude", 2}});
    for (int i = 0; i < 10000; ++i)
        answer["results"].push_back({{"name", "Many"}, {"latitude", 1}, {"longitude", 2 + i}});
    std::vector<FoundPlace> places;
    ASSERT_EQ(ReadOpenMeteoPlaces(answer.dump(), places), 10);
    EXPECT_EQ(places[0].label.size(), 99u);
    EXPECT_EQ(places[1].label, u"Line break ");
    EXPECT_EQ(places[2].label, u"Many");
    // Places that read alike stay apart, so choosing one stores its own code.
    EXPECT_EQ(places[3].label, u"Many (1.0000,3.0000)");
    EXPECT_EQ(places[4].label, u"Many (1.0000,4.0000)");
}

}  // namespace
