#include "weather/weather_panel_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "weather_panels/sample_report.h"

namespace {

// Layouts for a w x h screen, whose content rectangle is centred on the
// 2048 x 2048 canvas.
CurrentPanelLayout Current(int w, int h, const WeatherReport& r) {
    return ComputeCurrentPanelLayout((2048 - w) / 2, (2048 - h) / 2, (2048 + w) / 2, (2048 + h) / 2,
                                     r);
}
ForecastPanelLayout Forecast(int w, int h, const WeatherReport& r) {
    return ComputeForecastPanelLayout((2048 - w) / 2, (2048 - h) / 2, (2048 + w) / 2,
                                      (2048 + h) / 2, r);
}

void ExpectRect(const PixelRect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.w, w);
    EXPECT_EQ(r.h, h);
}

TEST(CurrentPanelLayout, PictureAndTextsOnA1280x1024Screen) {
    CurrentPanelLayout L = Current(1280, 1024, SampleReport());
    ASSERT_TRUE(L.hasPicture);
    ExpectRect(L.picture.rect, 452, 612, 1144, 824);
    ExpectRect(L.background, 384, 512, 1280, 1024);
    EXPECT_EQ(L.heading.text, u"Weather in Saint-Petersburg, Russia");
    EXPECT_FLOAT_EQ(L.heading.y, 522);
    EXPECT_EQ(L.temperature.text, u"-3\u00B0 C");
    EXPECT_EQ(L.temperature.align, TextAlign::Far);
    EXPECT_FLOAT_EQ(L.temperature.x, 452);
    EXPECT_NEAR(L.temperature.y, 612 + 824 / 6.0, 1e-3);
    EXPECT_FLOAT_EQ(L.conditions.y, 512 + (1024 + 824) / 2 - 824 / 3);
    EXPECT_EQ(L.sunLine.text,
              u"Sunrise: 7:00, sunset: 16:30\nLast updated: 12/8/26 12:50 PM Local Time");
    EXPECT_FLOAT_EQ(L.sunLine.y, 1466);
}

// Against sunrise 7:00 and sunset 16:30; icon 30 is picture 2024 by day and
// 2010 by night.
TEST(CurrentPanelLayout, SkyAndPictureFollowTheObservationTime) {
    struct Case {
        const char16_t* lastUpdated;
        uint32_t background;
        int pictureId;
    } cases[] = {
        {u"12/8/26 6:10 AM EST", 0xFF615B6A, 2010}, {u"12/8/26 5:59 AM EST", 0x00000000, 2010},
        {u"12/8/26 7:00 AM EST", 0xFF6698DA, 2024}, {u"12/8/26 4:29 PM EST", 0xFF6698DA, 2024},
        {u"12/8/26 4:30 PM EST", 0xFF615B6A, 2010}, {u"12/8/26 5:30 PM", 0x00000000, 2010},
        {u"12/8/26 12:00 PM", 0xFF6698DA, 2024},    {u"12/8/26 12:00 AM", 0x00000000, 2010},
    };
    for (const Case& c : cases) {
        WeatherReport r = SampleReport();
        r.CurrentIcon = 30;
        r.LastUpdated.Assign(c.lastUpdated);
        CurrentPanelLayout L = Current(1280, 1024, r);
        EXPECT_EQ(L.backgroundArgb, c.background) << c.pictureId;
        EXPECT_EQ(L.picture.id, c.pictureId) << c.background;
    }
}

// Polar night: rise and set at the same minute mean no sun all day, not an
// hour of twilight around it. Polar day: the sun sets at 24:00.
TEST(CurrentPanelLayout, PolarNightAndPolarDay) {
    WeatherReport r = SampleReport();
    r.Sunrise = {0, 0};
    r.Sunset = {0, 0};
    for (const char16_t* time : {u"12/21/26 12:30 AM Local Time", u"12/21/26 12:00 PM Local Time",
                                 u"12/21/26 11:30 PM Local Time"}) {
        r.LastUpdated.Assign(time);
        EXPECT_EQ(Current(1280, 1024, r).phase, SkyPhase::Night);
    }
    r.Sunset = {24, 0};
    for (const char16_t* time : {u"6/21/26 12:00 AM Local Time", u"6/21/26 11:59 PM Local Time"}) {
        r.LastUpdated.Assign(time);
        EXPECT_EQ(Current(1280, 1024, r).phase, SkyPhase::Day);
    }
    EXPECT_EQ(SunLineText(r),
              u"Sunrise: 0:00, sunset: 24:00\nLast updated: 6/21/26 11:59 PM Local Time");
}

