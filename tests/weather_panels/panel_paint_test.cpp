// The painters drawn with the real image canvas, pixels read back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "overlay/image_canvas.h"
#include "overlay/resource_images.h"
#include "update/version_notice.h"
#include "weather/weather_panel_layout.h"
#include "weather/weather_panels.h"
#include "weather_panels/sample_report.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000;

// A 2048 x 2048 canvas cleared to black, as the overlay texture hands it over,
// with the content rectangle of a w x h screen.
struct Screen {
    explicit Screen(int w, int h)
        : canvas(CreateImageCanvas(2048, 2048)),
          left((2048 - w) / 2),
          top((2048 - h) / 2),
          right((2048 + w) / 2),
          bottom((2048 + h) / 2) {
        if (canvas) canvas->ClearRect(0, 0, 2048, 2048, kBlack);
    }
    uint32_t At(int x, int y) { return canvas->Pixels()[y * 2048 + x]; }
    std::unique_ptr<ImageCanvas> canvas;
    int left, top, right, bottom;
};

int Channel(uint32_t argb, int shift) {
    return static_cast<int>((argb >> shift) & 0xFF);
}

::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tolerance) {
    for (int shift : {24, 16, 8, 0})
        if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance)
            return ::testing::AssertionFailure()
                   << std::hex << "0x" << actual << " is not near 0x" << expected;
    return ::testing::AssertionSuccess();
}

// Pixels of the rectangle that differ from `background`.
int CountOther(Screen& s, int x0, int y0, int x1, int y1, uint32_t background) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += s.At(x, y) != background;
    return n;
}

// The sample with every day at a high of 20 and a low of 10: a flat graph.
WeatherReport FlatReport() {
    WeatherReport r = SampleReport();
    for (ForecastDay& d : r.Days) {
        d.High = 20;
        d.Low = 10;
    }
    return r;
}

TEST(CurrentPanelPaint, BackgroundFollowsTheObservationTime) {
    struct Case {
        const char16_t* lastUpdated;
        uint32_t sky;
    } cases[] = {
        {u"12/8/26 7:00 AM EST", 0xFF6698DA},
        {u"12/8/26 6:10 AM EST", 0xFF615B6A},
        {u"12/8/26 4:30 PM EST", 0xFF615B6A},
        {u"12/8/26 5:59 AM EST", kBlack},
    };
    for (const Case& c : cases) {
        Screen s(1280, 1024);
        ASSERT_TRUE(s.canvas);
        WeatherReport r = SampleReport();
        r.LastUpdated.Assign(c.lastUpdated);
        PaintCurrentPanel(*s.canvas, s.left, s.top, s.right, s.bottom, r);
        // Left of the picture, below the heading; and the content's corners.
        EXPECT_EQ(s.At(400, 700), c.sky);
        EXPECT_EQ(s.At(384, 512), c.sky);
        EXPECT_EQ(s.At(1663, 1535), c.sky);
        // Outside the content rectangle the canvas stays black.
        EXPECT_EQ(s.At(383, 700), kBlack);
        EXPECT_EQ(s.At(1664, 700), kBlack);
        EXPECT_EQ(s.At(1000, 511), kBlack);
        // The picture (1144 x 824 at 452, 612) covers part of the sky.
        EXPECT_GT(CountOther(s, 452, 612, 1596, 1436, c.sky), 1144 * 824 / 20);
        // The heading is drawn around the middle of the top band.
        EXPECT_GT(CountOther(s, 824, 522, 1224, 572, c.sky), 100);
    }
}

