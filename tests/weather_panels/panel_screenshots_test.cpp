// Screenshots of the panels and the notice for a person to look at, written
// to the build folder's screenshots/ as PNG files of the screen's size.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "overlay/image_canvas.h"
#include "update/version_notice.h"
#include "weather/weather_panels.h"
#include "weather_panels/sample_report.h"

namespace {

// Paints on the 2048 x 2048 canvas and writes the content rectangle (the
// part the slideshow shows) as an opaque PNG.
template <typename Paint>
void Shoot(const std::string& name, Paint paint, int screenW = 1280, int screenH = 1024) {
    auto canvas = CreateImageCanvas(2048, 2048);
    ASSERT_TRUE(canvas);
    canvas->ClearRect(0, 0, 2048, 2048, 0xFF000000);
    const int left = (2048 - screenW) / 2, top = (2048 - screenH) / 2;
    paint(*canvas, left, top, left + screenW, top + screenH);

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
    WeatherReport day = SampleReport();
    Shoot("weather_current_day",
          [&](Canvas& c, int l, int t, int r, int b) { PaintCurrentPanel(c, l, t, r, b, day); });
    WeatherReport dusk = SampleReport();
    dusk.LastUpdated.Assign(u"12/8/26 4:50 PM Local Time");
    dusk.CurrentIcon = 33;
    dusk.Conditions.Assign(u"Fair");
    Shoot("weather_current_twilight",
          [&](Canvas& c, int l, int t, int r, int b) { PaintCurrentPanel(c, l, t, r, b, dusk); });
    WeatherReport night = SampleReport();
    night.LastUpdated.Assign(u"12/8/26 11:20 PM Local Time");
    night.CurrentIcon = 27;
    night.Conditions.Assign(u"Mostly Cloudy");
    Shoot("weather_current_night",
          [&](Canvas& c, int l, int t, int r, int b) { PaintCurrentPanel(c, l, t, r, b, night); });
    Shoot("weather_forecast",
          [&](Canvas& c, int l, int t, int r, int b) { PaintForecastPanel(c, l, t, r, b, day); });
    Shoot(
        "weather_forecast_1024x768",
        [&](Canvas& c, int l, int t, int r, int b) { PaintForecastPanel(c, l, t, r, b, day); },
        1024, 768);
    Shoot("version_notice",
          [](Canvas& c, int l, int t, int r, int b) { PaintVersionNotice(c, l, t, r, b, u"1.2"); });
}

}  // namespace
