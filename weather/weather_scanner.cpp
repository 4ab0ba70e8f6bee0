#include "weather/weather_scanner.h"

#include <algorithm>
#include <bit>
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

// A character as it goes into a key: folded to lower case, 0 for one that
// no key holds.
constexpr uint64_t KeyChar(char16_t c) {
    if (c == 0 || c >= 0x80) return 0;
    return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

// Works on the feed's bytes and on wide names alike: a byte above 0x7F
// (negative as char) widens to a character no key holds.
template <typename Ch>
constexpr uint64_t KeyOf(const Ch* name, std::size_t length) {
    if (length > kKeyChars) return 0;
    uint64_t key = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const uint64_t c = KeyChar(static_cast<char16_t>(name[i]));
        if (c == 0) return 0;
        key = key << 8 | c;
    }
    return key;
}

constexpr uint64_t NameKey(std::u16string_view name) {
    return KeyOf(name.data(), name.size());
}

// Eight bytes at a time: tag names and the texts between tags are short,
// so the scanner looks at them a word at a time rather than byte by byte
// (or through a library call for each).
static_assert(std::endian::native == std::endian::little, "words are read little-endian");
constexpr uint64_t kEachByte = 0x0101010101010101u;
constexpr uint64_t kHighBits = 0x8080808080808080u;
constexpr std::size_t kWord = sizeof(uint64_t);

uint64_t LoadWord(const char* p) {
    uint64_t v = 0;
    std::memcpy(&v, p, kWord);
    return v;
}

// The high bit of the first zero byte of `v` is set (bytes after it may be
// marked too; the first is always right).
constexpr uint64_t ZeroBytes(uint64_t v) {
    return (v - kEachByte) & ~v & kHighBits;
}

constexpr uint64_t Repeated(char c) {
    return kEachByte * static_cast<unsigned char>(c);
}

// The first `stop` byte from `p`, or `end`. Inlined: it runs a few times
// per tag, and most runs end in the first word.
[[gnu::always_inline]] inline const char* FindByte(const char* p, const char* end, char stop) {
    const uint64_t pattern = Repeated(stop);
    for (; end - p >= std::ptrdiff_t{kWord}; p += kWord) {
        if (const uint64_t hit = ZeroBytes(LoadWord(p) ^ pattern))
            return p + std::countr_zero(hit) / 8;
    }
    for (; p < end; ++p)
        if (*p == stop) return p;
    return end;
}

// The eight bytes of `v` as eight characters of the same numbers.
void WidenWord(uint64_t v, char16_t* out) {
    auto spread = [](uint64_t four) {
        four = (four | four << 16) & 0x0000FFFF0000FFFFu;
        return (four | four << 8) & 0x00FF00FF00FF00FFu;
    };
    const uint64_t low = spread(v & 0xFFFFFFFFu);
    const uint64_t high = spread(v >> 32);
    std::memcpy(out, &low, kWord);
    std::memcpy(out + kWord / 2, &high, kWord);
}

// The key of the first `length` bytes of `v` (at most kKeyChars), as KeyOf
// makes it.
uint64_t WordKey(uint64_t v, std::size_t length) {
    if (length == 0 || length > kKeyChars) return 0;
    const uint64_t mask = ~uint64_t{0} >> (64 - 8 * length);
    const uint64_t w = v & mask;
    if ((w & kHighBits) != 0 || (ZeroBytes(v) & mask) != 0) return 0;
    // Bytes from 'A' to 'Z' get 0x20 added; no byte carries into the next.
    const uint64_t atLeastA = w + Repeated(static_cast<char>(0x80 - 'A'));
    const uint64_t aboveZ = w + Repeated(static_cast<char>(0x80 - 'Z' - 1));
    const uint64_t folded = w | ((atLeastA ^ aboveZ) & kHighBits) >> 2;
    return __builtin_bswap64(folded) >> (64 - 8 * length);
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

// The same up to the first `stop` byte: the bytes past what the buffer
// keeps are skipped without a look.
template <bool kBlankControls>
const char* StoreUntilByte(ScanBuffer& buffer, const char* p, const char* end, char stop) {
    const char* runEnd = FindByte(p, end, stop);
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
    if (s.SelectsAny) OnWeatherText(s, report);
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
    const char* q = p;
    uint64_t key = 0;
    if (end - p >= std::ptrdiff_t{kWord}) {
        const uint64_t v = LoadWord(p);
        const uint64_t stops = ZeroBytes(v ^ Repeated(' ')) | ZeroBytes(v ^ Repeated('>'));
        if (stops != 0) {
            const auto length = static_cast<std::size_t>(std::countr_zero(stops) / 8);
            WidenWord(v, s.TagName.Chars);
            s.TagName.Length = length;
            key = WordKey(v, length);
            q = p + length;
        }
    }
    if (q == p) {
        while (q < end && *q != ' ' && *q != '>') ++q;
        if (q == end) return false;
        const auto length = static_cast<std::size_t>(q - p);
        const std::size_t kept = std::min(length, ScanBuffer::kCapacity);
        for (std::size_t i = 0; i < kept; ++i)
            s.TagName.Chars[i] = static_cast<unsigned char>(p[i]);
        s.TagName.Length = kept;
        key = KeyOf(p, length);
    }
    p = q + 1;
    if (*q == '>') {
        EndTag(s, key);
    } else {
        EndTagNameAtBlank(s, key);
    }
    return true;
}

// An attribute name up to the "=" or ">" that ends it; blanks, controls
// and "?" are not part of it.
const char* StoreAttrName(ScanBuffer& buffer, const char* p, const char* end) {
    std::size_t length = buffer.Length;
    for (; p < end && *p != '=' && *p != '>'; ++p) {
        auto b = static_cast<unsigned char>(*p);
        if (b > 0x20 && b != '?' && length < ScanBuffer::kCapacity) buffer.Chars[length++] = b;
    }
    buffer.Length = length;
    return p;
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
                    p = FindByte(p, end, '<');
                }
                if (p < end) {
                    ++p;
                    StartTag(s, report);
                }
                continue;
            case ScanMode::ReadingTag:
                if (s.InComment) {
                    p = FindByte(p, end, '>');
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
                p = StoreAttrName(s.AttrName, p, end);
                break;
        }
        if (p < end) FeedWeatherChar(s, report, static_cast<unsigned char>(*p++));
    }
}