TEST(ForecastPanelPaint, ColumnsGradientAndGraph) {
    Screen s(1280, 1024);
    ASSERT_TRUE(s.canvas);
    WeatherReport r = FlatReport();
    PaintForecastPanel(*s.canvas, s.left, s.top, s.right, s.bottom, r);
    // Column 0's gradient (389, 712, 246, 674): the sky colour at its top,
    // 0xFF001030 towards its bottom, black in the gaps between columns.
    EXPECT_TRUE(Near(s.At(392, 1000), 0xFF3A5E91, 3));
    EXPECT_TRUE(Near(s.At(392, 1384), 0xFF001030, 3));
    EXPECT_EQ(s.At(387, 1000), kBlack);
    EXPECT_EQ(s.At(640, 1000), 0xFF000000);
    EXPECT_EQ(s.At(1000, 1500), kBlack);
    // Flat graph: highs at y 961, lows at y 1137, each with its shadow 4
    // pixels lower, 5 pixels wide.
    EXPECT_EQ(s.At(600, 960), 0xFFE0D080);
    EXPECT_EQ(s.At(600, 965), 0xFF404040);
    EXPECT_EQ(s.At(600, 1136), 0xFF75A0C6);
    EXPECT_EQ(s.At(600, 1141), 0xFF404040);
    // Day and night pictures of every column cover part of the gradient
    // (its colour in each row is read beside the picture's content).
    for (int i = 0; i < 5; ++i) {
        int x = 384 + 256 * i;
        int day = 0, night = 0;
        for (int y = 712; y < 850; ++y)
            day += CountOther(s, x + 20, y, x + 236, y + 1, s.At(x + 6, y));
        for (int y = 1150; y < 1270; ++y)
            night += CountOther(s, x + 20, y, x + 236, y + 1, s.At(x + 6, y));
        EXPECT_GT(day, 2000) << i;
        EXPECT_GT(night, 2000) << i;
    }
}

// A day without a high or low (the provider gave none) shows no text and
// breaks its curve; the known days keep the graph's range.
TEST(ForecastPanelPaint, UnknownTemperaturesLeaveGaps) {
    Screen s(1280, 1024);
    ASSERT_TRUE(s.canvas);
    WeatherReport r = FlatReport();
    r.Days[2].HasHigh = false;
    r.Days[2].High = -40;  // left over in the record, never drawn
    r.Days[0].HasLow = r.Days[2].HasLow = r.Days[4].HasLow = false;
    PaintForecastPanel(*s.canvas, s.left, s.top, s.right, s.bottom, r);
    const ForecastPanelLayout L = ComputeForecastPanelLayout(s.left, s.top, s.right, s.bottom, r);
    EXPECT_TRUE(L.columns[2].high.text.empty());
    EXPECT_TRUE(L.columns[0].low.text.empty());
    EXPECT_EQ(L.columns[1].low.text, u"10\u00B0 C");
    // Highs: day 0 to 1 and day 3 to 4 are drawn at the flat graph's top,
    // nothing on either side of day 2.
    EXPECT_EQ(s.At(600, 960), 0xFFE0D080);
    EXPECT_EQ(s.At(1400, 960), 0xFFE0D080);
    for (int x : {900, 1024, 1150}) EXPECT_NE(s.At(x, 960), 0xFFE0D080) << x;
    // Lows: days 1 and 3 stand alone, so no low curve at all.
    for (int x = 512; x < 1560; x += 8) EXPECT_NE(s.At(x, 1136), 0xFF75A0C6) << x;

    // No day with any value: no graph, and still no crash.
    for (ForecastDay& d : r.Days) d.HasHigh = d.HasLow = false;
    EXPECT_FALSE(ComputeForecastPanelLayout(s.left, s.top, s.right, s.bottom, r).hasGraph);
    PaintForecastPanel(*s.canvas, s.left, s.top, s.right, s.bottom, r);
}

// Pixels that differ between two screens of the same size, inside and
// outside a rectangle.
struct Difference {
    int inside = 0;
    int outside = 0;
};
Difference Compare(Screen& a, Screen& b, int x0, int y0, int x1, int y1) {
    Difference d;
    for (int y = a.top; y < a.bottom; ++y)
        for (int x = a.left; x < a.right; ++x)
            if (a.At(x, y) != b.At(x, y))
                ++(x >= x0 && x < x1 && y >= y0 && y < y1 ? d.inside : d.outside);
    return d;
}

