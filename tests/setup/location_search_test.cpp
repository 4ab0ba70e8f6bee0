#include "setup/location_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "net/endpoints.h"

namespace {
std::vector<std::u16string> Parse(std::string_view answer, int expected) {
    std::vector<std::u16string> lines;
    EXPECT_EQ(ParseLocationAnswer(answer, lines), expected) << answer;
    return lines;
}

TEST(LocationAnswer, ListsEveryPlaceInTheAnswersOrder) {
    auto lines = Parse(
        "<?xml version=\"1.0\"?><search ver=\"3.0\">"
        "<loc id=\"USNY0996\" type=\"1\">New York, NY</loc>\n"
        "<loc id=\"UKXX0085\" type=\"1\">London, United Kingdom</loc></search>",
        2);
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"New York, NY \u2014 USNY0996",
                                                  u"London, United Kingdom \u2014 UKXX0085"}));
}

TEST(LocationAnswer, AnswersWithoutPlacesOrCutShortListNothingMore) {
    Parse("", 0);
    Parse("<search></search>", 0);
    Parse("<loc id='USNY0996'>single quotes</loc>", 0);
    Parse("<LOC ID=\"USNY0996\">upper case</LOC>", 0);
    // A code without its closing quote, then no ">" after the code: nothing.
    Parse("<loc id=\"USNY0996", 0);
    Parse("<loc id=\"USNY0996\"", 0);
    // The last place without "</loc>" is left out; the ones before stay.
    auto lines = Parse("<loc id=\"A1\">First</loc><loc id=\"B2\">Second", 1);
    EXPECT_EQ(lines, std::vector<std::u16string>{u"First \u2014 A1"});
    // Whatever follows a zero byte is not read.
    Parse(std::string("<loc id=\"A1\">First</loc>\0<loc id=\"B2\">Second</loc>", 50), 1);
}

TEST(LocationAnswer, NamesAreTakenVerbatimAndWidenedByteByByte) {
    auto lines = Parse("<loc id=\"SZXX0033\">Z\xfcrich &amp; <b>, Switzerland</loc>", 1);
    EXPECT_EQ(lines[0], u"Z\u00fcrich &amp; <b>, Switzerland \u2014 SZXX0033");
    // An element without a name still lists its code.
    EXPECT_EQ(Parse("<loc id=\"X1\"></loc>", 1)[0], u" \u2014 X1");
}

TEST(LocationAnswer, PlacesThatDoNotFitAreMended) {
    // A code of 19 characters fits; 20 or 21 would not fit the stored field.
    std::string code19(19, 'C'), code20(20, 'D'), code21(21, 'E');
    auto lines = Parse("<loc id=\"" + code20 + "\">Twenty</loc><loc id=\"" + code21 +
                           "\">TwentyOne</loc><loc id=\"" + code19 + "\">Nineteen</loc>",
                       1);
    EXPECT_EQ(lines[0], u"Nineteen \u2014 " + AsciiToUtf16(code19));

    // A long name is cut to 99 characters.
    std::string name(150, 'n');
    lines = Parse("<loc id=\"N1\">" + name + "</loc>", 1);
    EXPECT_EQ(lines[0], AsciiToUtf16(name.substr(0, 99)) + u" \u2014 N1");

    // Control characters become blanks, so a line never holds a line break.
    lines = Parse("<loc id=\"A\tB\">Two\nLines\r</loc>", 1);
    EXPECT_EQ(lines[0], u"Two Lines  \u2014 A B");
}

TEST(LocationAnswer, GarbageNeverBreaksTheScan) {
    std::string junk;
    unsigned seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        junk.clear();
        int length = static_cast<int>(seed % 200);
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245 + 12345;
            static constexpr std::string_view kParts[] = {
                "<loc id=\"", "\"", ">", "</loc>", "x", "\xff", std::string_view("\0", 1)};
            junk += kParts[(seed >> 16) % 7];
        }
        std::vector<std::u16string> lines;
        int count = ParseLocationAnswer(junk, lines);
        ASSERT_EQ(count, static_cast<int>(lines.size()));
        for (const auto& line : lines) {
            PendingLocationRecord place;
            ASSERT_TRUE(TakeLocationLine(line, place)) << junk;
            ASSERT_LE(place.id.size(), 19u);
        }
    }
}

