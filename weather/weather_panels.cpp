#include "weather/weather_panels.h"

#include "overlay/resource_images.h"

namespace {

// A picture that is missing or of no size is simply not drawn.
void DrawPlacedPicture(Canvas& canvas, const PlacedPicture& p) {
    if (p.rect.w <= 0 || p.rect.h <= 0) return;
    if (const Picture* picture = GetResourceImage(p.id))
        canvas.DrawPicture(*picture, p.rect.x, p.rect.y, p.rect.w, p.rect.h);
}

void DrawTextBox(Canvas& canvas, const TextBox& box) {
    if (box.text.empty()) return;
    canvas.DrawText(box.text.view(), CreateOverlayFont(box.points), box.x, box.y, box.w, box.h,
                    box.argb, box.align);
}

// Each run of known days is a curve of its own; a day alone between
// unknown ones is a point, too short to draw.
void DrawCurves(Canvas& canvas, const PanelCurve (&curves)[4]) {
    for (const PanelCurve& c : curves) {
        for (int first = 0; first < 5;) {
            int end = first;
            while (end < 5 && c.known[end]) ++end;
            if (end - first >= 2)
                canvas.DrawCurve(c.points + first, end - first, panel_style::kPenWidth, c.argb);
            first = end + 1;
        }
    }
}

}  // namespace

void PaintCurrentPanel(Canvas& canvas, int left, int top, int right, int bottom,
                       const WeatherReport& report) {
    const CurrentPanelLayout L = ComputeCurrentPanelLayout(left, top, right, bottom, report);
    const PixelRect& bg = L.background;
    // The night colour is fully transparent: the black canvas shows through.
    if (bg.w > 0 && bg.h > 0 && L.backgroundArgb >> 24 != 0)
        canvas.FillRect(bg.x, bg.y, bg.w, bg.h, L.backgroundArgb);
    if (L.hasPicture) DrawPlacedPicture(canvas, L.picture);
    DrawTextBox(canvas, L.heading);
    DrawTextBox(canvas, L.temperature);
    DrawTextBox(canvas, L.conditions);
    DrawTextBox(canvas, L.sunLine);
    DrawTextBox(canvas, L.credit);
}

void PaintForecastPanel(Canvas& canvas, int left, int top, int right, int bottom,
                        const WeatherReport& report) {
    const ForecastPanelLayout L = ComputeForecastPanelLayout(left, top, right, bottom, report);
    DrawTextBox(canvas, L.heading);
    for (const ForecastColumn& c : L.columns) {
        const PixelRect& g = c.gradient;
        if (g.w > 0 && g.h > 0)
            canvas.FillVerticalGradient(g.x, g.y, g.w, g.h, panel_style::kColumnTop,
                                        panel_style::kColumnBottom);
        DrawTextBox(canvas, c.date);
        if (L.hasPictures) DrawPlacedPicture(canvas, c.dayPicture);
        DrawTextBox(canvas, c.dayText);
        DrawTextBox(canvas, c.high);
        if (L.hasPictures) DrawPlacedPicture(canvas, c.nightPicture);
        DrawTextBox(canvas, c.nightText);
        DrawTextBox(canvas, c.low);
    }
    if (L.hasGraph) DrawCurves(canvas, L.curves);
    DrawTextBox(canvas, L.sunLine);
    DrawTextBox(canvas, L.credit);
}

void DrawCurrentPanel(Canvas& canvas, int left, int top, int right, int bottom) {
    PaintCurrentPanel(canvas, left, top, right, bottom, CurrentWeatherReport());
}

void DrawForecastPanel(Canvas& canvas, int left, int top, int right, int bottom) {
    PaintForecastPanel(canvas, left, top, right, bottom, WeatherReportForForecast());
}
