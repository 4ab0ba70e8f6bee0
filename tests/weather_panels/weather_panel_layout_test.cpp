#include "weather/weather_panel_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// The content rectangle of a screen on the 2048 x 2048 canvas.
struct Content {
    int left, top, right, bottom;
};
Content ContentFor(int w, int h) {
    return {(2048 - w) / 2, (2048 - h) / 2, (2048 + w) / 2, (2048 + h) / 2};
}

WeatherReport ReportAt(std::u16string_view lastUpdated) {
    WeatherReport r;
    r.LocationName.Assign(u"Testville");
    r.TempUnit = u'C';
    r.CurrentTemp = 21;
    r.Conditions.Assign(u"Partly Cloudy");
    r.CurrentIcon = 30;
    r.Sunrise = {7, 0};
    r.Sunset = {16, 30};
    r.LastUpdated.Assign(lastUpdated);
    const int highs[5] = {20, 24, 18, 22, 26};
    const int lows[5] = {10, 12, 8, 11, 14};
    for (int i = 0; i < 5; ++i) {
        r.Days[i].Date.Assign(u"Dec 8");
        r.Days[i].DayIcon = 32;
        r.Days[i].NightIcon = 31;
        r.Days[i].High = highs[i];
        r.Days[i].Low = lows[i];
    }
    return r;
}

CurrentPanelLayout Current(int w, int h, const WeatherReport& r) {
    Content c = ContentFor(w, h);
    return ComputeCurrentPanelLayout(c.left, c.top, c.right, c.bottom, r);
}
ForecastPanelLayout Forecast(int w, int h, const WeatherReport& r) {
    Content c = ContentFor(w, h);
    return ComputeForecastPanelLayout(c.left, c.top, c.right, c.bottom, r);
}

TEST(CurrentPanelLayout, PictureAndTextsOnA1280x1024Screen) {
    CurrentPanelLayout L = Current(1280, 1024, ReportAt(u"12/8/26 1:00 PM Local Time"));
    ASSERT_TRUE(L.hasPicture);
    EXPECT_EQ(L.picture.rect.w, 1144);
    EXPECT_EQ(L.picture.rect.h, 824);
    EXPECT_EQ(L.picture.rect.x, 452);
    EXPECT_EQ(L.picture.rect.y, 612);
    EXPECT_EQ(L.background.x, 384);
    EXPECT_EQ(L.background.y, 512);
    EXPECT_EQ(L.background.w, 1280);
    EXPECT_EQ(L.background.h, 1024);

    EXPECT_EQ(L.heading.text, u"Weather in Testville");
    EXPECT_FLOAT_EQ(L.heading.y, 522);
    EXPECT_EQ(L.heading.points, 35);
    EXPECT_EQ(L.temperature.text, u"21\u00B0 C");
    EXPECT_EQ(L.temperature.align, TextAlign::Far);
    EXPECT_FLOAT_EQ(L.temperature.x, 452);
    EXPECT_FLOAT_EQ(L.temperature.w, 1144);
    EXPECT_NEAR(L.temperature.y, 512 + 100 + 824 / 6.0, 1e-3);
    EXPECT_EQ(L.temperature.points, 75);
    EXPECT_EQ(L.conditions.text, u"Partly Cloudy");
    EXPECT_FLOAT_EQ(L.conditions.y, 512 + (1024 + 824) / 2 - 824 / 3);
    EXPECT_FLOAT_EQ(L.conditions.h, 924);
    EXPECT_EQ(L.sunLine.text,
              u"Sunrise: 7:00, sunset: 16:30\nLast updated: 12/8/26 1:00 PM Local Time");
    EXPECT_FLOAT_EQ(L.sunLine.y, 1466);
    EXPECT_EQ(L.sunLine.points, 20);
}

