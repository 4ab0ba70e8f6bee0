#include "weather/weather_scanner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "weather/feed_text.h"

namespace {

WeatherReport Scan(std::string_view feed) {
    WeatherScanner scanner;
    WeatherReport report;
    FeedWeatherBytes(scanner, report, feed);
    return report;
}

std::vector<std::string> Fields(const WeatherReport& r) {
    std::vector<std::string> fields;
    std::istringstream in(ReportText(r));
    for (std::string f; std::getline(in, f, '|');) fields.push_back(f);
    return fields;
}

// Every field of `part` is either untouched (as in an empty report) or as in `full`.
void ExpectZeroOrEqual(const WeatherReport& part, const WeatherReport& full) {
    auto p = Fields(part), f = Fields(full), zero = Fields(WeatherReport{});
    ASSERT_EQ(p.size(), f.size());
    for (std::size_t i = 0; i < p.size(); ++i)
        EXPECT_TRUE(p[i] == zero[i] || p[i] == f[i]) << "field " << i << ": " << p[i];
}

// Everything the scanner and the report hold, as one comparable text.
std::string Describe(const WeatherScanner& s, const WeatherReport& r) {
    std::string out;
    auto add = [&out](std::u16string_view t) {
        out += Utf16ToUtf8(t);
        out += '|';
    };
    auto num = [&out](int64_t v) { out += std::to_string(v) + '|'; };
    num(static_cast<int>(s.Mode));
    add(s.Text.view());
    add(s.TagName.view());
    add(s.AttrName.view());
    add(s.AttrValue.view());
    const ElementSelectors& e = s.Select;
    for (bool b : {s.InComment,   s.InDay,      s.InWind,    s.InCc,     s.InLoc, s.InMoon,
                   s.InUv,        s.DayPart,    s.NightPart, s.InQuotes, e.Unit,  e.LocationName,
                   e.Temperature, e.LastUpdate, e.High,      e.Low,      e.Icon,  e.DayText,
                   e.CurrentText, e.Sunrise,    e.Sunset})
        num(b);
    num(s.DayIndex);
    return out + ReportText(r);
}

ClockTime Clock(std::u16string_view text) {
    ClockTime t{99, 99};
    ParseClockTime(text, t);
    return t;
}

}  // namespace

TEST(WeatherScanner, FullFeedFillsEveryField) {
    WeatherReport r = Scan(FeedText());
    EXPECT_EQ(r.LocationName, u"Saint-Petersburg, Russia");
    EXPECT_EQ(r.TempUnit, u'C');
    EXPECT_EQ(r.CurrentTemp, -3);
    EXPECT_EQ(r.Conditions, u"Light Snow");
    EXPECT_EQ(r.CurrentIcon, 14);
    EXPECT_EQ(r.Sunrise.Hour, 8);
    EXPECT_EQ(r.Sunrise.Minute, 57);
    EXPECT_EQ(r.Sunset.Hour, 15);
    EXPECT_EQ(r.Sunset.Minute, 55);
    // The forecast's own "lsup" lies outside "cc" and is not taken.
    EXPECT_EQ(r.LastUpdated, u"12/8/26 8:00 AM MSK");
    EXPECT_EQ(r.FileTime, 0);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const ForecastDay& d = r.Days[i];
        EXPECT_EQ(d.Date, AsciiToUtf16("Dec " + std::to_string(8 + i)));
        EXPECT_EQ(d.High, 10 + i);
        EXPECT_EQ(d.Low, i - 10);
        EXPECT_EQ(d.DayIcon, 30 + i);
        EXPECT_EQ(d.NightIcon, 20 + i);
        EXPECT_EQ(d.DayText, AsciiToUtf16("Sunny " + std::to_string(i)));
        EXPECT_EQ(d.NightText, AsciiToUtf16("Clear " + std::to_string(i)));
    }
}

