#include "weather/weather_panel_layout.h"

#include <algorithm>
#include <string>

#include "base/text.h"
#include "weather/open_meteo.h"

using namespace panel_style;

const WeatherIconRow WeatherIconTable[kWeatherIconCodes] = {
    {0, 0},   {0, 0},   {0, 0},   {0, 0},   {0, 0},   {22, 22}, {17, 17}, {17, 17}, {11, 11},
    {11, 11}, {20, 20}, {11, 11}, {20, 20}, {9, 9},   {14, 14}, {2, 2},   {14, 14}, {0, 0},
    {17, 17}, {18, 12}, {1, 1},   {19, 12}, {18, 12}, {5, 5},   {5, 5},   {2, 2},   {7, 7},
    {25, 10}, {24, 10}, {23, 10}, {24, 10}, {8, 4},   {8, 4},   {16, 6},  {16, 6},  {0, 0},
    {8, 4},   {29, 27}, {29, 27}, {26, 15}, {20, 20}, {14, 14}, {13, 13}, {14, 14}, {3, 3},
    {26, 15}, {14, 14}, {29, 27}, {28, 21},
};

int WeatherPictureId(int32_t iconCode, bool night) {
    if (iconCode < 0 || iconCode >= kWeatherIconCodes) iconCode = kUnknownIconCode;
    const WeatherIconRow& row = WeatherIconTable[iconCode];
    return kFirstPictureId + (night ? row.night : row.day);
}

namespace {

// A reader with the C library's scanf rules for the few directives the
// observation time needs: %d skips white space and wants at least one digit,
// a literal must match exactly, a blank matches any run of white space.
class ScanfReader {
  public:
    explicit ScanfReader(std::u16string_view s) : s_(s) {}

    bool Int(int64_t& out) {
        SkipSpaces();
        std::size_t p = pos_;
        bool negative = false;
        if (p < s_.size() && (s_[p] == u'+' || s_[p] == u'-')) negative = s_[p++] == u'-';
        if (p >= s_.size() || !IsDigit(s_[p])) return false;
        int64_t v = 0;
        for (; p < s_.size() && IsDigit(s_[p]); ++p)
            v = std::min<int64_t>(v * 10 + (s_[p] - u'0'), kSaturation);
        pos_ = p;
        out = negative ? -v : v;
        return true;
    }
    bool Literal(char16_t c) {
        if (pos_ >= s_.size() || s_[pos_] != c) return false;
        ++pos_;
        return true;
    }
    // %Ns: up to `max` characters of a word after white space.
    std::u16string_view Word(std::size_t max) {
        SkipSpaces();
        std::size_t start = pos_;
        while (pos_ < s_.size() && pos_ - start < max && !IsSpace(s_[pos_])) ++pos_;
        return s_.substr(start, pos_ - start);
    }
    void SkipSpaces() {
        while (pos_ < s_.size() && IsSpace(s_[pos_])) ++pos_;
    }

  private:
    static constexpr int64_t kSaturation = 2147483647;
    static bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
    static bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

    std::u16string_view s_;
    std::size_t pos_ = 0;
};

int64_t Minutes(ClockTime t) {
    return t.Hour * 60 + t.Minute;
}

FixedText<100> TwoDigits(int v) {
    FixedText<100> t;
    if (v < 10) t.Push(u'0');
    t.Append(DecimalText(v));
    return t;
}

TextBox MakeText(const FixedText<100>& text, float x, float y, float w, float h, float points,
                 uint32_t argb, TextAlign align = TextAlign::Center) {
    TextBox box;
    box.text = text;
    box.x = x;
    box.y = y;
    box.w = w;
    box.h = h;
    box.points = points;
    box.argb = argb;
    box.align = align;
    return box;
}

// Open-Meteo's data come under a licence that asks for its credit wherever
// they are shown: small, in the panel's upper right corner, above the
// heading's letters (the sun line's two lines fill the bottom on narrow screens).
TextBox CreditText(const WeatherReport& report, float x, float y, float w) {
    if (!report.FromOpenMeteo) return {};
    return MakeText(FixedText<100>(kOpenMeteoCredit), x, y, w - 6, kCreditHeight, kCreditPoints,
                    kText, TextAlign::Far);
}

// A quotient of the picture scale: computed exactly, then rounded to a
// 32-bit float once. Rounding the parts separately gives other truncated
// sizes (a 1280 pixel wide forecast would get 255 instead of 256).
float ScaleQuotient(double q) {
    return static_cast<float>(q);
}

// The picture size for scale k, truncated; a negative scale means no picture
// at all. True when the picture has a size to be drawn at.
bool PictureSize(float k, int& pw, int& ph) {
    pw = k < 0 ? 0 : static_cast<int>(kPictureWidth * static_cast<double>(k));
    ph = k < 0 ? 0 : static_cast<int>(kPictureHeight * static_cast<double>(k));
    return pw > 0 && ph > 0;
}

// The content rectangle as origin and size, in whole pixels and as floats.
struct Frame {
    int a, b, W, H;
    float fa, fb, fW, fH;
};

Frame FrameOf(int left, int top, int right, int bottom) {
    const int W = right - left, H = bottom - top;
    const auto f = [](int v) { return static_cast<float>(v); };
    return {left, top, W, H, f(left), f(top), f(W), f(H)};
}

}  // namespace

