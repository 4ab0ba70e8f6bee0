// Five days of weather as a real feed delivers them, for the painting tests
// and the screenshots.
#pragma once

#include "weather/weather_report.h"

inline WeatherReport SampleReport() {
    WeatherReport r;
    r.LocationName.Assign(u"Saint-Petersburg, Russia");
    r.TempUnit = u'C';
    r.CurrentTemp = -3;
    r.Conditions.Assign(u"Light Snow");
    r.CurrentIcon = 14;
    r.Sunrise = {7, 0};
    r.Sunset = {16, 30};
    r.LastUpdated.Assign(u"12/8/26 12:50 PM Local Time");
    struct Day {
        const char16_t* date;
        const char16_t* dayText;
        const char16_t* nightText;
        int dayIcon, high, nightIcon, low;
    } days[5] = {
        {u"Dec 8", u"Snow Shower", u"Cloudy", 14, -1, 26, -6},
        {u"Dec 9", u"Partly Cloudy", u"Mostly Clear", 30, 2, 33, -4},
        {u"Dec 10", u"Rain / Snow", u"Rain", 5, 4, 11, 1},
        {u"Dec 11", u"Sunny", u"Clear", 32, 1, 31, -8},
        {u"Dec 12", u"Mostly Cloudy", u"Snow Showers Late", 28, -2, 14, -9},
    };
    for (int i = 0; i < 5; ++i) {
        ForecastDay& d = r.Days[i];
        d.Date.Assign(days[i].date);
        d.DayText.Assign(days[i].dayText);
        d.NightText.Assign(days[i].nightText);
        d.DayIcon = days[i].dayIcon;
        d.High = days[i].high;
        d.NightIcon = days[i].nightIcon;
        d.Low = days[i].low;
    }
    return r;
}