TEST(WeatherScanner, TagNamesMatchInAnyCase) {
    WeatherReport r = Scan(
        "<LOC><DNAM>Oslo</DNAM><SunR>6:10 am</SunR></LOC>"
        "<CC><LSUP>now</LSUP><T>Fog</T><ICON>20</ICON></cc><UT>F</UT>"
        "<DAY DT=\"Mon\"><HI>5</HI><PART P=\"N\"><ICON>3</ICON><T>Rain</T></PART></DAY>");
    EXPECT_EQ(r.LocationName, u"Oslo");
    EXPECT_EQ(r.Sunrise.Hour, 6);
    EXPECT_EQ(r.LastUpdated, u"now");
    EXPECT_EQ(r.Conditions, u"Fog");
    EXPECT_EQ(r.CurrentIcon, 20);
    EXPECT_EQ(r.TempUnit, u'F');
    EXPECT_EQ(r.Days[0].Date, u"Mon");
    EXPECT_EQ(r.Days[0].High, 5);
    EXPECT_EQ(r.Days[0].NightIcon, 3);
    EXPECT_EQ(r.Days[0].NightText, u"Rain");
    EXPECT_EQ(r.Days[0].DayIcon, 0);
}

TEST(WeatherScanner, NestedElementsDoNotLeakIntoTheirParents) {
    // "t" in the current conditions' wind, uv and moon, and the moon's icon.
    WeatherReport r = Scan(
        "<cc><t>Cloudy</t><icon>26</icon><wind><t>NW</t></wind><uv><t>High</t></uv>"
        "<moon><icon>7</icon><t>Full</t></moon></cc>");
    EXPECT_EQ(r.Conditions, u"Cloudy");
    EXPECT_EQ(r.CurrentIcon, 26);

    // "t" in a day part's wind; "sunr"/"suns" inside a day; "hi" outside a day.
    r = Scan(
        "<hi>77</hi><day dt=\"a\"><sunr>5:00 AM</sunr><suns>9:00 PM</suns>"
        "<part p=\"d\"><t>Sun</t><wind><t>E</t><icon>9</icon></wind></part>"
        "<part p=\"n\"><t>Moon</t><wind><t>W</t></wind></part></day>");
    EXPECT_EQ(r.Days[0].DayText, u"Sun");
    EXPECT_EQ(r.Days[0].NightText, u"Moon");
    EXPECT_EQ(r.Days[0].DayIcon, 0);
    EXPECT_EQ(r.Days[0].High, 0);
    EXPECT_EQ(r.Sunrise.Hour, 0);
    EXPECT_EQ(r.Sunset.Hour, 0);
    EXPECT_EQ(r.Conditions, u"");

    // The text after a closing tag belongs to no element.
    r = Scan("<cc><t>Rain</t>trailing<lsup>x</lsup>more</cc>after");
    EXPECT_EQ(r.Conditions, u"Rain");
    EXPECT_EQ(r.LastUpdated, u"x");
}

TEST(WeatherScanner, BlanksTabsAndControlCharacters) {
    // Text keeps its leading blank; a tab becomes a blank; nothing is trimmed.
    WeatherReport r = Scan("<dnam> New\tYork\r\n</dnam>");
    EXPECT_EQ(r.LocationName, u" New York  ");
    // Only a blank ends a tag name: a tab or line break after it is part of it.
    r = Scan("<dnam\t>Lost</dnam><tmp\n>5</tmp><ut x=\"1\">K</ut>");
    EXPECT_EQ(r.LocationName, u"");
    EXPECT_EQ(r.CurrentTemp, 0);
    EXPECT_EQ(r.TempUnit, u'K');
    // A blank between "=" and the quote is the value's first character.
    r = Scan("<day dt= \"Tue\"></day><day dt=\"Wed\" ></day>");
    EXPECT_EQ(r.Days[0].Date, u" Tue");
    EXPECT_EQ(r.Days[1].Date, u"Wed");
    // Bytes above 0x7F are ISO 8859-1 characters; a NUL byte is a blank.
    r = Scan(std::string("<dnam>Z\xfcrich\xff") + '\0' + "!</dnam>");
    EXPECT_EQ(r.LocationName, u"Z\u00fcrich\u00ff !");
}

