#include "weather/weather_scanner.h"

#include <iterator>

#include "base/text.h"

namespace {
constexpr int32_t kDayCount = static_cast<int32_t>(std::size(WeatherReport{}.Days));

// Enclosing elements: a tag of this name sets or clears the flag. The first
// matching row wins.
struct FlagRow {
    std::u16string_view Name;
    bool WeatherScanner::*Flag;
    bool Opens;
};
constexpr FlagRow kFlagRows[] = {
    {u"/day", &WeatherScanner::InDay, false},   {u"day", &WeatherScanner::InDay, true},
    {u"/wind", &WeatherScanner::InWind, false}, {u"wind", &WeatherScanner::InWind, true},
    {u"cc", &WeatherScanner::InCc, true},       {u"/cc", &WeatherScanner::InCc, false},
    {u"loc", &WeatherScanner::InLoc, true},     {u"/loc", &WeatherScanner::InLoc, false},
    {u"moon", &WeatherScanner::InMoon, true},   {u"/moon", &WeatherScanner::InMoon, false},
    {u"uv", &WeatherScanner::InUv, true},       {u"/uv", &WeatherScanner::InUv, false},
};

bool IsCSpace(char16_t c) {
    return c == u' ' || (c >= 9 && c <= 13);
}

// One "%d" of the C library's scanf at `pos`: white space, an optional sign,
// at least one digit. Moves `pos` past it; false (pos unchanged) when no
// digit follows.
bool ReadScanInt(std::u16string_view t, std::size_t& pos, int32_t& out) {
    std::size_t i = pos;
    while (i < t.size() && IsCSpace(t[i])) ++i;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
    std::size_t digits = i;
    while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') ++i;
    if (i == digits) return false;
    out = ParseDecimal(t.substr(pos, i - pos));
    pos = i;
    return true;
}
}  // namespace

void FeedWeatherChar(WeatherScanner& s, WeatherReport& report, char16_t c) {
    switch (s.Mode) {
        case ScanMode::ReadingText:
            if (c == u'<') {
                OnWeatherText(s, report);
                s.Mode = ScanMode::ReadingTag;
                s.TagName.Clear();
                s.InComment = false;
            } else {
                s.Text.Push(c <= 0x20 ? u' ' : c);  // Push drops what does not fit
            }
            return;
        case ScanMode::ReadingTag:
            if (c == u'>') {
                OnWeatherTag(s);
                s.Mode = ScanMode::ReadingText;
                s.Text.Clear();
            } else if (s.InComment) {
                return;
            } else if (c == u' ') {
                if (s.TagName.view().starts_with(u"!--")) {
                    s.InComment = true;
                } else {
                    OnWeatherTag(s);
                    s.Mode = ScanMode::ReadingAttrName;
                    s.AttrName.Clear();
                }
            } else {
                // Only a blank ends a name: tabs, line breaks and "/" belong to it.
                s.TagName.Push(c);
            }
            return;
        case ScanMode::ReadingAttrName:
            if (c == u'=') {
                s.InQuotes = false;
                s.Mode = ScanMode::ReadingAttrValue;
                s.AttrValue.Clear();
            } else if (c == u'>') {
                // An attribute without a value goes out with the value buffer as it is.
                if (!s.AttrName.empty()) OnWeatherAttribute(s, report);
                s.Mode = ScanMode::ReadingText;
                s.Text.Clear();
            } else if (c > 0x20 && c != u'?') {
                s.AttrName.Push(c);
            }
            return;
        case ScanMode::ReadingAttrValue:
            if (c != u'"') {
                s.AttrValue.Push(c);
            } else if (s.InQuotes) {
                OnWeatherAttribute(s, report);
                s.Mode = ScanMode::ReadingAttrName;
                s.AttrName.Clear();
            } else {
                s.InQuotes = true;
            }
            return;
    }
}

void FeedWeatherBytes(WeatherScanner& scanner, WeatherReport& report, std::string_view bytes) {
    for (char b : bytes) FeedWeatherChar(scanner, report, static_cast<unsigned char>(b));
}