// Observation time against sunrise 7:00 and sunset 16:30: background and
// day or night picture (icon 30: day 2024, night 2010).
TEST(CurrentPanelLayout, SkyAndPictureFollowTheObservationTime) {
    struct Case {
        const char16_t* lastUpdated;
        SkyPhase phase;
        uint32_t background;
        int pictureId;
    } cases[] = {
        {u"12/8/26 6:10 AM EST", SkyPhase::Twilight, 0xFF615B6A, 2010},
        {u"12/8/26 5:59 AM EST", SkyPhase::Night, 0x00000000, 2010},
        {u"12/8/26 7:00 AM EST", SkyPhase::Day, 0xFF6698DA, 2024},
        {u"12/8/26 4:29 PM EST", SkyPhase::Day, 0xFF6698DA, 2024},
        {u"12/8/26 4:30 PM EST", SkyPhase::Twilight, 0xFF615B6A, 2010},
        {u"12/8/26 5:29 pm", SkyPhase::Twilight, 0xFF615B6A, 2010},
        {u"12/8/26 5:30 PM", SkyPhase::Night, 0x00000000, 2010},
        {u"12/8/26 12:00 PM", SkyPhase::Day, 0xFF6698DA, 2024},
        {u"12/8/26 12:00 AM", SkyPhase::Night, 0x00000000, 2010},
    };
    for (const Case& c : cases) {
        CurrentPanelLayout L = Current(1280, 1024, ReportAt(c.lastUpdated));
        std::string what(c.lastUpdated,
                         c.lastUpdated + std::char_traits<char16_t>::length(c.lastUpdated));
        EXPECT_EQ(L.phase, c.phase) << what;
        EXPECT_EQ(L.backgroundArgb, c.background) << what;
        EXPECT_EQ(L.picture.id, c.pictureId) << what;
    }
}

TEST(ObservationTime, ReadLikeTheCLibraryPattern) {
    EXPECT_EQ(ObservationMinutes(u"12/8/26 12:05 AM"), 5);
    EXPECT_EQ(ObservationMinutes(u"12/8/26 12:30 PM"), 12 * 60 + 30);
    EXPECT_EQ(ObservationMinutes(u"12/8/26 1:15 pM"), 13 * 60 + 15);
    EXPECT_EQ(ObservationMinutes(u"12/8/26 13:15"), 13 * 60 + 15);
    EXPECT_EQ(ObservationMinutes(u"12/8/26 12:15"), 15);     // no word: 12 is midnight
    EXPECT_EQ(ObservationMinutes(u" 12 /8/26 6:10 AM"), 0);  // blank before "/" stops the scan
    EXPECT_EQ(ObservationMinutes(u"12/8/26\t6:10\nPM"), 18 * 60 + 10);
    EXPECT_EQ(ObservationMinutes(u"12/8/26 6:10PMX"), 18 * 60 + 10);  // word of two characters
    EXPECT_EQ(ObservationMinutes(u"12/8/26 6"), 6 * 60);              // minute never read
    EXPECT_EQ(ObservationMinutes(u"12/8/26 -6:-10 PM"), 12 * 60);     // negatives count as 0
    EXPECT_EQ(ObservationMinutes(u"12/8/26 6:75 AM"), 6 * 60 + 75);
    EXPECT_EQ(ObservationMinutes(u""), 0);
    EXPECT_EQ(ObservationMinutes(u"N/A"), 0);
    EXPECT_EQ(ObservationMinutes(u"1/2/3 99999999999999999999:99999999999999999999 PM"),
              2147483647LL * 60 + 2147483647LL);
}

TEST(WeatherIcons, CodesPickDayAndNightPictures) {
    EXPECT_EQ(WeatherPictureId(44, false), 2003);
    EXPECT_EQ(WeatherPictureId(49, false), 2003);
    EXPECT_EQ(WeatherPictureId(-1, true), 2003);
    EXPECT_EQ(WeatherPictureId(INT_MIN, true), 2003);
    EXPECT_EQ(WeatherPictureId(INT_MAX, false), 2003);
    EXPECT_EQ(WeatherPictureId(0, false), 2000);
    EXPECT_EQ(WeatherPictureId(48, false), 2028);
    EXPECT_EQ(WeatherPictureId(48, true), 2021);
    EXPECT_EQ(WeatherPictureId(21, false), 2019);
    EXPECT_EQ(WeatherPictureId(21, true), 2012);
    // Every row names one of the 30 pictures.
    for (int code = 0; code < kWeatherIconCodes; ++code)
        for (bool night : {false, true}) {
            int id = WeatherPictureId(code, night);
            EXPECT_GE(id, 2000);
            EXPECT_LE(id, 2029);
        }
}