TEST(ObservationTime, ReadLikeTheCLibraryPattern) {
    struct Case {
        const char16_t* text;
        int64_t minutes;
    } cases[] = {
        {u"12/8/26 12:05 AM", 5},
        {u"12/8/26 12:30 PM", 12 * 60 + 30},
        {u"12/8/26 1:15 pM", 13 * 60 + 15},
        {u"12/8/26 13:15", 13 * 60 + 15},
        {u"12/8/26 12:15", 15},                // no word: 12 is midnight
        {u" 12 /8/26 6:10 AM", 0},             // a blank before "/" stops the scan
        {u"12/8/26\t6:10\nPM", 18 * 60 + 10},  // any white space between fields
        {u"12/8/26 6:10PMX", 18 * 60 + 10},    // a word of two characters
        {u"12/8/26 6", 6 * 60},                // minute never read
        {u"12/8/26 -6:-10 PM", 12 * 60},       // negatives count as 0
        {u"12/8/26 6:75 AM", 6 * 60 + 75},
        {u"", 0},
        {u"N/A", 0},
        {u"1/2/3 99999999999999999999:99999999999999999999", 2147483647LL * 61},
    };
    for (const Case& c : cases) EXPECT_EQ(ObservationMinutes(c.text), c.minutes) << c.minutes;
}

TEST(WeatherIcons, CodesPickDayAndNightPictures) {
    for (int code : {44, 49, -1, INT_MIN, INT_MAX}) {
        EXPECT_EQ(WeatherPictureId(code, false), 2003);
        EXPECT_EQ(WeatherPictureId(code, true), 2003);
    }
    EXPECT_EQ(WeatherPictureId(0, false), 2000);
    EXPECT_EQ(WeatherPictureId(48, false), 2028);
    EXPECT_EQ(WeatherPictureId(48, true), 2021);
    for (int code = 0; code < kWeatherIconCodes; ++code)
        for (bool night : {false, true}) {
            EXPECT_GE(WeatherPictureId(code, night), 2000);
            EXPECT_LE(WeatherPictureId(code, night), 2029);
        }
}

TEST(ForecastPanelLayout, ColumnsPicturesAndGraphOnA1280x1024Screen) {
    WeatherReport r = SampleReport();  // highest 4 (day 2), lowest -9 (day 4)
    ForecastPanelLayout L = Forecast(1280, 1024, r);
    ASSERT_TRUE(L.hasPictures);
    ASSERT_TRUE(L.hasGraph);
    ExpectRect(L.columns[0].gradient, 389, 712, 246, 674);
    for (int i = 0; i < 5; ++i) {
        const ForecastColumn& c = L.columns[i];
        ExpectRect(c.dayPicture.rect, 384 + 256 * i, 712, 256, 184);
        ExpectRect(c.nightPicture.rect, 384 + 256 * i, 1137, 256, 184);
        EXPECT_EQ(c.dayPicture.id, WeatherPictureId(r.Days[i].DayIcon, false));
        EXPECT_EQ(c.nightPicture.id, WeatherPictureId(r.Days[i].NightIcon, true));
        EXPECT_FLOAT_EQ(c.date.x, 384 + 256 * i);
        EXPECT_FLOAT_EQ(c.date.y, 657);
        EXPECT_FLOAT_EQ(c.high.y, 512 + 184 + 195);
        EXPECT_FLOAT_EQ(c.low.y, 512 + 1024 - 220);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(L.curves[k].points[i].x, 512 + 256 * i + (k < 2 ? 4 : 0));
        EXPECT_EQ(L.curves[0].points[i].y, L.curves[2].points[i].y + 4);
        EXPECT_EQ(L.curves[1].points[i].y, L.curves[3].points[i].y + 4);
    }
    EXPECT_EQ(L.columns[4].low.text, u"-9\u00B0 C");
    EXPECT_EQ(L.curves[2].points[2].y, 961);   // highest
    EXPECT_EQ(L.curves[3].points[4].y, 1137);  // lowest, on the base
    EXPECT_EQ(L.curves[0].argb, 0xFF404040u);
    EXPECT_EQ(L.curves[3].argb, 0xFF75A0C6u);
    EXPECT_FLOAT_EQ(L.sunLine.y, 1466);

    for (ForecastDay& d : r.Days) d.High = d.Low = 7;  // equal: flat on the base
    ForecastPanelLayout flat = Forecast(1280, 1024, r);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(flat.curves[2].points[i].y, 1137);
        EXPECT_EQ(flat.curves[3].points[i].y, 1137);
    }
    r.Days[0].High = INT_MAX;  // the 32-bit extremes span the graph exactly
    r.Days[4].Low = INT_MIN;
    ForecastPanelLayout extreme = Forecast(1280, 1024, r);
    EXPECT_EQ(extreme.curves[2].points[0].y, 961);
    EXPECT_EQ(extreme.curves[3].points[4].y, 1137);
}

