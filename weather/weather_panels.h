// The two weather panels, painters for MakeOverlayTexture: current
// conditions (DrawCurrentPanel) and the five-day forecast with its
// temperature graph (DrawForecastPanel). Each takes one consistent copy of
// the shared report, lays it out (weather_panel_layout.h) and draws the
// layout. Main thread only.
#pragma once

#include "overlay/canvas.h"
#include "weather/weather_panel_layout.h"
#include "weather/weather_report.h"

// OverlayPainter-compatible; they read the shared report.
void DrawCurrentPanel(Canvas& canvas, int left, int top, int right, int bottom);
void DrawForecastPanel(Canvas& canvas, int left, int top, int right, int bottom);

// The same painters over a given report copy.
void PaintCurrentPanel(Canvas& canvas, int left, int top, int right, int bottom,
                       const WeatherReport& report);
void PaintForecastPanel(Canvas& canvas, int left, int top, int right, int bottom,
                        const WeatherReport& report);