TEST(ForecastPanelLayout, ColumnsPicturesAndGraphOnA1280x1024Screen) {
    WeatherReport r = ReportAt(u"12/8/26 1:00 PM");
    r.Days[1].High = 30;  // highest
    r.Days[2].Low = -5;   // lowest
    ForecastPanelLayout L = Forecast(1280, 1024, r);
    ASSERT_TRUE(L.hasPictures);
    ASSERT_TRUE(L.hasGraph);
    const ForecastColumn& c0 = L.columns[0];
    EXPECT_EQ(c0.gradient.x, 389);
    EXPECT_EQ(c0.gradient.y, 712);
    EXPECT_EQ(c0.gradient.w, 246);
    EXPECT_EQ(c0.gradient.h, 674);
    for (int i = 0; i < 5; ++i) {
        const ForecastColumn& c = L.columns[i];
        EXPECT_EQ(c.dayPicture.rect.w, 256);
        EXPECT_EQ(c.dayPicture.rect.h, 184);
        EXPECT_EQ(c.dayPicture.rect.x, 384 + 256 * i);
        EXPECT_EQ(c.dayPicture.rect.y, 712);
        EXPECT_EQ(c.nightPicture.rect.x, c.dayPicture.rect.x);
        EXPECT_EQ(c.nightPicture.rect.y, 1137);
        EXPECT_EQ(c.dayPicture.id, 2008);
        EXPECT_EQ(c.nightPicture.id, 2004);
        EXPECT_FLOAT_EQ(c.date.x, 384 + 256 * i);
        EXPECT_FLOAT_EQ(c.date.w, 256);
        EXPECT_FLOAT_EQ(c.date.y, 657);
        EXPECT_FLOAT_EQ(c.dayText.y, 512 + 184 + 160);
        EXPECT_FLOAT_EQ(c.high.y, 512 + 184 + 195);
        EXPECT_FLOAT_EQ(c.nightText.y, 512 + 1024 - 255);
        EXPECT_FLOAT_EQ(c.low.y, 512 + 1024 - 220);
        EXPECT_EQ(c.high.argb, 0xFFE0D080u);
        EXPECT_EQ(c.low.argb, 0xFF75A0C6u);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(L.curves[k].points[i].x, 512 + 256 * i + (k < 2 ? 4 : 0));
    }
    const PanelCurve& highs = L.curves[2];
    const PanelCurve& lows = L.curves[3];
    EXPECT_EQ(highs.points[1].y, 961);
    EXPECT_EQ(lows.points[2].y, 1137);
    for (int i = 0; i < 5; ++i) {
        EXPECT_GE(highs.points[i].y, 961);
        EXPECT_LE(lows.points[i].y, 1137);
        EXPECT_LT(highs.points[i].y, lows.points[i].y);
        EXPECT_EQ(L.curves[0].points[i].y, highs.points[i].y + 4);
        EXPECT_EQ(L.curves[1].points[i].y, lows.points[i].y + 4);
    }
    EXPECT_EQ(L.curves[0].argb, 0xFF404040u);
    EXPECT_EQ(L.curves[1].argb, 0xFF404040u);
    EXPECT_EQ(highs.argb, 0xFFE0D080u);
    EXPECT_EQ(lows.argb, 0xFF75A0C6u);
    EXPECT_FLOAT_EQ(L.sunLine.y, 1466);
}

TEST(ForecastPanelLayout, PictureSizeRoundsThroughFloats) {
    WeatherReport r = ReportAt(u"");
    ForecastPanelLayout L = Forecast(1024, 768, r);
    EXPECT_EQ(L.scale, 0.60555553f);
    EXPECT_EQ(L.columns[0].dayPicture.rect.w, 151);
    EXPECT_EQ(L.columns[0].dayPicture.rect.h, 108);
    EXPECT_EQ(L.columns[0].gradient.x, 512 + 5);
    // Width-bound on a narrow screen.
    ForecastPanelLayout narrow = Forecast(1000, 2000, r);
    EXPECT_EQ(narrow.columns[0].dayPicture.rect.w, 200);
    EXPECT_EQ(narrow.columns[0].dayPicture.rect.h, 144);
}

