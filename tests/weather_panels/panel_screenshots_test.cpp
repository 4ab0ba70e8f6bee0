// Screenshots of the panels and the notice for a person to look at, written
// to the build folder's screenshots/ as PNG files of the screen's size; each
// must first show its texts and pictures where its layout puts them.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "overlay/image_canvas.h"
#include "overlay/resource_images.h"
#include "update/version_notice.h"
#include "weather/weather_panels.h"
#include "weather_panels/sample_report.h"

namespace {

// Where a painter's work must show: a text's first line holds pixels of its
// colour; a picture (argb 0) differs from the background, read in the
// same row at column refX.
struct Mark {
    PixelRect rect;
    uint32_t argb = 0;
    int refX = 0;
};

Mark Of(const TextBox& t) {
    return {{int(t.x), int(t.y), int(t.w), int(std::min(t.h, t.points * 1.5f))}, t.argb};
}

Mark Of(const PlacedPicture& p, int refX) {
    return {p.rect, 0, refX};
}

std::vector<Mark> Marks(const CurrentPanelLayout& L) {
    return {Of(L.heading), Of(L.temperature), Of(L.conditions), Of(L.sunLine),
            Of(L.picture, L.background.x)};
}

std::vector<Mark> Marks(const ForecastPanelLayout& L) {
    std::vector<Mark> marks{Of(L.heading), Of(L.sunLine)};
    for (const ForecastColumn& c : L.columns)
        marks.insert(marks.end(),
                     {Of(c.date), Of(c.high), Of(c.low), Of(c.dayText),
                      Of(c.dayPicture, c.gradient.x), Of(c.nightPicture, c.gradient.x)});
    return marks;
}

bool Near(uint32_t a, uint32_t b) {
    for (int shift : {16, 8, 0})
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 8) return false;
    return true;
}

// Paints on the 2048 x 2048 canvas, checks that every mark the painter's
// layout names shows, and writes the content rectangle (the part the
// slideshow shows) as an opaque PNG.
template <typename Paint>
void Shoot(const std::string& name, Paint paint, int screenW = 1280, int screenH = 1024) {
    auto canvas = CreateImageCanvas(2048, 2048);
    ASSERT_TRUE(canvas);
    canvas->ClearRect(0, 0, 2048, 2048, 0xFF000000);
    const int left = (2048 - screenW) / 2, top = (2048 - screenH) / 2;
    const std::vector<Mark> marks = paint(*canvas, left, top, left + screenW, top + screenH);
    const uint32_t* at = canvas->Pixels();
    for (size_t i = 0; i < marks.size(); ++i) {
        // Boxes may reach below the screen; what shows is clipped to it.
        const PixelRect& r = marks[i].rect;
        const int x0 = std::max(r.x, left), x1 = std::min(r.x + r.w, left + screenW);
        const int y0 = std::max(r.y, top), y1 = std::min(r.y + r.h, top + screenH);
        int shown = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                shown += marks[i].argb ? Near(at[y * 2048 + x], marks[i].argb)
                                       : at[y * 2048 + x] != at[y * 2048 + marks[i].refX];
        EXPECT_GT(shown, marks[i].argb ? 20 : r.w * r.h / 5) << name << " mark " << i;
    }

    cairo_surface_t* shot = cairo_image_surface_create(CAIRO_FORMAT_RGB24, screenW, screenH);
    unsigned char* data = cairo_image_surface_get_data(shot);
    const int stride = cairo_image_surface_get_stride(shot);
    const uint32_t* pixels = canvas->Pixels();
    for (int y = 0; y < screenH; ++y)
        std::memcpy(data + y * stride, pixels + (top + y) * 2048 + left, screenW * 4);
    cairo_surface_mark_dirty(shot);

    std::filesystem::path dir = SKYREEL_SCREENSHOT_DIR;
    std::filesystem::create_directories(dir);
    std::string file = (dir / (name + ".png")).string();
    ASSERT_EQ(cairo_surface_write_to_png(shot, file.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(shot);

    cairo_surface_t* back = cairo_image_surface_create_from_png(file.c_str());
    EXPECT_EQ(cairo_surface_status(back), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(back), screenW);
    EXPECT_EQ(cairo_image_surface_get_height(back), screenH);
    cairo_surface_destroy(back);
}

TEST(PanelScreenshots, CurrentForecastAndNotice) {
    const auto current = [](const WeatherReport& r) {
        return [r](Canvas& c, int left, int top, int right, int bottom) {
            PaintCurrentPanel(c, left, top, right, bottom, r);
            return Marks(ComputeCurrentPanelLayout(left, top, right, bottom, r));
        };
    };
    WeatherReport day = SampleReport();
    Shoot("weather_current_day", current(day));
    WeatherReport dusk = SampleReport();
    dusk.LastUpdated.Assign(u"12/8/26 4:50 PM Local Time");
    dusk.CurrentIcon = 33;
    dusk.Conditions.Assign(u"Fair");
    Shoot("weather_current_twilight", current(dusk));
    WeatherReport night = SampleReport();
    night.LastUpdated.Assign(u"12/8/26 11:20 PM Local Time");
    night.CurrentIcon = 27;
    night.Conditions.Assign(u"Mostly Cloudy");
    Shoot("weather_current_night", current(night));
    const auto forecast = [&day](Canvas& c, int left, int top, int right, int bottom) {
        PaintForecastPanel(c, left, top, right, bottom, day);
        return Marks(ComputeForecastPanelLayout(left, top, right, bottom, day));
    };
    Shoot("weather_forecast", forecast);
    Shoot("weather_forecast_1024x768", forecast, 1024, 768);
    Shoot("version_notice", [](Canvas& c, int left, int top, int right, int bottom) {
        PaintVersionNotice(c, left, top, right, bottom, u"1.2");
        const Picture* sign = GetResourceImage(kWarningSignId);
        const VersionNoticeLayout L =
            ComputeVersionNoticeLayout(left, top, right, bottom, sign->width, sign->height);
        // The first line, centred on textX.
        return std::vector<Mark>{{{L.signX, L.signY, sign->width, sign->height}, 0, left},
                                 {{int(L.textX) - 100, int(L.textY), 200, 50}, kNoticeTextArgb}};
    });
}

}  // namespace
