#include "weather/weather_scanner.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "base/text.h"

namespace {
constexpr int32_t kDayCount = static_cast<int32_t>(std::size(WeatherReport{}.Days));

// Tag names are matched as small integers: up to five ASCII characters,
// folded to lower case, packed one per byte. Every name the scanner knows is
// that short, so a longer name, an empty one or one with other characters
// gets key 0 and matches nothing. This keeps the work per tag to a few
// integer compares, the same result as comparing whole names without
// regard to case.
constexpr uint64_t NameKey(std::u16string_view name) {
    if (name.empty() || name.size() > 5) return 0;
    uint64_t key = 0;
    for (char16_t c : name) {
        if (c == 0 || c >= 0x80) return 0;
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
        key = key << 8 | c;
    }
    return key;
}

// Enclosing elements: a tag of this name sets or clears the flag. The first
// matching row wins.
struct FlagRow {
    uint64_t Key;
    bool WeatherScanner::*Flag;
    bool Opens;
};
constexpr FlagRow kFlagRows[] = {
    {NameKey(u"/day"), &WeatherScanner::InDay, false},
    {NameKey(u"day"), &WeatherScanner::InDay, true},
    {NameKey(u"/wind"), &WeatherScanner::InWind, false},
    {NameKey(u"wind"), &WeatherScanner::InWind, true},
    {NameKey(u"cc"), &WeatherScanner::InCc, true},
    {NameKey(u"/cc"), &WeatherScanner::InCc, false},
    {NameKey(u"loc"), &WeatherScanner::InLoc, true},
    {NameKey(u"/loc"), &WeatherScanner::InLoc, false},
    {NameKey(u"moon"), &WeatherScanner::InMoon, true},
    {NameKey(u"/moon"), &WeatherScanner::InMoon, false},
    {NameKey(u"uv"), &WeatherScanner::InUv, true},
    {NameKey(u"/uv"), &WeatherScanner::InUv, false},
};

// The first `wanted` byte in [p, end), or end.
const char* FindByte(const char* p, const char* end, char wanted) {
    while (p < end && *p != wanted) ++p;
    return p;
}

// Stores the bytes [p, end) into `buffer` as ISO 8859-1 characters, as many
// as fit; with `blankControls` every code of 0x20 or below becomes a blank.
void StoreRun(ScanBuffer& buffer, const char* p, const char* end, bool blankControls) {
    std::size_t n =
        std::min(ScanBuffer::kCapacity - buffer.Length, static_cast<std::size_t>(end - p));
    char16_t* out = buffer.Chars + buffer.Length;
    for (std::size_t i = 0; i < n; ++i) {
        auto b = static_cast<unsigned char>(p[i]);
        out[i] = blankControls && b <= 0x20 ? u' ' : b;
    }
    buffer.Length += n;
}

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
                s.Text.Push(c <= 0x20 ? u' ' : c);
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
                if (s.AttrName.Length != 0) OnWeatherAttribute(s, report);
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

void FeedWeatherBytes(WeatherScanner& s, WeatherReport& report, std::string_view bytes) {
    // The same as FeedWeatherChar for each byte, but a run of characters that
    // the current mode merely stores (or drops) is handled at once; only the
    // character that ends the run goes through FeedWeatherChar.
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char* stop = p;
        switch (s.Mode) {
            case ScanMode::ReadingText:
                stop = FindByte(p, end, '<');
                StoreRun(s.Text, p, stop, true);
                break;
            case ScanMode::ReadingTag:
                if (s.InComment) {
                    stop = FindByte(p, end, '>');
                } else {
                    while (stop < end && *stop != ' ' && *stop != '>') ++stop;
                    StoreRun(s.TagName, p, stop, false);
                }
                break;
            case ScanMode::ReadingAttrValue:
                stop = FindByte(p, end, '"');
                StoreRun(s.AttrValue, p, stop, false);
                break;
            case ScanMode::ReadingAttrName:
                break;
        }
        p = stop;
        if (p < end) FeedWeatherChar(s, report, static_cast<unsigned char>(*p++));
    }
}

void OnWeatherTag(WeatherScanner& s) {
    const uint64_t key = NameKey(s.TagName.view());
    for (const FlagRow& row : kFlagRows) {
        if (key != row.Key) continue;
        s.*row.Flag = row.Opens;
        // DayIndex stops at the first ignored day, so hostile input cannot overflow it.
        if (row.Flag == &WeatherScanner::InDay && !row.Opens && s.DayIndex < kDayCount)
            ++s.DayIndex;
        break;
    }

    constexpr uint64_t kUt = NameKey(u"ut"), kDnam = NameKey(u"dnam"), kTmp = NameKey(u"tmp"),
                       kLsup = NameKey(u"lsup"), kHi = NameKey(u"hi"), kLow = NameKey(u"low"),
                       kIcon = NameKey(u"icon"), kT = NameKey(u"t"), kSunr = NameKey(u"sunr"),
                       kSuns = NameKey(u"suns");
    ElementSelectors& e = s.Select;
    e.Unit = key == kUt;
    e.LocationName = key == kDnam;
    e.Temperature = key == kTmp;
    e.LastUpdate = key == kLsup;
    e.High = s.InDay && key == kHi;
    e.Low = s.InDay && key == kLow;
    e.Icon = key == kIcon;
    e.DayText = s.InDay && key == kT;
    e.CurrentText = s.InCc && !s.InWind && !s.InMoon && !s.InUv && key == kT;
    e.Sunrise = key == kSunr;
    e.Sunset = key == kSuns;
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
