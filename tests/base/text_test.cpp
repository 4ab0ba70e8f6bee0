#include "base/text.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/fixed_text.h"
#include "base/platform.h"

TEST(FixedText, BoundedCopyAndAppendStopAtNMinusOne) {
    FixedText<5> t;
    EXPECT_TRUE(t.Assign(u"abcd"));
    EXPECT_EQ(t.view(), u"abcd");
    EXPECT_FALSE(t.Append(u"e"));
    EXPECT_EQ(t.size(), 4u);
    EXPECT_FALSE(t.Assign(u"123456789"));
    EXPECT_EQ(t.view(), u"1234");
    EXPECT_EQ(t.c_str()[4], 0);
    t.Truncate(2);
    EXPECT_EQ(t.view(), u"12");
    t.Clear();
    EXPECT_TRUE(t.empty());
}

TEST(Text, Utf8RoundTripsAndRepairsGarbage) {
    std::string s =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x80\x94 \xF0\x9F\x9B\xA9";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s);
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xE2\x80"), u"\uFFFD\uFFFD");            // truncated sequence
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong slash
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(WidenLatin1("\xE9\x80"), std::u16string({0xE9, 0x80}));
}

TEST(Text, PrintableTextBlanksControlsDropsBidiControlsAndCutsBetweenCharacters) {
    const std::u16string lone = {u'a', 0xD800, u'b', 0xDC00};
    const std::tuple<std::u16string, std::size_t, std::u16string> rows[] = {
        {u"a\tb\nc\rd\u007Fe\u0085f\u00A0g", 99, u"a b c d e f\u00A0g"},
        {u"a\u061C\u200E\u200F\u202A\u202B\u202C\u202D\u202E\u2066\u2067\u2068\u2069b", 99, u"ab"},
        {u"\u202Eabc", 2, u"ab"},
        {u"Z\u00FCrich \u2014 \U0001F6E9", 11, u"Z\u00FCrich \u2014 \U0001F6E9"},
        {u"Z\u00FCrich \u2014 \U0001F6E9", 10, u"Z\u00FCrich \u2014 "},
        {lone, 99, u"a\uFFFDb\uFFFD"},
        {u"\U0001F6E9\U0001F6E9", 3, u"\U0001F6E9"},
    };
    for (const auto& [in, limit, out] : rows) EXPECT_EQ(PrintableText(in, limit), out);
}

TEST(Text, DecimalFollowsTheCLibraryRuleAndSaturates) {
    EXPECT_EQ(ParseDecimal(u"  -42abc"), -42);
    EXPECT_EQ(ParseDecimal(u"+7"), 7);
    EXPECT_EQ(ParseDecimal(u"abc"), 0);
    EXPECT_EQ(ParseDecimal(u""), 0);
    EXPECT_EQ(ParseDecimal("\t12 3"), 12);
    EXPECT_EQ(ParseDecimal("99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseDecimal("-99999999999999999999"), -2147483647 - 1);
}

TEST(Text, CaseFoldingIsAsciiOnly) {
    EXPECT_TRUE(EqualsNoCase(u"Show_Weather", u"show_weather"));
    EXPECT_FALSE(EqualsNoCase(u"show_weathe", u"show_weather"));
    EXPECT_EQ(ToUpperAscii(u"/c:12\u00e9"), u"/C:12\u00e9");
}

TEST(OsVersion, NumbersJoinWithDotsAndTheTextStopsAtNineteenCharacters) {
    const uint32_t small[4] = {6, 1, 0, 18};
    EXPECT_EQ(DottedOsVersion(small), u"6.1.0.18");
    // The largest numbers a kernel release can give make 39 characters.
    const uint32_t large[4] = {999999999, 999999999, 999999999, 999999999};
    EXPECT_EQ(DottedOsVersion(large), u"999999999.999999999");
    EXPECT_EQ(DottedOsVersion(large).size(), kOsVersionChars);
    EXPECT_LE(OsVersionText().size(), kOsVersionChars);
}