TEST(ForecastPanelLayout, EqualTemperaturesLieFlatOnTheBase) {
    WeatherReport r = ReportAt(u"");
    for (ForecastDay& d : r.Days) d.High = d.Low = 7;
    ForecastPanelLayout L = Forecast(1280, 1024, r);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(L.curves[2].points[i].y, 1137);
        EXPECT_EQ(L.curves[3].points[i].y, 1137);
    }
}

// Temperatures at both ends of the 32-bit range still span exactly the
// graph's height instead of overflowing.
TEST(ForecastPanelLayout, ExtremeTemperaturesStayInsideTheGraph) {
    WeatherReport r = ReportAt(u"");
    r.Days[0].High = INT_MAX;
    r.Days[4].Low = INT_MIN;
    ForecastPanelLayout L = Forecast(1280, 1024, r);
    EXPECT_EQ(L.curves[2].points[0].y, 961);
    EXPECT_EQ(L.curves[3].points[4].y, 1137);
    for (const PanelCurve& c : L.curves)
        for (const CanvasPoint& p : c.points) {
            EXPECT_GE(p.y, 961);
            EXPECT_LE(p.y, 1137 + 4);
        }
}

// Screens too low for the pictures give a negative scale: no pictures, no
// graph, but the texts are still laid out.
TEST(PanelLayouts, LowScreensKeepTheTextsOnly) {
    WeatherReport r = ReportAt(u"12/8/26 1:00 PM");
    ForecastPanelLayout f = Forecast(800, 549, r);
    EXPECT_LT(f.scale, 0);
    EXPECT_FALSE(f.hasPictures);
    EXPECT_FALSE(f.hasGraph);
    EXPECT_EQ(f.heading.text, u"Weather in Testville");
    EXPECT_EQ(f.columns[0].date.text, u"Dec 8");
    EXPECT_EQ(f.columns[0].dayPicture.rect.w, 0);
    EXPECT_FLOAT_EQ(f.columns[0].dayText.y, (2048 - 549) / 2 + 160);

    ForecastPanelLayout edge = Forecast(800, 550, r);
    EXPECT_FALSE(edge.hasPictures);
    EXPECT_TRUE(edge.hasGraph);

    CurrentPanelLayout c = Current(640, 199, r);
    EXPECT_LT(c.scale, 0);
    EXPECT_FALSE(c.hasPicture);
    EXPECT_EQ(c.temperature.text, u"21\u00B0 C");
    EXPECT_EQ(c.temperature.w, 0);
    EXPECT_EQ(c.phase, SkyPhase::Day);

    CurrentPanelLayout zero = Current(640, 200, r);
    EXPECT_EQ(zero.scale, 0);
    EXPECT_FALSE(zero.hasPicture);
    CurrentPanelLayout usable = Current(640, 400, r);
    EXPECT_TRUE(usable.hasPicture);
}

TEST(PanelTexts, FormattedAndCutAt99Characters) {
    WeatherReport r;
    EXPECT_EQ(TemperatureText(-5, u'F'), u"-5\u00B0 F");
    EXPECT_EQ(TemperatureText(0, 0), u"0\u00B0 ");
    EXPECT_EQ(SunLineText(r), u"Sunrise: 0:00, sunset: 0:00\nLast updated: ");
    r.Sunrise = {8, 5};
    r.Sunset = {17, 59};
    EXPECT_EQ(SunLineText(r), u"Sunrise: 8:05, sunset: 17:59\nLast updated: ");

    r.LocationName.Assign(std::u16string(99, u'x'));
    FixedText<100> heading = HeadingText(r);
    EXPECT_EQ(heading.size(), 99u);
    EXPECT_EQ(heading.view().substr(0, 11), u"Weather in ");
    r.LastUpdated.Assign(std::u16string(99, u'9'));
    EXPECT_EQ(SunLineText(r).size(), 99u);
    CurrentPanelLayout L = Current(1280, 1024, r);
    EXPECT_EQ(L.heading.text.size(), 99u);
    EXPECT_EQ(L.sunLine.text.size(), 99u);
}

}  // namespace
