// The image canvas, the overlay font and the built-in pictures, without a
// display: everything is checked on the canvas's own pixels. One source for
// every backend (cairo + pango on Linux, GDI+ on Win32); where their text
// layout differs, the tolerance says by how much and why.
#include <gtest/gtest.h>

#include <string>

#include "overlay/font_probe.h"
#include "overlay/image_canvas.h"
#include "overlay/picture_decode.h"
#include "overlay/resource_images.h"
#include "resources/embedded_resources.h"
#include "support/png_writer.h"

namespace {
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

// The bounding box of every pixel that is not black.
Box Inked(ImageCanvas& c) {
    Box b;
    const uint32_t* p = c.Pixels();
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            if ((p[y * c.Width() + x] & 0xFFFFFF) != 0) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

uint32_t PixelAt(ImageCanvas& c, int x, int y) {
    return c.Pixels()[y * c.Width() + x];
}
int Red(uint32_t p) {
    return (p >> 16) & 0xFF;
}
int Green(uint32_t p) {
    return (p >> 8) & 0xFF;
}
int Blue(uint32_t p) {
    return p & 0xFF;
}

std::unique_ptr<ImageCanvas> BlackCanvas(int w, int h) {
    auto c = CreateImageCanvas(w, h);
    c->ClearRect(0, 0, w, h, kBlack);
    return c;
}

const char16_t kWords[] = u"alpha beta gamma delta epsilon zeta";
}  // namespace

TEST(ImageCanvas, PixelsAreBgraTopRowFirst) {
    auto c = CreateImageCanvas(4, 3);
    ASSERT_NE(c, nullptr);
    c->ClearRect(0, 0, 4, 3, 0xFF102030u);
    c->FillRect(0, 0, 4, 1, 0xFFFF0000u);
    const auto* bytes = reinterpret_cast<const uint8_t*>(c->Pixels());
    EXPECT_EQ(bytes[0], 0x00);  // blue, green, red, alpha of the red top row
    EXPECT_EQ(bytes[2], 0xFF);
    EXPECT_EQ(bytes[3], 0xFF);
    const uint8_t* last = bytes + (2 * 4 + 3) * 4;
    EXPECT_EQ(last[0], 0x30);
    EXPECT_EQ(last[1], 0x20);
    EXPECT_EQ(last[2], 0x10);
    EXPECT_EQ(CreateImageCanvas(0, 10), nullptr);
}

TEST(ImageCanvas, TextWrapsAtWordsInsideTheWidth) {
    OverlayFont font = CreateOverlayFont(20);
    auto wrapped = BlackCanvas(600, 400);
    wrapped->DrawText(kWords, font, 50, 20, 150, 300, kWhite, TextAlign::Near);
    Box w = Inked(*wrapped);
    ASSERT_FALSE(w.empty());
    EXPECT_GE(w.left, 50);
    EXPECT_LE(w.right, 200);
    EXPECT_GE(w.top, 20);

    auto single = BlackCanvas(600, 400);
    single->DrawText(kWords, font, 50, 20, 0, 0, kWhite, TextAlign::Near);
    Box s = Inked(*single);
    EXPECT_GT(s.width(), 150);  // one line, wider than the wrapping width
    EXPECT_GT(w.height(), 2 * s.height());

    // A short layout height cuts the lines below it.
    auto clipped = BlackCanvas(600, 400);
    clipped->DrawText(kWords, font, 50, 20, 150, 30, kWhite, TextAlign::Near);
    EXPECT_LE(Inked(*clipped).bottom, 50);
}

TEST(ImageCanvas, MeasuredTextHoldsWhatIsDrawn) {
    OverlayFont font = CreateOverlayFont(20);
    auto single = BlackCanvas(600, 400);
    const CanvasSize line = single->MeasureText(kWords, font, 0);
    single->DrawText(kWords, font, 50, 20, 0, 0, kWhite, TextAlign::Near);
    Box s = Inked(*single);
    // The ink lies within the measured box, which adds little around it.
    EXPECT_LE(s.right + 1, 50 + line.width + 1);
    EXPECT_GT(line.width, s.width() - 2);
    EXPECT_LT(line.width, s.width() + 12);
    EXPECT_LE(s.bottom + 1, 20 + line.height + 1);
    EXPECT_LT(line.height, 2 * s.height());

    // Wrapped at a width, as DrawText wraps: narrower, several lines tall.
    const CanvasSize wrapped = single->MeasureText(kWords, font, 150);
    EXPECT_LE(wrapped.width, 150);
    EXPECT_GT(wrapped.height, 2 * line.height);
    const CanvasSize two = single->MeasureText(u"one\ntwo", font, 0);
    EXPECT_NEAR(two.height, 2 * line.height, line.height / 4);
    EXPECT_EQ(single->MeasureText(u"", font, 0).width, 0);
}

TEST(ImageCanvas, WithoutAWidthLinesAlignOnX) {
    OverlayFont font = CreateOverlayFont(20);
    const float x = 300;
    auto center = BlackCanvas(600, 100);
    center->DrawText(u"centred\nline two", font, x, 10, 0, 0, kWhite, TextAlign::Center);
    Box c = Inked(*center);
    EXPECT_NEAR((c.left + c.right) / 2.0, x, 4);

    auto far = BlackCanvas(600, 100);
    far->DrawText(u"far end", font, x, 10, 0, 0, kWhite, TextAlign::Far);
    Box f = Inked(*far);
    EXPECT_LE(f.right, x + 1);
    EXPECT_GE(f.right, x - 6);

    auto near = BlackCanvas(600, 100);
    near->DrawText(u"near", font, x, 10, 0, 0, kWhite, TextAlign::Near);
    Box n = Inked(*near);
    EXPECT_GE(n.left, x - 1);
    EXPECT_LE(n.left, x + 6);
}

TEST(ImageCanvas, TextSizeIsInPointsAtNinetySixDpi) {
    auto small = BlackCanvas(800, 300);
    small->DrawText(u"H", CreateOverlayFont(20), 10, 10, 0, 0, kWhite, TextAlign::Near);
    auto large = BlackCanvas(800, 300);
    large->DrawText(u"H", CreateOverlayFont(75), 10, 10, 0, 0, kWhite, TextAlign::Near);
    int h20 = Inked(*small).height();
    int h75 = Inked(*large).height();
    // A capital is about 0.7 em: 75 pt = 100 px at 96 DPI.
    EXPECT_NEAR(h75, 70, 12);
    EXPECT_NEAR(static_cast<double>(h75) / h20, 75.0 / 20.0, 0.5);
}

TEST(ImageCanvas, GradientRunsFromTopToBottomColour) {
    auto c = BlackCanvas(40, 120);
    c->FillVerticalGradient(0, 10, 40, 100, 0xFFFF0000u, 0xFF0000FFu);
    EXPECT_GT(Red(PixelAt(*c, 20, 11)), 240);
    EXPECT_GT(Blue(PixelAt(*c, 20, 108)), 240);
    EXPECT_NEAR(Red(PixelAt(*c, 20, 60)), 128, 8);
    EXPECT_EQ(PixelAt(*c, 20, 5), kBlack);  // nothing outside the rectangle
    EXPECT_EQ(PixelAt(*c, 20, 115), kBlack);
}

TEST(ImageCanvas, CurvePassesThroughItsPoints) {
    auto c = BlackCanvas(200, 100);
    const CanvasPoint points[] = {{10, 80}, {60, 20}, {110, 70}, {190, 30}};
    c->DrawCurve(points, 4, 3.0f, kWhite);
    for (int i = 1; i < 3; ++i) EXPECT_GT(Green(PixelAt(*c, points[i].x, points[i].y)), 100);
    EXPECT_GT(Green(PixelAt(*c, 10, 80)), 0);  // the ends, half covered by the cap
    EXPECT_GT(Green(PixelAt(*c, 190, 30)), 0);
    // A smooth curve, not a polyline: between 10,80 and 60,20 it runs above
    // the straight chord (y = 53.6 at x = 32).
    int firstInked = -1;
    for (int y = 0; y < 100 && firstInked < 0; ++y)
        if (Green(PixelAt(*c, 32, y)) > 100) firstInked = y;
    EXPECT_GE(firstInked, 0);
    EXPECT_LT(firstInked, 50);
    EXPECT_EQ(PixelAt(*c, 150, 95), kBlack);
    c->DrawCurve(points, 1, 3.0f, kWhite);  // too few points: nothing, no crash
}

TEST(ImageCanvas, PicturesAreScaledIntoTheirRectangle) {
    Picture p;
    p.width = 2;
    p.height = 2;
    p.pixels = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
    auto c = BlackCanvas(120, 120);
    c->DrawPicture(p, 10, 10, 100, 100);
    EXPECT_GT(Red(PixelAt(*c, 15, 15)), 200);
    EXPECT_GT(Green(PixelAt(*c, 105, 15)), 200);
    EXPECT_GT(Blue(PixelAt(*c, 15, 105)), 200);
    EXPECT_EQ(PixelAt(*c, 105, 105), kWhite);
    EXPECT_EQ(PixelAt(*c, 5, 5), kBlack);
    EXPECT_EQ(PixelAt(*c, 112, 112), kBlack);
    Picture broken;
    broken.width = 50;
    broken.height = 50;  // claims pixels it does not have
    c->DrawPicture(broken, 0, 0, 100, 100);
    EXPECT_EQ(PixelAt(*c, 5, 5), kBlack);
}

TEST(OverlayFont, GeorgiaOnlyWhenInstalledElseSansSerif) {
    OverlayFont font = CreateOverlayFont(35);
    EXPECT_EQ(font.points, 35.0f);
    EXPECT_EQ(font.family, SystemListsGeorgia() ? "Georgia" : "sans-serif");
}

TEST(ResourcePictures, TableHoldsTheWeatherPicturesAndTheWarningSign) {
    int rows = 0;
    for (const ResourceImageRow& row : ResourceImageTable) {
        if (row.id <= 0) break;
        EXPECT_STREQ(row.type, "PNG");
        EXPECT_EQ(row.id, rows < 30 ? 2000 + rows : 2100);
        ++rows;
    }
    EXPECT_EQ(rows, 31);
    EXPECT_EQ(GetResourceImage(1999), nullptr);
    EXPECT_EQ(GetResourceImage(2030), nullptr);
    EXPECT_EQ(GetResourceImage(0), nullptr);
}

// The pictures are committed under resources/pictures (tools/artwork draws
// them), so every one the table names must be built in.
TEST(ResourcePictures, EveryBuiltInPictureHasItsSizeAndAlpha) {
    for (const ResourceImageRow& row : ResourceImageTable) {
        if (row.id <= 0) break;
        const EmbeddedResource* r = FindEmbeddedResource("PNG", row.id);
        if (!r) {
            ADD_FAILURE() << "resources/pictures/" << row.id << ".png is not built in";
            continue;
        }
        // IHDR: width, height, bit depth 8, colour type 6 (RGBA).
        ASSERT_GT(r->size, 26u);
        EXPECT_EQ(r->data[24], 8) << row.id;
        EXPECT_EQ(r->data[25], 6) << row.id;
        const Picture* p = GetResourceImage(row.id);
        ASSERT_NE(p, nullptr) << row.id;
        EXPECT_EQ(p->width, row.id == 2100 ? 240 : 250) << row.id;
        EXPECT_EQ(p->height, row.id == 2100 ? 200 : 180) << row.id;
        EXPECT_EQ(GetResourceImage(row.id), p);  // decoded once, kept
    }
}

TEST(PictureDecode, RejectsWhatIsNotAWholePng) {
    const std::vector<uint32_t> red(64, 0x80FF0000u);
    const std::string png = EncodePng(red.data(), 8, 8);

    Picture p;
    ASSERT_TRUE(DecodePngPicture(reinterpret_cast<const uint8_t*>(png.data()), png.size(), p));
    EXPECT_EQ(p.width, 8);
    EXPECT_EQ(p.pixels[0], 0x80800000u);  // premultiplied
    for (size_t cut : {size_t{0}, size_t{8}, size_t{33}, png.size() / 2, png.size() - 13}) {
        Picture q;
        EXPECT_FALSE(DecodePngPicture(reinterpret_cast<const uint8_t*>(png.data()), cut, q)) << cut;
    }
    std::string garbage(500, '\x89');
    EXPECT_FALSE(
        DecodePngPicture(reinterpret_cast<const uint8_t*>(garbage.data()), garbage.size(), p));
}

#ifndef _WIN32
// Win32 keeps the icons as icon group 129 instead (win32_resources_test).
TEST(EmbeddedResources, IconsAreFoundByTheirPixelSize) {
    for (int size : {16, 24, 32, 48, 256}) {
        const EmbeddedResource* r = FindEmbeddedResource("ICON", size);
        if (!r) {
            ADD_FAILURE() << "resources/icons/skyreel-" << size << ".png is not built in";
            continue;
        }
        Picture p;
        ASSERT_TRUE(DecodePngPicture(r->data, r->size, p)) << size;
        EXPECT_EQ(p.width, size);
        EXPECT_EQ(p.height, size);
    }
    EXPECT_EQ(FindEmbeddedResource("ICON", 2000), nullptr);
    EXPECT_EQ(FindEmbeddedResource("PNG", 16), nullptr);
    EXPECT_EQ(FindEmbeddedResource(nullptr, 16), nullptr);
}
#endif