// Open-Meteo's credit is drawn small in the upper right corner of both
// panels, and only for its data.
TEST(PanelPaint, OpenMeteoCreditInTheUpperRightCorner) {
    using Paint = void (*)(Canvas&, int, int, int, int, const WeatherReport&);
    for (Paint paint : {&PaintCurrentPanel, &PaintForecastPanel}) {
        Screen plain(1280, 1024), credited(1280, 1024);
        ASSERT_TRUE(plain.canvas && credited.canvas);
        WeatherReport r = SampleReport();
        paint(*plain.canvas, plain.left, plain.top, plain.right, plain.bottom, r);
        r.FromOpenMeteo = true;
        paint(*credited.canvas, credited.left, credited.top, credited.right, credited.bottom, r);
        // The right half of the first 18 rows.
        const Difference d = Compare(plain, credited, credited.left + 640, credited.top,
                                     credited.right, credited.top + 18);
        EXPECT_GT(d.inside, 200);
        EXPECT_EQ(d.outside, 0);
    }
}

// Screens too low for the pictures: no crash, the texts are drawn, and the
// canvas is still usable afterwards.
TEST(PanelPaint, LowScreensDrawTexts) {
    for (int h : {120, 199, 200, 549, 550}) {
        Screen current(640, h);
        PaintCurrentPanel(*current.canvas, current.left, current.top, current.right, current.bottom,
                          SampleReport());
        Screen forecast(800, h);
        PaintForecastPanel(*forecast.canvas, forecast.left, forecast.top, forecast.right,
                           forecast.bottom, SampleReport());
        for (Screen* s : {&current, &forecast}) {
            uint32_t background = s->At(s->left, s->top);
            EXPECT_GT(CountOther(*s, s->left, s->top, s->right, s->top + 60, background), 100) << h;
            s->canvas->FillRect(0, 0, 10, 10, 0xFF123456);
            EXPECT_EQ(s->At(5, 5), 0xFF123456u) << h;
        }
    }
}

TEST(VersionNoticePaint, SignAboveAndCentredTextBelowTheMiddle) {
    const Picture* sign = GetResourceImage(kWarningSignId);
    ASSERT_NE(sign, nullptr);
    ASSERT_EQ(sign->width, 240);
    ASSERT_EQ(sign->height, 200);
    Screen s(1280, 1024);
    PaintVersionNotice(*s.canvas, s.left, s.top, s.right, s.bottom, u"1.2");
    // The sign fills much of (904, 774, 240, 200) and nothing around it.
    EXPECT_GT(CountOther(s, 904, 774, 1144, 974, kBlack), 240 * 200 / 4);
    EXPECT_EQ(CountOther(s, 0, 0, 2048, 774, kBlack), 0);
    EXPECT_EQ(CountOther(s, 0, 774, 904, 1024, kBlack), 0);
    EXPECT_EQ(CountOther(s, 1144, 774, 2048, 1024, kBlack), 0);
    EXPECT_EQ(CountOther(s, 0, 974, 2048, 1074, kBlack), 0);
    // The text starts just below y 1074, its lines centred on x 1024.
    int minX = 2048, maxX = 0, minY = 2048, maxY = 0;
    for (int y = 1024; y < 2048; ++y)
        for (int x = 0; x < 2048; ++x)
            if (s.At(x, y) != kBlack) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    EXPECT_GE(minY, 1074);
    EXPECT_LT(minY, 1074 + 25);
    EXPECT_GT(maxY, minY + 3 * 45);  // four lines of 35 points
    EXPECT_NEAR((minX + maxX) / 2.0, 1024, 3);
    EXPECT_GT(maxX - minX, 300);
    // The colour of the text where a glyph is solid.
    int solid = 0;
    for (int y = minY; y <= maxY; ++y)
        for (int x = minX; x <= maxX; ++x) solid += s.At(x, y) == 0xFF80D0E0;
    EXPECT_GT(solid, 50);
}

}  // namespace