// Each quotient of the scale is rounded to a float once: 0.60555553 gives
// 108.99999, truncated to 108; 1280 / 250 / 5 gives 256, not 255.
TEST(ForecastPanelLayout, PictureSizeRoundsThroughFloats) {
    ForecastPanelLayout L = Forecast(1024, 768, SampleReport());
    EXPECT_EQ(L.scale, 0.60555553f);
    EXPECT_EQ(L.columns[0].dayPicture.rect.w, 151);
    EXPECT_EQ(L.columns[0].dayPicture.rect.h, 108);
    ForecastPanelLayout narrow = Forecast(1000, 2000, SampleReport());
    EXPECT_EQ(narrow.columns[0].dayPicture.rect.w, 200);
    EXPECT_EQ(narrow.columns[0].dayPicture.rect.h, 144);
}

// Too low for the pictures: a negative scale leaves out pictures and graph,
// the texts stay.
TEST(PanelLayouts, LowScreensKeepTheTextsOnly) {
    ForecastPanelLayout f = Forecast(800, 549, SampleReport());
    EXPECT_FALSE(f.hasPictures);
    EXPECT_FALSE(f.hasGraph);
    EXPECT_EQ(f.columns[0].date.text, u"Dec 8");
    EXPECT_FLOAT_EQ(f.columns[0].dayText.y, (2048 - 549) / 2 + 160);
    ForecastPanelLayout edge = Forecast(800, 550, SampleReport());
    EXPECT_FALSE(edge.hasPictures);
    EXPECT_TRUE(edge.hasGraph);

    CurrentPanelLayout c = Current(640, 199, SampleReport());
    EXPECT_FALSE(c.hasPicture);
    EXPECT_EQ(c.temperature.text, u"-3\u00B0 C");
    EXPECT_EQ(c.temperature.w, 0);
    EXPECT_FALSE(Current(640, 200, SampleReport()).hasPicture);
    EXPECT_TRUE(Current(640, 400, SampleReport()).hasPicture);
}

TEST(PanelTexts, FormattedAndCutAt99Characters) {
    WeatherReport r;
    EXPECT_EQ(TemperatureText(0, 0), u"0\u00B0 ");  // a unit of 0 ends the text
    EXPECT_EQ(SunLineText(r), u"Sunrise: 0:00, sunset: 0:00\nLast updated: ");
    r.Sunrise = {8, 5};
    EXPECT_TRUE(SunLineText(r).view().starts_with(u"Sunrise: 8:05,"));
    r.LocationName.Assign(std::u16string(99, u'x'));
    r.LastUpdated.Assign(std::u16string(99, u'9'));
    CurrentPanelLayout L = Current(1280, 1024, r);
    EXPECT_EQ(L.heading.text.size(), 99u);
    EXPECT_TRUE(L.heading.text.view().starts_with(u"Weather in xxx"));
    EXPECT_EQ(L.sunLine.text.size(), 99u);
}

}  // namespace
