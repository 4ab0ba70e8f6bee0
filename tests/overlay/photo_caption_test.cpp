// The credit caption on the image canvas: its text, where it lies, that it
// reads on a white and a black photo, and that it follows the screen's
// size. Part of the canvas test, so cairo and GDI+ both paint it.
#include "slideshow/photo_caption.h"

#include <gtest/gtest.h>

#include <memory>

#include "overlay/image_canvas.h"

namespace {
const PhotoCredit kCredit{"PtrQs", "CC BY-SA 4.0",
                          "https://commons.wikimedia.org/w/index.php?curid=81754323", "A380"};

int Luma(uint32_t p) {
    return (((p >> 16) & 0xFF) * 3 + ((p >> 8) & 0xFF) * 6 + (p & 0xFF)) / 10;
}

// A canvas holding one plain "photo" of `argb` in `photo`, black around it.
std::unique_ptr<ImageCanvas> PhotoCanvas(int w, int h, const CanvasRect& photo, uint32_t argb) {
    auto c = CreateImageCanvas(w, h);
    c->ClearRect(0, 0, w, h, 0xFF000000u);
    c->ClearRect(photo.left, photo.top, photo.right - photo.left, photo.bottom - photo.top, argb);
    return c;
}

struct Inside {
    int brightest = 0;
    int darkest = 255;
};
Inside Scan(ImageCanvas& c, const CanvasRect& r) {
    Inside in;
    const uint32_t* p = c.Pixels();
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const int l = Luma(p[y * c.Width() + x]);
            in.brightest = std::max(in.brightest, l);
            in.darkest = std::min(in.darkest, l);
        }
    return in;
}

// Pixels that differ from `argb` outside `keep`.
int ChangedOutside(ImageCanvas& c, const CanvasRect& photo, const CanvasRect& keep, uint32_t argb) {
    int changed = 0;
    const uint32_t* p = c.Pixels();
    for (int y = photo.top; y < photo.bottom; ++y)
        for (int x = photo.left; x < photo.right; ++x) {
            const bool kept = x >= keep.left && x < keep.right && y >= keep.top && y < keep.bottom;
            if (!kept && p[y * c.Width() + x] != argb) ++changed;
        }
    return changed;
}
}  // namespace

TEST(PhotoCaption, TextNamesAuthorLicenceSourceAndPage) {
    EXPECT_EQ(CaptionText(kCredit),
              u"Photo: PtrQs \u00B7 CC BY-SA 4.0 \u00B7 Wikimedia Commons\n"
              u"commons.wikimedia.org/w/index.php?curid=81754323");
    EXPECT_EQ(CaptionText({"", "CC0", "http://x.org/a", ""}),
              u"Photo: CC0 \u00B7 Wikimedia Commons\nx.org/a");
    EXPECT_EQ(CaptionText({"J\xC3\xB8rn", "", "//x.org/b?u=http://y", ""}),
              u"Photo: J\u00F8rn \u00B7 Wikimedia Commons\nx.org/b?u=http://y");
    EXPECT_EQ(CaptionText({"A", "PD", "", "title only"}),
              u"Photo: A \u00B7 PD \u00B7 Wikimedia Commons");
    EXPECT_EQ(CaptionText({"", "", "", "title only"}), u"");
}

