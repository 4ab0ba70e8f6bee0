#include "weather/weather_scanner.h"

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

// Stores bytes from `p` into `buffer` (as ISO 8859-1 characters, as many as
// fit, dropping the rest) up to the first byte for which `ends` is true;
// returns where it stopped. With kBlankControls every code of 0x20 or below
// is stored as a blank.
template <bool kBlankControls, typename Ends>
const char* StoreUntil(ScanBuffer& buffer, const char* p, const char* end, Ends ends) {
    std::size_t length = buffer.Length;
    for (; p < end && !ends(*p); ++p) {
        if (length == ScanBuffer::kCapacity) continue;
        auto b = static_cast<unsigned char>(*p);
        buffer.Chars[length++] = kBlankControls && b <= 0x20 ? u' ' : b;
    }
    buffer.Length = length;
    return p;
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
        switch (s.Mode) {
            case ScanMode::ReadingText:
                p = StoreUntil<true>(s.Text, p, end, [](char c) { return c == '<'; });
                break;
            case ScanMode::ReadingTag:
                if (s.InComment) {
                    while (p < end && *p != '>') ++p;
                } else {
                    p = StoreUntil<false>(s.TagName, p, end,
                                          [](char c) { return c == ' ' || c == '>'; });
                }
                break;
            case ScanMode::ReadingAttrValue:
                p = StoreUntil<false>(s.AttrValue, p, end, [](char c) { return c == '"'; });
                break;
            case ScanMode::ReadingAttrName:
                break;
        }
        if (p < end) FeedWeatherChar(s, report, static_cast<unsigned char>(*p++));
    }
}

void OnWeatherTag(WeatherScanner& s) {
    // First the enclosing elements, then which element the text that follows
    // belongs to. A closing tag selects nothing.
    ElementSelectors e;
    switch (NameKey(s.TagName.view())) {
        case NameKey(u"day"):
            s.InDay = true;
            break;
        case NameKey(u"/day"):
            s.InDay = false;
            // Stops at the first ignored day, so hostile input cannot overflow it.
            if (s.DayIndex < kDayCount) ++s.DayIndex;
            break;
        case NameKey(u"wind"):
            s.InWind = true;
            break;
        case NameKey(u"/wind"):
            s.InWind = false;
            break;
        case NameKey(u"cc"):
            s.InCc = true;
            break;
        case NameKey(u"/cc"):
            s.InCc = false;
            break;
        case NameKey(u"loc"):
            s.InLoc = true;
            break;
        case NameKey(u"/loc"):
            s.InLoc = false;
            break;
        case NameKey(u"moon"):
            s.InMoon = true;
            break;
        case NameKey(u"/moon"):
            s.InMoon = false;
            break;
        case NameKey(u"uv"):
            s.InUv = true;
            break;
        case NameKey(u"/uv"):
            s.InUv = false;
            break;
        case NameKey(u"ut"):
            e.Unit = true;
            break;
        case NameKey(u"dnam"):
            e.LocationName = true;
            break;
        case NameKey(u"tmp"):
            e.Temperature = true;
            break;
        case NameKey(u"lsup"):
            e.LastUpdate = true;
            break;
        case NameKey(u"hi"):
            e.High = s.InDay;
            break;
        case NameKey(u"low"):
            e.Low = s.InDay;
            break;
        case NameKey(u"icon"):
            e.Icon = true;
            break;
        case NameKey(u"t"):
            e.DayText = s.InDay;
            e.CurrentText = s.InCc && !s.InWind && !s.InMoon && !s.InUv;
            break;
        case NameKey(u"sunr"):
            e.Sunrise = true;
            break;
        case NameKey(u"suns"):
            e.Sunset = true;
            break;
        default:
            break;
    }
    s.Select = e;
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