TEST(LocationLine, ReadsNameAndCodeBackOrRefusesFixedLines) {
    PendingLocationRecord place;
    std::vector<std::u16string> lines;
    ParseLocationAnswer("<loc id=\"USNY0996\">New York, NY</loc>", lines);
    ASSERT_TRUE(TakeLocationLine(lines[0], place));
    EXPECT_EQ(place.name.view(), u"New York, NY");
    EXPECT_EQ(place.id.view(), u"USNY0996");

    for (const char16_t* fixed : {kSearchingLine, kNotFoundLine, kConnectionLine, u""}) {
        PendingLocationRecord untouched;
        untouched.name.Assign(u"kept");
        EXPECT_FALSE(TakeLocationLine(fixed, untouched));
        EXPECT_EQ(untouched.name.view(), u"kept");
    }
    // A dash at either end gives empty parts, never a read outside the line.
    ASSERT_TRUE(TakeLocationLine(u"\u2014", place));
    EXPECT_TRUE(place.name.empty());
    EXPECT_TRUE(place.id.empty());
}

TEST(SearchText, OnlyLeadingBlanksAndControlCharactersAreTrimmed) {
    SearchText text(u" \t\r\n  New York  ");
    TrimLeadingBlanks(text);
    EXPECT_EQ(text.view(), u"New York  ");
    SearchText blank(u" \t ");
    TrimLeadingBlanks(blank);
    EXPECT_TRUE(blank.empty());
    SearchText untouched(u"\u00a0Oslo");
    TrimLeadingBlanks(untouched);
    EXPECT_EQ(untouched.view(), u"\u00a0Oslo");
}

TEST(SearchUrl, TheTextIsPercentEncodedAsUtf8) {
    ASSERT_TRUE(SetSiteOverride(u"http://127.0.0.1:8080"));
    PathText url;
    ASSERT_TRUE(BuildSearchUrl(u"city name", url));
    EXPECT_EQ(url.view(), u"http://127.0.0.1:8080/search/search?where=city%20name");
    ASSERT_TRUE(BuildSearchUrl(u"A&B#c?d=e/f+g%", url));
    EXPECT_EQ(url.view(),
              u"http://127.0.0.1:8080/search/search?where=A%26B%23c%3Fd%3De%2Ff%2Bg%25");
    ASSERT_TRUE(BuildSearchUrl(u"Z\u00fcrich-1_2.3~", url));
    EXPECT_EQ(url.view(), u"http://127.0.0.1:8080/search/search?where=Z%C3%BCrich-1_2.3~");
    // Too long for a URL once encoded: refused, not cut in the middle of an escape.
    EXPECT_FALSE(BuildSearchUrl(std::u16string(98, u'\u0416'), url));
}
}  // namespace

TEST(LocationAnswer, HostileShapesEndTheScanAndKeepThePlacesBefore) {
    const std::string good = "<loc id=\"USNY0996\">New York, NY</loc>";
    // Places that never close: no "</loc>", or no quote after the code.
    std::string unclosed = good;
    for (int i = 0; i < 1000; ++i) unclosed += "<loc id=\"a\">x";
    std::vector<std::u16string> lines;
    EXPECT_EQ(ParseLocationAnswer(unclosed, lines), 1);
    EXPECT_EQ(lines, std::vector<std::u16string>{u"New York, NY \u2014 USNY0996"});

    std::string noQuote = good + "<loc id=\"";
    lines.clear();
    EXPECT_EQ(ParseLocationAnswer(noQuote, lines), 1);
    std::string noGt = good + "<loc id=\"a\" x";
    lines.clear();
    EXPECT_EQ(ParseLocationAnswer(noGt, lines), 1);
}