TEST(PhotoCaption, LiesInTheBottomRightCornerAndReadsOnAnyPhoto) {
    const CanvasRect photo{100, 50, 1060, 590};  // 960 x 540, shown on 1920 x 1080
    for (uint32_t colour : {0xFFFFFFFFu, 0xFF000000u, 0xFF808080u}) {
        auto c = PhotoCanvas(1200, 700, photo, colour);
        const CanvasRect box = PaintPhotoCaption(*c, kCredit, photo, 1920, 1080);
        ASSERT_FALSE(box.empty());
        // Close to the corner, inside the photo, in its right half.
        EXPECT_LT(photo.right - box.right, 20);
        EXPECT_LT(photo.bottom - box.bottom, 20);
        EXPECT_GT(box.left, photo.left + (photo.right - photo.left) / 2);
        EXPECT_GE(box.top, photo.top);
        // White text and a dark backing, whatever lies below.
        const Inside in = Scan(*c, box);
        EXPECT_GT(in.brightest, 220) << std::hex << colour;
        EXPECT_LT(in.darkest, 110) << std::hex << colour;
        EXPECT_GT(in.brightest - in.darkest, 140) << std::hex << colour;
        // Nothing else of the photo changes (the shadow may pass the backing
        // by a pixel or two).
        const CanvasRect halo{box.left, box.top, box.right + 3, box.bottom + 3};
        EXPECT_EQ(ChangedOutside(*c, photo, halo, colour), 0) << std::hex << colour;
    }
}

TEST(PhotoCaption, FollowsTheScreenNotThePhoto) {
    const CanvasRect photo{0, 0, 1024, 576};
    auto height = [&](const PhotoCredit& credit, int sw, int sh) {
        auto c = PhotoCanvas(1024, 576, photo, 0xFF808080u);
        const CanvasRect box = PaintPhotoCaption(*c, credit, photo, sw, sh);
        return box.bottom - box.top;
    };
    // On the screen (canvas pixels times the slideshow's scale): twice the
    // screen height, twice the caption, whatever the photo's own size; a
    // small screen still gets readable text.
    const float hd = height(kCredit, 1280, 720) * 1.25f;
    const float uhd = height(kCredit, 2560, 1440) * 2.5f;
    EXPECT_GT(hd, 2 * 12.0f);
    EXPECT_NEAR(uhd, 2 * hd, hd / 6);
    const CanvasRect half{0, 0, 512, 288};
    auto c = PhotoCanvas(1024, 576, photo, 0xFF808080u);
    const CanvasRect small = PaintPhotoCaption(*c, kCredit, half, 1280, 720);
    EXPECT_NEAR((small.bottom - small.top) * 2.5f, hd, hd / 6);
    EXPECT_GT(height(kCredit, 640, 360) * 0.625f, 2 * 12.0f);
    // A preview's few pixels get no caption at all.
    EXPECT_EQ(height(kCredit, 152, 112), 0);
    // The page address is a second line.
    const float oneLine = height({"PtrQs", "CC BY-SA 4.0", "", ""}, 1280, 720) * 1.25f;
    EXPECT_GT(hd, oneLine * 1.5f);
}

TEST(PhotoCaption, LongCreditsStayOnThePhotoAndEmptyOnesPaintNothing) {
    const CanvasRect photo{200, 0, 500, 800};  // a narrow portrait photo
    PhotoCredit wordy = kCredit;
    wordy.author = "An Author With A Very Long Name Indeed, Of The Aviation Photographers' Club";
    auto c = PhotoCanvas(700, 800, photo, 0xFFFFFFFFu);
    const CanvasRect box = PaintPhotoCaption(*c, wordy, photo, 1920, 1080);
    ASSERT_FALSE(box.empty());
    EXPECT_GE(box.left, photo.left);
    EXPECT_LE(box.right, photo.right);
    EXPECT_GE(box.top, photo.top);
    // The black beside the photo stays black.
    EXPECT_EQ(ChangedOutside(*c, {0, 0, 200, 800}, {}, 0xFF000000u), 0);
    EXPECT_EQ(ChangedOutside(*c, {500, 0, 700, 800}, {}, 0xFF000000u), 0);

    auto plain = PhotoCanvas(700, 800, photo, 0xFFFFFFFFu);
    EXPECT_TRUE(PaintPhotoCaption(*plain, {}, photo, 1920, 1080).empty());
    EXPECT_TRUE(PaintPhotoCaption(*plain, kCredit, {0, 0, 0, 0}, 1920, 1080).empty());
    EXPECT_EQ(ChangedOutside(*plain, photo, {}, 0xFFFFFFFFu), 0);
}
