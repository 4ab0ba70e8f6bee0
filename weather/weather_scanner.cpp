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
constexpr std::size_t kKeyChars = 5;

// One more character of a name into its key; 0 once the name cannot have one.
constexpr uint64_t ExtendKey(uint64_t key, std::size_t length, char16_t c) {
    if (length >= kKeyChars || c == 0 || c >= 0x80) return 0;
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
    return key << 8 | c;
}

constexpr uint64_t NameKey(std::u16string_view name) {
    uint64_t key = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        key = ExtendKey(key, i, name[i]);
        if (key == 0) return 0;
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

// The same up to the first `stop` byte, found with memchr: the bytes past
// what the buffer keeps are skipped without a look.
template <bool kBlankControls>
const char* StoreUntilByte(ScanBuffer& buffer, const char* p, const char* end, char stop) {
    const void* found = std::memchr(p, stop, static_cast<std::size_t>(end - p));
    const char* runEnd = found ? static_cast<const char*>(found) : end;
    const std::size_t room = ScanBuffer::kCapacity - buffer.Length;
    const std::size_t take = std::min(room, static_cast<std::size_t>(runEnd - p));
    char16_t* out = buffer.Chars + buffer.Length;
    for (std::size_t i = 0; i < take; ++i) {
        auto b = static_cast<unsigned char>(p[i]);
        out[i] = kBlankControls && b <= 0x20 ? u' ' : b;
    }
    buffer.Length += take;
    return runEnd;
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

namespace {
// The transitions both entries share: "<" ends a text, ">" ends a tag, and
// a blank ends a tag name (or, after "!--", starts a comment).
void StartTag(WeatherScanner& s, WeatherReport& report) {
    OnWeatherText(s, report);
    s.Mode = ScanMode::ReadingTag;
    s.TagName.Clear();
    s.InComment = false;
}

void EndTag(WeatherScanner& s, uint64_t key) {
    OnWeatherTagKey(s, key);
    s.Mode = ScanMode::ReadingText;
    s.Text.Clear();
}

void EndTagNameAtBlank(WeatherScanner& s, uint64_t key) {
    if (s.TagName.view().starts_with(u"!--")) {
        s.InComment = true;
    } else {
        OnWeatherTagKey(s, key);
        s.Mode = ScanMode::ReadingAttrName;
        s.AttrName.Clear();
    }
}

// A tag name read straight from the bytes, with its key made on the way:
// the run up to the blank or ">" that ends it. False when the name began in
// an earlier call, or the bytes end first: then the bytes go the slow way.
bool ReadTagName(WeatherScanner& s, const char*& p, const char* end) {
    if (s.TagName.Length != 0) return false;
    uint64_t key = 0;
    std::size_t length = 0;
    const char* q = p;
    for (; q < end && *q != ' ' && *q != '>'; ++q, ++length) {
        auto b = static_cast<unsigned char>(*q);
        key = length == 0 || key != 0 ? ExtendKey(key, length, b) : 0;
        if (length < ScanBuffer::kCapacity) s.TagName.Chars[length] = b;
    }
    if (q == end) return false;
    s.TagName.Length = std::min(length, ScanBuffer::kCapacity);
    p = q + 1;
    if (*q == '>') {
        EndTag(s, key);
    } else {
        EndTagNameAtBlank(s, key);
    }
    return true;
}
}  // namespace

void FeedWeatherChar(WeatherScanner& s, WeatherReport& report, char16_t c) {
    switch (s.Mode) {
        case ScanMode::ReadingText:
            if (c == u'<') {
                StartTag(s, report);
            } else if (s.SelectsAny) {
                // No element wants a text nobody selected: it is not kept.
                s.Text.Push(c <= 0x20 ? u' ' : c);
            }
            return;
        case ScanMode::ReadingTag:
            if (c == u'>') {
                EndTag(s, NameKey(s.TagName.view()));
            } else if (s.InComment) {
                return;
            } else if (c == u' ') {
                EndTagNameAtBlank(s, NameKey(s.TagName.view()));
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
                if (s.SelectsAny) {
                    p = StoreUntilByte<true>(s.Text, p, end, '<');
                } else {
                    const void* lt = std::memchr(p, '<', static_cast<std::size_t>(end - p));
                    p = lt ? static_cast<const char*>(lt) : end;
                }
                if (p < end) {
                    ++p;
                    StartTag(s, report);
                }
                continue;
            case ScanMode::ReadingTag:
                if (s.InComment) {
                    const void* gt = std::memchr(p, '>', static_cast<std::size_t>(end - p));
                    p = gt ? static_cast<const char*>(gt) : end;
                } else if (ReadTagName(s, p, end)) {
                    continue;
                } else {
                    p = StoreUntil<false>(s.TagName, p, end,
                                          [](char c) { return c == ' ' || c == '>'; });
                }
                break;
            case ScanMode::ReadingAttrValue:
                p = StoreUntilByte<false>(s.AttrValue, p, end, '"');
                break;
            case ScanMode::ReadingAttrName:
                break;
        }
        if (p < end) FeedWeatherChar(s, report, static_cast<unsigned char>(*p++));
    }
}

void OnWeatherTag(WeatherScanner& s) {
    OnWeatherTagKey(s, NameKey(s.TagName.view()));
}

namespace {
// The enclosing elements a tag opens or closes.
void TrackEnclosing(WeatherScanner& s, uint64_t key) {
    switch (key) {
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
        default:
            break;
    }
}

// Which element the text after the tag belongs to; false when none.
bool SelectElement(const WeatherScanner& s, uint64_t key, ElementSelectors& e) {
    bool any = false;
    switch (key) {
        case NameKey(u"ut"):
            any = e.Unit = true;
            break;
        case NameKey(u"dnam"):
            any = e.LocationName = true;
            break;
        case NameKey(u"tmp"):
            any = e.Temperature = true;
            break;
        case NameKey(u"lsup"):
            any = e.LastUpdate = true;
            break;
        case NameKey(u"hi"):
            any = e.High = s.InDay;
            break;
        case NameKey(u"low"):
            any = e.Low = s.InDay;
            break;
        case NameKey(u"icon"):
            any = e.Icon = true;
            break;
        case NameKey(u"t"):
            e.DayText = s.InDay;
            e.CurrentText = s.InCc && !s.InWind && !s.InMoon && !s.InUv;
            any = e.DayText || e.CurrentText;
            break;
        case NameKey(u"sunr"):
            any = e.Sunrise = true;
            break;
        case NameKey(u"suns"):
            any = e.Sunset = true;
            break;
        default:
            break;
    }
    return any;
}
}  // namespace

void OnWeatherTagKey(WeatherScanner& s, uint64_t key) {
    // First the enclosing elements, then which element the text that follows
    // belongs to. A closing tag selects nothing.
    s.TagKey = key;
    TrackEnclosing(s, key);
    ElementSelectors e;
    const bool any = SelectElement(s, key, e);
    // Most tags select nothing after a tag that selected nothing: the
    // record is then left as it is.
    if (any || s.SelectsAny) s.Select = e;
    s.SelectsAny = any;
}

void OnWeatherAttribute(WeatherScanner& s, WeatherReport& report) {
    // The tag's key stands for its whole name: keys match exactly when the
    // names match without regard to case.
    std::u16string_view name = s.AttrName.view();
    std::u16string_view value = s.AttrValue.view();
    if (s.TagKey == NameKey(u"day") && EqualsNoCase(name, u"dt")) {
        if (s.DayIndex >= 0 && s.DayIndex < kDayCount) report.Days[s.DayIndex].Date.Assign(value);
    } else if (s.TagKey == NameKey(u"part") && EqualsNoCase(name, u"p")) {
        s.NightPart = EqualsNoCase(value, u"n");
        s.DayPart = EqualsNoCase(value, u"d");
    }
}

void OnWeatherText(WeatherScanner& s, WeatherReport& report) {
    std::u16string_view text = s.Text.view();
    if (text.empty() || !s.SelectsAny) return;
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