void OnWeatherTag(WeatherScanner& s) {
    std::u16string_view name = s.TagName.view();
    for (const FlagRow& row : kFlagRows) {
        if (!EqualsNoCase(name, row.Name)) continue;
        s.*row.Flag = row.Opens;
        // DayIndex stops at the first ignored day, so hostile input cannot overflow it.
        if (row.Flag == &WeatherScanner::InDay && !row.Opens && s.DayIndex < kDayCount)
            ++s.DayIndex;
        break;
    }

    auto is = [name](std::u16string_view want) { return EqualsNoCase(name, want); };
    ElementSelectors& e = s.Select;
    e.Unit = is(u"ut");
    e.LocationName = is(u"dnam");
    e.Temperature = is(u"tmp");
    e.LastUpdate = is(u"lsup");
    e.High = s.InDay && is(u"hi");
    e.Low = s.InDay && is(u"low");
    e.Icon = is(u"icon");
    e.DayText = s.InDay && is(u"t");
    e.CurrentText = s.InCc && !s.InWind && !s.InMoon && !s.InUv && is(u"t");
    e.Sunrise = is(u"sunr");
    e.Sunset = is(u"suns");
}

void OnWeatherAttribute(WeatherScanner& s, WeatherReport& report) {
    std::u16string_view tag = s.TagName.view();
    std::u16string_view name = s.AttrName.view();
    std::u16string_view value = s.AttrValue.view();
    if (EqualsNoCase(tag, u"day") && EqualsNoCase(name, u"dt")) {
        if (s.DayIndex >= 0 && s.DayIndex < kDayCount) report.Days[s.DayIndex].Date.Assign(value);
    } else if (EqualsNoCase(tag, u"part") && EqualsNoCase(name, u"p")) {
        s.NightPart = EqualsNoCase(value, u"n");
        s.DayPart = EqualsNoCase(value, u"d");
    }
}

void OnWeatherText(WeatherScanner& s, WeatherReport& report) {
    std::u16string_view text = s.Text.view();
    if (text.empty()) return;
    const ElementSelectors& e = s.Select;

    if (s.DayIndex >= 0 && s.DayIndex < kDayCount && !s.InWind) {
        ForecastDay& day = report.Days[s.DayIndex];
        if (e.High) {
            day.High = ParseDecimal(text);
        } else if (e.Low) {
            day.Low = ParseDecimal(text);
        } else if (e.Icon) {
            if (s.DayPart)
                day.DayIcon = ParseDecimal(text);
            else if (s.NightPart)
                day.NightIcon = ParseDecimal(text);
        } else if (e.DayText) {
            if (s.DayPart)
                day.DayText.Assign(text);
            else if (s.NightPart)
                day.NightText.Assign(text);
        }
    }

    if (e.Unit) {
        report.TempUnit = text[0];
    } else if (e.LocationName) {
        report.LocationName.Assign(text);
    } else if (e.Temperature) {
        report.CurrentTemp = ParseDecimal(text);
    } else if (e.Sunrise && s.InLoc) {
        ParseClockTime(text, report.Sunrise);
    } else if (e.Sunset && s.InLoc) {
        ParseClockTime(text, report.Sunset);
    } else if (e.LastUpdate && s.InCc) {
        report.LastUpdated.Assign(text);
    } else if (e.CurrentText) {
        report.Conditions.Assign(text);
    } else if (e.Icon && s.InCc && !s.InMoon) {
        report.CurrentIcon = ParseDecimal(text);
    }
}

void ParseClockTime(std::u16string_view text, ClockTime& out) {
    int32_t hour = 0;
    int32_t minute = 0;
    std::u16string_view suffix;
    std::size_t i = 0;
    if (ReadScanInt(text, i, hour) && i < text.size() && text[i] == u':') {
        ++i;
        if (ReadScanInt(text, i, minute)) {
            while (i < text.size() && IsCSpace(text[i])) ++i;
            std::size_t start = i;
            while (i < text.size() && i - start < 2 && !IsCSpace(text[i])) ++i;
            suffix = text.substr(start, i - start);
        }
    }
    if (minute < 0 || minute > 59) minute = 0;
    bool pm = suffix.find(u"pm") != std::u16string_view::npos ||
              suffix.find(u"PM") != std::u16string_view::npos;
    if (pm) {
        if (hour < 12) hour += 12;
    } else if (hour == 12) {
        hour = 0;
    }
    if (hour < 0 || hour > 23) hour = 0;
    out.Hour = static_cast<uint16_t>(hour);
    out.Minute = static_cast<uint16_t>(minute);
}