TEST(WeatherScanner, ClockTimes) {
    struct Case {
        std::u16string_view text;
        uint16_t hour, minute;
    };
    const Case cases[] = {
        {u"8:57 AM", 8, 57},  {u"12:05 AM", 0, 5},  {u"12:30 PM", 12, 30},    {u"1:15 PM", 13, 15},
        {u"1:15 Pm", 1, 15},  {u"1:15 pm", 13, 15}, {u"7:75 AM", 7, 0},       {u"no digits", 0, 0},
        {u"", 0, 0},          {u"3:55PM", 15, 55},  {u" 4: 07  PM", 16, 7},   {u"9 : 30 PM", 9, 0},
        {u"6", 6, 0},         {u"12:00", 0, 0},     {u"11:59 xPM", 11, 59},   {u"7:-5 AM", 7, 0},
        {u"30:10 AM", 0, 10}, {u"-3:10 AM", 0, 10}, {u"99999999999:1", 0, 1},
    };
    for (const Case& c : cases) {
        ClockTime t = Clock(c.text);
        EXPECT_EQ(t.Hour, c.hour) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(t.Minute, c.minute) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(WeatherScanner, NumbersWithoutDigitsAreZero) {
    WeatherReport r =
        Scan("<cc><tmp>N/A</tmp><icon> 12x</icon></cc><day><hi>N/A</hi><low>-7</low></day>");
    EXPECT_EQ(r.CurrentTemp, 0);
    EXPECT_EQ(r.CurrentIcon, 12);
    EXPECT_EQ(r.Days[0].High, 0);
    EXPECT_EQ(r.Days[0].Low, -7);
}

TEST(WeatherScanner, CommentsRunToTheirFirstClosingBracket) {
    // The comment ends at the ">" inside it, although a quote is still open;
    // the text up to the next "<" belongs to no element.
    WeatherReport r = Scan("<dnam>A<!-- say \"x > B</dnam><!-- \" --><tmp>4</tmp>");
    EXPECT_EQ(r.LocationName, u"A");
    EXPECT_EQ(r.CurrentTemp, 4);
    // A comment without a blank is a tag of its own name, and matches nothing.
    r = Scan("<dnam>C<!--dnam-->D</dnam>");
    EXPECT_EQ(r.LocationName, u"C");
}

TEST(WeatherScanner, OverlongTextsAndNamesAreCut) {
    std::string longText(150, 'x');
    for (int i = 0; i < 150; ++i) longText[i] = static_cast<char>('a' + i % 26);
    WeatherReport r = Scan("<dnam>" + longText + "</dnam><day dt=\"" + longText + "\"></day>");
    std::u16string first99(longText.begin(), longText.begin() + 99);
    EXPECT_EQ(r.LocationName, first99);
    EXPECT_EQ(r.Days[0].Date, first99);
    // A tag name cut to 99 characters never matches a shorter one.
    r = Scan("<dnam" + std::string(200, 'q') + ">X</dnam><tmp>3</tmp>");
    EXPECT_EQ(r.LocationName, u"");
    EXPECT_EQ(r.CurrentTemp, 3);
}

TEST(WeatherScanner, SixthAndLaterDaysAreIgnored) {
    std::string feed = FeedHead();
    for (int i = 0; i < 8; ++i) feed += FeedDay(i);
    WeatherReport r = Scan(feed + "</dayf>");
    EXPECT_EQ(r.Days[4].High, 14);
    EXPECT_EQ(r.Days[4].DayText, u"Sunny 4");
    EXPECT_EQ(r.Days[4].Date, u"Dec 12");
    EXPECT_EQ(r.Days[0].High, 10);

    // A flood of closing day tags cannot push the index anywhere.
    std::string flood;
    for (int i = 0; i < 100000; ++i) flood += "</DAY>";
    r = Scan(flood + "<day dt=\"late\"><hi>5</hi></day>");
    for (const ForecastDay& d : r.Days) {
        EXPECT_EQ(d.High, 0);
        EXPECT_EQ(d.Date, u"");
    }
}

TEST(WeatherScanner, UnclosedQuoteSwallowsUpToTheNextQuote) {
    WeatherReport r = Scan("<day dt=\"Mon><dnam>X</dnam>\"><hi>3</hi></day>");
    EXPECT_EQ(r.Days[0].Date, u"Mon><dnam>X</dnam>");
    EXPECT_EQ(r.LocationName, u"");
    EXPECT_EQ(r.Days[0].High, 3);
}

TEST(WeatherScanner, EveryTruncationGivesAPartOfTheFullReport) {
    const std::string feed = FeedText();
    const WeatherReport full = Scan(feed);
    for (std::size_t n = 0; n <= feed.size(); n += 7) {
        SCOPED_TRACE(n);
        ExpectZeroOrEqual(Scan(std::string_view(feed).substr(0, n)), full);
    }
    // Without its closing tag a text is never taken.
    EXPECT_EQ(Scan("<dnam>Half").LocationName, u"");
}

TEST(WeatherScanner, GarbageNeverCrashesAndStaysBounded) {
    // A fixed generator, so a failure can be replayed.
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 24;
    };
    const std::string alphabet = "<<>>/==\"\"! -?\tdaycctlocmoonuvwindhiPART0123456789\xff";
    const std::string feed = FeedText();
    for (int round = 0; round < 300; ++round) {
        std::string input;
        if (round % 3 == 0) {
            for (int i = 0; i < 2000; ++i) input += static_cast<char>(next());
        } else if (round % 3 == 1) {
            for (int i = 0; i < 2000; ++i) input += alphabet[next() % alphabet.size()];
        } else {
            // The real feed with a few bytes flipped.
            input = feed;
            for (int i = 0; i < 20; ++i)
                input[(next() << 8 | next()) % input.size()] = static_cast<char>(next());
        }
        WeatherScanner scanner;
        WeatherReport r;
        FeedWeatherBytes(scanner, r, input);
        // The batch entry must leave exactly what one character at a time leaves.
        WeatherScanner oneByOne;
        WeatherReport r2;
        for (char b : input) FeedWeatherChar(oneByOne, r2, static_cast<unsigned char>(b));
        ASSERT_EQ(Describe(scanner, r), Describe(oneByOne, r2)) << "round " << round;
        EXPECT_LE(r.LocationName.size(), 99u);
        EXPECT_LE(scanner.Text.Length, 99u);
        EXPECT_GE(scanner.DayIndex, 0);
        EXPECT_LE(scanner.DayIndex, 5);
        EXPECT_LE(r.Sunrise.Hour, 23);
        EXPECT_LE(r.Sunset.Minute, 59);
    }
}

TEST(WeatherScanner, ByteEntryReadsEveryTagNameAsOneCharacterAtATime) {
    // The byte entry reads names a word at a time; names built from the
    // characters around its folding and stopping rules (either side of
    // 'A'..'Z', zero, 0x7F and 0x80, blanks, "/", "!--") must give the
    // scanner exactly the state the character entry gives, for names of
    // every length, and near the end of the bytes too.
    const std::string edge = std::string("@AZ[`az{/!- \x7f\x80\xff", 16) + '\0' + "dnamhiowtsunrlc";
    uint32_t seed = 777;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 16;
    };
    for (int round = 0; round < 2000; ++round) {
        // First names that differ from "ut" only by a character no name
        // may hold: none of them selects the unit.
        std::string input =
            round == 0 ? std::string("<\0ut>C<u\0t>C<ut\0>C<\x80ut>C<u\xfft>C<UT\x7f>C", 37)
                       : std::string();
        for (int tag = 0; tag < 12; ++tag) {
            input += '<';
            const uint32_t length = next() % 11;
            for (uint32_t i = 0; i < length; ++i) input += edge[next() % edge.size()];
            input += next() % 2 ? " x=\"1\">" : ">";
            input += next() % 2 ? "Text" : "";
        }
        input.resize(input.size() - next() % 9);
        WeatherScanner batch, single;
        WeatherReport r, r2;
        FeedWeatherBytes(batch, r, input);
        for (char b : input) FeedWeatherChar(single, r2, static_cast<unsigned char>(b));
        ASSERT_EQ(Describe(batch, r), Describe(single, r2)) << "round " << round;
        if (round == 0) {
            EXPECT_EQ(r.TempUnit, 0) << "a name with a stray character matched";
        }
    }
}
