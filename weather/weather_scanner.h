// WeatherScanner: a small hand-written scanner that reads the weather feed
// one character at a time and fills a WeatherReport.
//
// It is no XML parser. It recognises tag names, double-quoted attribute
// values and the text between tags; it tracks a handful of enclosing
// elements with flags (no depth: a closing tag clears its flag whatever else
// is open) and copies the text of about a dozen known elements into fixed
// fields. Everything else is skipped. Each byte of the feed is one character
// (ISO 8859-1). Scanning allocates nothing and does constant work per
// character: four fixed buffers and a fixed-size report.
//
// Threads: a scanner belongs to the one load that made it; each load scans
// into a private report with a fresh scanner and publishes the report whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "weather/weather_report.h"

enum class ScanMode : uint8_t {
    ReadingTag = 0,
    ReadingAttrName = 1,
    ReadingAttrValue = 2,
    ReadingText = 3
};

// True while the text after the most recent tag belongs to that element;
// recomputed at every tag, opening or closing.
struct ElementSelectors {
    bool Unit = false;          // "ut"
    bool LocationName = false;  // "dnam"
    bool Temperature = false;   // "tmp"
    bool LastUpdate = false;    // "lsup"
    bool High = false;          // "hi" in a day
    bool Low = false;           // "low" in a day
    bool Icon = false;          // "icon"
    bool DayText = false;       // "t" in a day
    bool CurrentText = false;   // "t" in "cc", not in "wind", "moon" or "uv"
    bool Sunrise = false;       // "sunr"
    bool Sunset = false;        // "suns"
};

// One of the scanner's four buffers: at most 99 characters, more are
// dropped. Handlers read it as a view; it needs no terminator.
struct ScanBuffer {
    static constexpr std::size_t kCapacity = 99;
    char16_t Chars[kCapacity] = {};
    std::size_t Length = 0;

    void Clear() { Length = 0; }
    void Push(char16_t c) {
        if (Length < kCapacity) Chars[Length++] = c;
    }
    std::u16string_view view() const { return {Chars, Length}; }
};

struct WeatherScanner {
    ScanMode Mode = ScanMode::ReadingText;
    ScanBuffer Text;
    ScanBuffer TagName;
    ScanBuffer AttrName;
    ScanBuffer AttrValue;
    // A tag name beginning with "!--" met a blank: the comment runs to the
    // next ">" and the name keeps what came before the blank.
    bool InComment = false;
    int32_t DayIndex = 0;  // the Days entry being filled; 5 and above are ignored
    bool InDay = false;
    bool InWind = false;
    bool InCc = false;
    bool InLoc = false;
    bool InMoon = false;
    bool InUv = false;
    bool DayPart = false;
    bool NightPart = false;
    bool InQuotes = false;  // the opening quote of the current value was seen
    ElementSelectors Select;
    // Derived at each tag, so that the work per tag and per text stays a
    // few compares: the tag name's key and whether any selector is on (a
    // text no selector wants is not kept).
    uint64_t TagKey = 0;
    bool SelectsAny = false;
};

// The scanner's only entry: one character of the feed into `report`.
void FeedWeatherChar(WeatherScanner& scanner, WeatherReport& report, char16_t c);
// Every byte of `bytes`, in order, as the character of the same number.
void FeedWeatherBytes(WeatherScanner& scanner, WeatherReport& report, std::string_view bytes);

// The three handlers, called only by FeedWeatherChar: a tag name is
// complete, an attribute (with its value) is complete, a text is complete.
void OnWeatherTag(WeatherScanner& scanner);
// OnWeatherTag with the tag name's key already made (the byte entry makes it
// while it reads the name).
void OnWeatherTagKey(WeatherScanner& scanner, uint64_t key);
void OnWeatherAttribute(WeatherScanner& scanner, WeatherReport& report);
void OnWeatherText(WeatherScanner& scanner, WeatherReport& report);

// Reads the service's 12-hour clock ("8:57 AM") the way "%d:%d %2s" does;
// fields that cannot be read stay 0. A minute outside 0..59 and an hour
// outside 0..23 (after the PM rule) become 0.
void ParseClockTime(std::u16string_view text, ClockTime& out);