int64_t ObservationMinutes(std::u16string_view lastUpdated) {
    ScanfReader in(lastUpdated);
    int64_t month = 0, day = 0, year = 0;
    int64_t hour = -1, minute = -1;
    std::u16string_view word;
    // Each directive only runs while every earlier one matched, as in scanf.
    bool ok = in.Int(month) && in.Literal(u'/') && in.Int(day) && in.Literal(u'/') &&
              in.Int(year) && in.Int(hour) && in.Literal(u':') && in.Int(minute);
    if (ok) word = in.Word(2);
    hour = std::max<int64_t>(hour, 0);
    minute = std::max<int64_t>(minute, 0);
    if (EqualsNoCase(word, u"PM")) {
        if (hour < 12) hour += 12;
    } else if (hour == 12) {
        hour = 0;
    }
    return hour * 60 + minute;
}

SkyPhase SkyPhaseAt(int64_t t, ClockTime sunrise, ClockTime sunset) {
    int64_t r = Minutes(sunrise);
    int64_t s = Minutes(sunset);
    // A sun that rises and sets at the same minute does not rise: a polar night.
    if (r == s) return SkyPhase::Night;
    if (r <= t && t < s) return SkyPhase::Day;
    if (r - 60 <= t && t < s + 60) return SkyPhase::Twilight;
    return SkyPhase::Night;
}

FixedText<100> HeadingText(const WeatherReport& report) {
    FixedText<100> t(u"Weather in ");
    t.Append(report.LocationName.view());
    return t;
}

FixedText<100> TemperatureText(int32_t temperature, char16_t unit) {
    FixedText<100> t(DecimalText(temperature));
    t.Append(u"\u00B0 ");
    // A unit of 0 ends the text, as the terminator it is.
    if (unit != 0) t.Push(unit);
    return t;
}

FixedText<100> SunLineText(const WeatherReport& report) {
    FixedText<100> t(u"Sunrise: ");
    t.Append(DecimalText(report.Sunrise.Hour));
    t.Push(u':');
    t.Append(TwoDigits(report.Sunrise.Minute).view());
    t.Append(u", sunset: ");
    t.Append(DecimalText(report.Sunset.Hour));
    t.Push(u':');
    t.Append(TwoDigits(report.Sunset.Minute).view());
    t.Append(u"\nLast updated: ");
    t.Append(report.LastUpdated.view());
    return t;
}

CurrentPanelLayout ComputeCurrentPanelLayout(int left, int top, int right, int bottom,
                                             const WeatherReport& report) {
    const auto [a, b, W, H, fa, fb, fW, fH] = FrameOf(left, top, right, bottom);
    CurrentPanelLayout L;

    L.phase =
        SkyPhaseAt(ObservationMinutes(report.LastUpdated.view()), report.Sunrise, report.Sunset);
    L.background = {a, b, W, H};
    L.backgroundArgb = L.phase == SkyPhase::Day        ? kDaySky
                       : L.phase == SkyPhase::Twilight ? kTwilight
                                                       : kNight;

    L.scale = std::min(ScaleQuotient(static_cast<double>(W) / kPictureWidth),
                       ScaleQuotient(static_cast<double>(H - 200) / kPictureHeight));
    int pw, ph;
    L.hasPicture = PictureSize(L.scale, pw, ph);
    L.picture.id = WeatherPictureId(report.CurrentIcon, L.phase != SkyPhase::Day);
    L.picture.rect = {a + (W - pw) / 2, b + 100 + (H - ph - 200) / 2, pw, ph};

    const float fpw = static_cast<float>(pw), fph = static_cast<float>(ph);
    L.heading = MakeText(HeadingText(report), fa, fb + 10, fW, fH, kHeadingPoints, kText);
    // Over the upper right of the picture.
    L.temperature =
        MakeText(TemperatureText(report.CurrentTemp, report.TempUnit), fa + (fW - fpw) * 0.5f,
                 fb + (fH - fph) * 0.5f + fph / 6, fpw, fph / 3, kBigPoints, kText, TextAlign::Far);
    // Starting a third of the picture's height above its bottom, in whole
    // pixels as the layout always placed it.
    const int thirdOfPicture = ph / 3;
    L.conditions =
        MakeText(report.Conditions, fa, fb + (fH + fph) * 0.5f - static_cast<float>(thirdOfPicture),
                 fW, fH - 100, kBigPoints, kText);
    L.sunLine = MakeText(SunLineText(report), fa, fb + fH - 70, fW, fH, kSmallPoints, kText);
    L.credit = CreditText(report, fa, fb, fW);
    return L;
}

