// Geometry of the two weather panels, as pure functions of the content
// rectangle and one copy of the report. The painters in weather_panels.cpp
// only walk these layouts and draw, so every position, size, colour and text
// can be checked without painting.
//
// How it works: each Compute*Layout takes (left, top, right, bottom) and a
// report and returns plain rectangles, text boxes and curve points. The
// picture scale k is computed in 32-bit floats (each quotient rounded to a
// float) because the truncated picture sizes depend on that rounding.
// A negative k (a screen too low for the panel) leaves out the pictures and
// the graph; the texts are still laid out, with picture sizes taken as 0.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/fixed_text.h"
#include "overlay/canvas.h"
#include "weather/weather_report.h"

// Colours (ARGB) and text sizes (points) of the panels.
namespace panel_style {
inline constexpr uint32_t kText = 0xFFE0E0E0;
inline constexpr uint32_t kDate = 0xFFFFFFFF;
inline constexpr uint32_t kHigh = 0xFFE0D080;
inline constexpr uint32_t kLow = 0xFF75A0C6;
inline constexpr uint32_t kShadow = 0xFF404040;
inline constexpr uint32_t kDaySky = 0xFF6698DA;
inline constexpr uint32_t kTwilight = 0xFF615B6A;
inline constexpr uint32_t kNight = 0x00000000;  // transparent: the black canvas shows
inline constexpr uint32_t kColumnTop = 0xFF6698DA;
inline constexpr uint32_t kColumnBottom = 0xFF001030;
inline constexpr float kPenWidth = 5;
inline constexpr int kShadowOffset = 4;
inline constexpr float kHeadingPoints = 35;
inline constexpr float kBigPoints = 75;     // current temperature and conditions
inline constexpr float kSmallPoints = 20;   // sun line, forecast day and night texts
inline constexpr float kMediumPoints = 35;  // forecast date, high and low
inline constexpr float kCreditPoints = 11;  // the provider's credit, top right
inline constexpr float kCreditHeight = 18;
inline constexpr int kPictureWidth = 250;  // every weather picture
inline constexpr int kPictureHeight = 180;
inline constexpr int kFirstPictureId = 2000;
inline constexpr int kUnknownIconCode = 44;  // "not available", also for codes out of range
}  // namespace panel_style

// One row per feed icon code 0..48: the picture index (id - 2000) by day and
// by night.
struct WeatherIconRow {
    int32_t day;
    int32_t night;
};
inline constexpr int kWeatherIconCodes = 49;
extern const WeatherIconRow WeatherIconTable[kWeatherIconCodes];

// The resource picture id for a feed icon code; codes outside 0..48 count
// as 44.
int WeatherPictureId(int32_t iconCode, bool night);

struct PixelRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// A text in its layout rectangle, already formatted and cut to 99 characters.
struct TextBox {
    FixedText<100> text;
    float x = 0;
    float y = 0;
    float w = 0;
    float h = 0;
    float points = 0;
    uint32_t argb = 0;
    TextAlign align = TextAlign::Center;
};

struct PlacedPicture {
    int id = 0;
    PixelRect rect;
};

struct PanelCurve {
    CanvasPoint points[5];
    bool known[5] = {true, true, true, true, true};  // unknown days break the curve
    uint32_t argb = 0;
};

// The observation time read from LastUpdated ("%d/%d/%d %d:%d %s"), in
// minutes after midnight; unreadable parts count as 0.
int64_t ObservationMinutes(std::u16string_view lastUpdated);

enum class SkyPhase { Day, Twilight, Night };
// Day: sunrise <= t < sunset. Twilight: the hour around either end. Night
// all day when sunrise equals sunset (a polar night).
SkyPhase SkyPhaseAt(int64_t minutes, ClockTime sunrise, ClockTime sunset);

// The formatted texts, each cut at 99 characters.
FixedText<100> HeadingText(const WeatherReport& report);
FixedText<100> TemperatureText(int32_t temperature, char16_t unit);
FixedText<100> SunLineText(const WeatherReport& report);

struct CurrentPanelLayout {
    SkyPhase phase = SkyPhase::Night;
    PixelRect background;
    uint32_t backgroundArgb = 0;
    float scale = 0;  // the picture scale k
    bool hasPicture = false;
    PlacedPicture picture;
    TextBox heading;
    TextBox temperature;
    TextBox conditions;
    TextBox sunLine;
    TextBox credit;  // empty unless the data's provider asks for one
};

CurrentPanelLayout ComputeCurrentPanelLayout(int left, int top, int right, int bottom,
                                             const WeatherReport& report);

struct ForecastColumn {
    PixelRect gradient;
    TextBox date;
    PlacedPicture dayPicture;
    TextBox dayText;
    TextBox high;
    PlacedPicture nightPicture;
    TextBox nightText;
    TextBox low;
};

struct ForecastPanelLayout {
    float scale = 0;  // the picture scale k
    bool hasPictures = false;
    TextBox heading;
    ForecastColumn columns[5];
    bool hasGraph = false;
    // In drawing order: high shadow, low shadow, high, low.
    PanelCurve curves[4];
    TextBox sunLine;
    TextBox credit;  // empty unless the data's provider asks for one
};

// `report` is the copy after the first-day substitution
// (WeatherReportForForecast).
ForecastPanelLayout ComputeForecastPanelLayout(int left, int top, int right, int bottom,
                                               const WeatherReport& report);