void OnWeatherTag(WeatherScanner& s) {
    OnWeatherTagKey(s, NameKey(s.TagName.view()));
}

namespace {
// What a tag does, in one dispatch: the enclosing element it opens or
// closes, or the element the text after it belongs to (true when it has
// one).
bool ApplyTag(WeatherScanner& s, uint64_t key, ElementSelectors& e) {
    switch (key) {
        case NameKey(u"day"):
            s.InDay = true;
            return false;
        case NameKey(u"/day"):
            s.InDay = false;
            // Stops at the first ignored day, so hostile input cannot overflow it.
            if (s.DayIndex < kDayCount) ++s.DayIndex;
            return false;
        case NameKey(u"wind"):
            s.InWind = true;
            return false;
        case NameKey(u"/wind"):
            s.InWind = false;
            return false;
        case NameKey(u"cc"):
            s.InCc = true;
            return false;
        case NameKey(u"/cc"):
            s.InCc = false;
            return false;
        case NameKey(u"loc"):
            s.InLoc = true;
            return false;
        case NameKey(u"/loc"):
            s.InLoc = false;
            return false;
        case NameKey(u"moon"):
            s.InMoon = true;
            return false;
        case NameKey(u"/moon"):
            s.InMoon = false;
            return false;
        case NameKey(u"uv"):
            s.InUv = true;
            return false;
        case NameKey(u"/uv"):
            s.InUv = false;
            return false;
        case NameKey(u"ut"):
            return e.Unit = true;
        case NameKey(u"dnam"):
            return e.LocationName = true;
        case NameKey(u"tmp"):
            return e.Temperature = true;
        case NameKey(u"lsup"):
            return e.LastUpdate = true;
        case NameKey(u"hi"):
            return e.High = s.InDay;
        case NameKey(u"low"):
            return e.Low = s.InDay;
        case NameKey(u"icon"):
            return e.Icon = true;
        case NameKey(u"t"):
            e.DayText = s.InDay;
            e.CurrentText = s.InCc && !s.InWind && !s.InMoon && !s.InUv;
            return e.DayText || e.CurrentText;
        case NameKey(u"sunr"):
            return e.Sunrise = true;
        case NameKey(u"suns"):
            return e.Sunset = true;
        default:
            return false;
    }
}
}  // namespace

void OnWeatherTagKey(WeatherScanner& s, uint64_t key) {
    // A closing tag selects nothing.
    s.TagKey = key;
    ElementSelectors e;
    const bool any = ApplyTag(s, key, e);
    // Most tags select nothing after a tag that selected nothing: the
    // record is then left as it is.
    if (any || s.SelectsAny) s.Select = e;
    s.SelectsAny = any;
}

void OnWeatherAttribute(WeatherScanner& s, WeatherReport& report) {
    // The tag's key stands for its whole name: keys match exactly when the
    // names match without regard to case.
    if (s.TagKey != NameKey(u"day") && s.TagKey != NameKey(u"part")) return;
    const uint64_t name = NameKey(s.AttrName.view());
    std::u16string_view value = s.AttrValue.view();
    if (s.TagKey == NameKey(u"day") && name == NameKey(u"dt")) {
        if (s.DayIndex >= 0 && s.DayIndex < kDayCount) report.Days[s.DayIndex].Date.Assign(value);
    } else if (s.TagKey == NameKey(u"part") && name == NameKey(u"p")) {
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