ForecastPanelLayout ComputeForecastPanelLayout(int left, int top, int right, int bottom,
                                               const WeatherReport& report) {
    const auto [a, b, W, H, fa, fb, fW, fH] = FrameOf(left, top, right, bottom);
    ForecastPanelLayout L;

    L.scale = std::min(ScaleQuotient(static_cast<double>(W) / kPictureWidth / 5),
                       ScaleQuotient(static_cast<double>(H - 550) / kPictureHeight * 0.5));
    int pw, ph;
    L.hasPictures = PictureSize(L.scale, pw, ph);
    L.heading = MakeText(HeadingText(report), fa, fb + 10, fW, fH, kHeadingPoints, kText);

    const int cw = W / 5;
    const float fcw = fW / 5;
    for (int i = 0; i < 5; ++i) {
        const ForecastDay& day = report.Days[i];
        const int ci = i * W / 5;
        const float x = fa + static_cast<float>(i * W) / 5;
        const int pictureX = a + ci + (cw - pw) / 2;
        ForecastColumn& c = L.columns[i];
        c.gradient = {a + ci + 5, b + 200, cw - 10, H - 350};
        c.date = MakeText(day.Date, x, fb + 145, fcw, 200, kMediumPoints, kDate);
        c.dayPicture = {WeatherPictureId(day.DayIcon, false), {pictureX, b + 200, pw, ph}};
        c.dayText = MakeText(day.DayText, x, fb + ph + 160, fcw, fH, kSmallPoints, kHigh);
        c.high =
            MakeText(day.HasHigh ? TemperatureText(day.High, report.TempUnit) : FixedText<100>(), x,
                     fb + ph + 195, fcw, fH, kMediumPoints, kHigh);
        c.nightPicture = {WeatherPictureId(day.NightIcon, true),
                          {pictureX, b + H - ph - 215, pw, ph}};
        c.nightText = MakeText(day.NightText, x, fb + fH - 255, fcw, fH, kSmallPoints, kLow);
        c.low = MakeText(day.HasLow ? TemperatureText(day.Low, report.TempUnit) : FixedText<100>(),
                         x, fb + fH - 220, fcw, fH, kMediumPoints, kLow);
    }

    // The graph lies between the high texts and the night pictures: the
    // lowest value on the base, the highest G above it. Equal values use a
    // span of 10000, which lays every point on the base.
    // Days without a value take no part.
    int64_t lo = INT64_MAX, hi = INT64_MIN;
    for (const ForecastDay& day : report.Days) {
        for (auto [known, v] : {std::pair{day.HasHigh, day.High}, std::pair{day.HasLow, day.Low}})
            if (known) {
                lo = std::min<int64_t>(lo, v);
                hi = std::max<int64_t>(hi, v);
            }
    }
    L.hasGraph = L.scale >= 0 && lo <= hi;
    if (lo > hi) lo = hi = 0;
    const int64_t span = hi == lo ? 10000 : hi - lo;
    const int base = H - ph - 215;
    const int G = H - 2 * ph - 480;
    const float scale = static_cast<float>(G) / static_cast<float>(span);
    // b by value: some compilers cannot capture a structured binding by reference.
    auto yOf = [&, b = b](int32_t v) {
        return b + static_cast<int>(static_cast<float>(base) - static_cast<float>(v - lo) * scale);
    };
    PanelCurve& highShadow = L.curves[0];
    PanelCurve& lowShadow = L.curves[1];
    PanelCurve& highs = L.curves[2];
    PanelCurve& lows = L.curves[3];
    highShadow.argb = lowShadow.argb = kShadow;
    highs.argb = kHigh;
    lows.argb = kLow;
    for (int i = 0; i < 5; ++i) {
        const int x = a + i * W / 5 + W / 10;
        highs.points[i] = {x, yOf(report.Days[i].High)};
        lows.points[i] = {x, yOf(report.Days[i].Low)};
        highShadow.points[i] = {x + kShadowOffset, highs.points[i].y + kShadowOffset};
        lowShadow.points[i] = {x + kShadowOffset, lows.points[i].y + kShadowOffset};
        highs.known[i] = highShadow.known[i] = report.Days[i].HasHigh;
        lows.known[i] = lowShadow.known[i] = report.Days[i].HasLow;
    }

    L.sunLine = MakeText(SunLineText(report), fa, fb + fH - 70, fW, fH, kSmallPoints, kText);
    L.credit = CreditText(report, fa, fb, fW);
    return L;
}
