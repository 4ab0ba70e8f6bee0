// The caption: what it says, and that it is painted inside its backing on
// one line per line of text at any monitor size. Part of the canvas test,
// so cairo and GDI+ (under Wine) both lay it out.
#include "slideshow/photo_caption.h"

#include <gtest/gtest.h>

#include <memory>

#include "overlay/image_canvas.h"

namespace {
const PhotoCredit kCredit{"PtrQs", "CC BY-SA 4.0",
                          "https://commons.wikimedia.org/w/index.php?curid=81754323", "A380"};
constexpr char16_t kDot[] = u" \u00B7 ";

// Where a canvas holds anything but transparency, and how bright it gets.
struct Inked {
    CanvasRect box;
    int brightest = 0;
};
Inked Scan(ImageCanvas& c) {
    Inked in{{c.Width(), c.Height(), 0, 0}};
    const uint32_t* p = c.Pixels();
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x) {
            const uint32_t v = p[y * c.Width() + x];
            if (v == 0) continue;
            in.box = {std::min(in.box.left, x), std::min(in.box.top, y),
                      std::max(in.box.right, x + 1), std::max(in.box.bottom, y + 1)};
            in.brightest = std::max(in.brightest, static_cast<int>((v >> 8) & 0xFF));
        }
    return in;
}
}  // namespace

TEST(PhotoCaption, SaysTheTitleAndTheCreditTheLicenceAsksFor) {
    struct Row {
        PhotoCredit credit;
        bool titles;
        std::u16string title, credit_line;
    };
    const std::u16string credited =
        std::u16string(u"Photo: PtrQs") + kDot + u"CC BY-SA 4.0" + kDot + u"Wikimedia Commons";
    const Row rows[] = {
        {kCredit, true, u"A380", credited},
        {kCredit, false, u"", credited},
        // No object name: the file page's name, when the address holds it.
        {{"A", "CC0", "https://commons.wikimedia.org/wiki/File:Boeing_747%E2%80%948.jpg", ""},
         true,
         u"Boeing 747\u20148",
         std::u16string(u"Photo: A") + kDot + u"CC0" + kDot + u"Wikimedia Commons"},
        {{"", "CC BY 2.0", "https://commons.wikimedia.org/w/index.php?curid=5", ""},
         true,
         u"",
         std::u16string(u"Photo: CC BY 2.0") + kDot + u"Wikimedia Commons"},
        // Without titles a licence that asks for no credit shows nothing.
        {{"A", "CC0", "", "T"}, false, u"", u""},
        {{"A", "Public domain", "", "T"}, false, u"", u""},
        // The user's own photo: its title, and no credit of ours.
        {{"", "", "", "Harbour at dusk"}, true, u"Harbour at dusk", u""},
        {{"", "", "", "Harbour at dusk"}, false, u"", u""},
    };
    for (const Row& r : rows) {
        const CaptionLines lines = CaptionOf(r.credit, r.titles);
        EXPECT_EQ(lines.title, r.title) << r.credit.page << r.titles;
        EXPECT_EQ(lines.credit, r.credit_line) << r.credit.licence << r.titles;
    }
}

// Painted at (0, 0) on a transparent canvas: everything lies inside the
// backing, each line on a line of its own however long (the faults were a
// first line that wrapped and a second that fell below the backing), and
// the text follows the monitor's height.
TEST(PhotoCaption, StaysInItsBackingOneLineEachAtAnyMonitorSize) {
    const std::u16string longTitle(
        u"An Airbus A380 of a long-haul airline seen from the "
        u"observation deck on a grey winter morning, with snow");
    const std::u16string longCredit =
        std::u16string(
            u"Photo: An Author With A Very Long Name Indeed, Of The Aviation "
            u"Photographers' Club") +
        kDot + u"CC BY-SA 4.0" + kDot + u"Wikimedia Commons";
    struct Row {
        int width, height;
        CaptionLines lines;
        int textLines;
    };
    const Row rows[] = {
        {1600, 900, CaptionOf(kCredit, true), 2}, {1600, 900, {longTitle, longCredit}, 2},
        {1920, 1080, {u"", longCredit}, 1},       {3840, 2160, CaptionOf(kCredit, true), 2},
        {1080, 1920, {longTitle, longCredit}, 2},  // a monitor on its side
    };
    for (const Row& r : rows) {
        auto canvas = CreateImageCanvas(2048, 256);
        ASSERT_TRUE(canvas);
        canvas->ClearRect(0, 0, 2048, 256, 0);
        const CaptionMetrics m = CaptionMetricsFor(r.width, r.height);
        const CanvasRect box = PaintCaption(*canvas, r.lines, m);
        const std::string row = std::to_string(r.width) + "x" + std::to_string(r.height);
        ASSERT_FALSE(box.empty()) << row;
        const Inked in = Scan(*canvas);
        EXPECT_GE(in.box.left, box.left) << row;
        EXPECT_GE(in.box.top, box.top) << row;
        EXPECT_LE(in.box.right, box.right) << row;
        EXPECT_LE(in.box.bottom, box.bottom) << row;
        EXPECT_GT(in.brightest, 220) << row << ": white text";
        // No wider than its room, and as many text heights high as lines.
        const float text = static_cast<float>(r.height) / 56.0f;
        EXPECT_LE(box.right, m.lineRoom + 2 * text) << row;
        const float lines = (static_cast<float>(box.bottom) - 0.9f * text) / text;
        EXPECT_GT(lines, r.textLines * 1.0f) << row;
        EXPECT_LT(lines, r.textLines * 1.6f + 0.2f) << row;
    }
}

TEST(PhotoCaption, NothingToSayOrNoRoomPaintsNothing) {
    auto canvas = CreateImageCanvas(2048, 256);
    ASSERT_TRUE(canvas);
    canvas->ClearRect(0, 0, 2048, 256, 0);
    EXPECT_TRUE(PaintCaption(*canvas, {}, CaptionMetricsFor(1920, 1080)).empty());
    // A preview's few pixels.
    EXPECT_TRUE(
        PaintCaption(*canvas, CaptionOf(kCredit, true), CaptionMetricsFor(152, 112)).empty());
    EXPECT_TRUE(Scan(*canvas).box.empty());
}
