#include "update/version_notice_layout.h"

#include <gtest/gtest.h>

#include <string>

#include "net/endpoints.h"

namespace {

std::u16string Line(std::u16string_view text, int n) {
    std::size_t start = 0;
    for (int i = 0; i < n; ++i) start = text.find(u'\n', start) + 1;
    return std::u16string(text.substr(start, text.find(u'\n', start) - start));
}

TEST(VersionNoticeText, FourLinesWithTheVersionAndTheAddress) {
    FixedText<100> t = VersionNoticeText(u"1.2");
    EXPECT_EQ(Line(t.view(), 0), u"New version 1.2 is available!");
    EXPECT_EQ(Line(t.view(), 1), u"For upgrade, please, visit:");
    EXPECT_EQ(Line(t.view(), 2), u"");
    EXPECT_EQ(Line(t.view(), 3), MakerAddress());
    EXPECT_EQ(MakerAddress().find(u"http"), std::u16string::npos);
    EXPECT_TRUE(MakerAddress().ends_with(u"/screensavers"));

    FixedText<100> longer = VersionNoticeText(std::u16string(95, u'9'));
    EXPECT_EQ(longer.size(), 99u);
    EXPECT_TRUE(longer.view().starts_with(u"New version 999"));
}

TEST(VersionNoticeLayout, SignAboveAndTextBelowTheMiddle) {
    // 1280 x 1024 screen: content rectangle (384, 512)-(1664, 1536).
    VersionNoticeLayout L = ComputeVersionNoticeLayout(384, 512, 1664, 1536, 240, 200);
    EXPECT_EQ(L.signX, 904);
    EXPECT_EQ(L.signY, 774);
    EXPECT_FLOAT_EQ(L.textX, 1024);
    EXPECT_FLOAT_EQ(L.textY, 1074);

    // A screen wider than the canvas is capped at 2048 and starts at x = 0.
    VersionNoticeLayout wide = ComputeVersionNoticeLayout(0, 304, 2048, 1744, 240, 200);
    EXPECT_EQ(wide.signX, 904);
    EXPECT_EQ(wide.signY, 304 + 720 - 250);
    EXPECT_FLOAT_EQ(wide.textX, 1024);
    EXPECT_FLOAT_EQ(wide.textY, 1074);

    // Without a sign the text keeps its place.
    VersionNoticeLayout none = ComputeVersionNoticeLayout(512, 640, 1536, 1408, 0, 0);
    EXPECT_FLOAT_EQ(none.textY, 1074);
    EXPECT_EQ(none.signY, 974);
}

}  // namespace
