// The slideshow drawn for real: a saver window on a private 1920 x 1080
// Xvfb, photos made as JPEG files in the cache folder, pixels read back.
#include <gtest/gtest.h>
// X11 after gtest: its macros (None, Bool) collide with gtest's names.
#include <GL/gl.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

#include "base/clock.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "host/command_line.h"
#include "host/run_mode.h"
#include "host/saver_host.h"
#include "overlay/overlay_texture.h"
#include "overlay/slide_slot.h"
#include "photos/photo_credit.h"
#include "photos/photo_list.h"
#include "slideshow/photo_texture.h"
#include "slideshow/slideshow.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"
#include "support/xvfb.h"

namespace {
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kFadeFrames = 51;
const Rgb kBlack{0, 0, 0};
const Rgb kRed{220, 30, 30};
const Rgb kBlue{30, 30, 220};
const Rgb kGreen{30, 200, 60};

XvfbServer* server = nullptr;

class SlideshowGl : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { server = new XvfbServer(kWidth, kHeight); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server && server->running()); }
    void TearDown() override {
        if (windowOpen) DestroySaverWindow();
        ResetClocks();
        SetTextureCanvasMaker(nullptr);
    }
    // Photo files carry increasing times in the order they are written.
    void Photo(const std::string& name, int w, int h, Rgb top, Rgb bottom) {
        WriteTestJpeg(dir / name, w, h, top, bottom);
        SetFileLastWriteTime(dir / name, kFileTimeUnixEpoch + (1'600'000'000LL + ++photos) *
                                                                  kFileTimeTicksPerSecond);
    }
    void Open() {
        RunMode = Saver;
        SetManualTickCount(1000);  // with two photos the show starts at entry 0
        ASSERT_EQ(CreateSaverWindow(HostOptions{}), 1);
        windowOpen = true;
        UpdateSlideshow();
    }
    // Draws frames until the intro fade is over and the slide is fully shown.
    void FinishIntro() {
        while (IntroFade) DrawFrame();
        DrawFrame();
    }
    Rgb At(int x, int y) { return ReadPixel(x, y, kHeight); }

    TempDataFolder dir;
    int photos = 0;
    bool windowOpen = false;
};

std::unique_ptr<ImageCanvas> NoCanvas(int, int) {
    return nullptr;
}

// The brightest and the darkest pixel (by their green, the photos' own
// strongest channel) in a rectangle of the buffer being drawn, y from the top.
struct Extremes {
    int brightest = 0;
    int darkest = 255;
};
Extremes ReadExtremes(int x, int y, int w, int h) {
    std::vector<unsigned char> p(static_cast<size_t>(w) * h * 4);
    glReadPixels(x, kHeight - y - h, w, h, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    Extremes e;
    for (size_t i = 0; i < p.size(); i += 4) {
        const int luma = (p[i] * 3 + p[i + 1] * 6 + p[i + 2]) / 10;
        e.brightest = std::max(e.brightest, luma);
        e.darkest = std::min(e.darkest, luma);
    }
    return e;
}
}  // namespace

TEST_F(SlideshowGl, APhotoFillsTheHeightCentredAndClippedToItself) {
    Photo("a.jpg", 1024, 683, kRed, kBlue);
    Open();
    EXPECT_EQ(SlideState, OnePhoto);
    EXPECT_EQ(SlideSlots[0].contentWidth, 1024.0f);
    EXPECT_EQ(SlideSlots[0].contentHeight, 683.0f);
    FinishIntro();
    // Drawn about 1619 x 1080 from x = 150.4: black on both sides.
    EXPECT_TRUE(Near(At(148, 300), kBlack, 2)) << At(148, 300);
    EXPECT_TRUE(Near(At(153, 300), kRed, 6)) << At(153, 300);
    EXPECT_TRUE(Near(At(1766, 300), kRed, 6)) << At(1766, 300);
    EXPECT_TRUE(Near(At(1772, 300), kBlack, 2)) << At(1772, 300);
    // The photo's top is the screen's top.
    EXPECT_TRUE(Near(At(960, 2), kRed, 6)) << At(960, 2);
    EXPECT_TRUE(Near(At(960, 1077), kBlue, 6)) << At(960, 1077);
}

TEST_F(SlideshowGl, TheIntroFadeRisesFromBlackInFiftyOneFrames) {
    Photo("a.jpg", 1920, 1080, kGreen, kGreen);
    Open();
    DrawFrame();
    EXPECT_TRUE(Near(At(960, 540), kBlack, 1)) << At(960, 540);
    for (int frame = 2; frame <= kFadeFrames; ++frame) DrawFrame();
    EXPECT_TRUE(Near(At(960, 540), kGreen, 4)) << At(960, 540);
    EXPECT_FALSE(IntroFade);
}

TEST_F(SlideshowGl, ACrossFadeBlendsBothPhotosOverBlack) {
    Photo("a.jpg", 1920, 1080, kRed, kRed);
    Photo("b.jpg", 1920, 1080, kBlue, kBlue);
    Open();
    ASSERT_EQ(SlideState, Showing);
    FinishIntro();
    UpdateSlideshow();
    SetManualTickCount(1000 + 20000);
    UpdateSlideshow();
    ASSERT_EQ(SlideState, Fading);
    for (int i = 0; i < 25; ++i) DrawFrame();
    const float f = FadeLevel;
    DrawFrame();
    // Outgoing at 1 - f over black, then incoming at f over that.
    auto blend = [f](int a, int b) {
        return static_cast<int>(b * f + a * (1 - f) * (1 - f) + 0.5f);
    };
    Rgb expected{blend(kRed.r, kBlue.r), blend(kRed.g, kBlue.g), blend(kRed.b, kBlue.b)};
    EXPECT_NEAR(f, 0.5f, 0.01f);
    EXPECT_TRUE(Near(At(960, 540), expected, 5)) << At(960, 540) << " expected " << expected;
}

TEST_F(SlideshowGl, LargePhotosAreReducedWhileDecodedAndShownCentred) {
    Photo("a.jpg", 4000, 3000, kRed, kBlue);
    Photo("b.jpg", 3000, 4000, kGreen, kBlue);
    Open();
    ASSERT_EQ(SlideState, Showing);
    // Decoded no smaller than shown (1440 x 1080) and no larger than a texture.
    const SlideSlot& wide = SlideSlots[0];
    EXPECT_TRUE(wide.contentWidth >= 1440 && wide.contentWidth <= 2048) << wide.contentWidth;
    EXPECT_EQ(wide.contentWidth * 3, wide.contentHeight * 4);

    // 4:3 on 16:9: 1440 x 1080 from x = 240.
    FinishIntro();
    EXPECT_TRUE(Near(At(237, 300), kBlack, 2)) << At(237, 300);
    EXPECT_TRUE(Near(At(243, 300), kRed, 8)) << At(243, 300);
}

TEST_F(SlideshowGl, AnUndecodablePhotoLeavesTheScreenBlack) {
    WriteFileBytes(dir / "bad.jpg", std::string("\xFF\xD8\xFF\xE0 not really a photo", 24));
    Open();
    EXPECT_EQ(SlideState, OnePhoto);
    EXPECT_EQ(SlideSlots[0].contentWidth, 0.0f);
    EXPECT_EQ(SlideSlots[0].contentHeight, 0.0f);
    for (int i = 0; i < kFadeFrames + 2; ++i) DrawFrame();
    EXPECT_TRUE(Near(At(960, 540), kBlack, 1));
    EXPECT_TRUE(Near(At(10, 10), kBlack, 1));
}

// Only a photo decoded larger than a texture is drawn over the canvas.
TEST_F(SlideshowGl, WithoutACanvasAnOversizedPhotoStaysBlackAndEmpty) {
    Photo("a.jpg", 2100, 1181, kGreen, kGreen);
    Open();
    FinishIntro();
    ASSERT_TRUE(Near(At(960, 540), kGreen, 4));
    EXPECT_EQ(SlideSlots[0].contentWidth, 2048.0f);
    SetTextureCanvasMaker(NoCanvas);
    PathText path;
    ASSERT_TRUE(PhotoPathAt(0, path));
    LoadPhotoTexture(&path, SlideSlots[0].texture, 0);
    EXPECT_EQ(SlideSlots[0].contentWidth, 0.0f);
    EXPECT_EQ(SlideSlots[0].bitmap.width, 0);
    RequestRedraw();
    DrawFrame();
    EXPECT_TRUE(Near(At(960, 540), kBlack, 1));
    // The canvas comes back once it can be made again.
    SetTextureCanvasMaker(nullptr);
    LoadPhotoTexture(&path, SlideSlots[0].texture, 0);
    EXPECT_EQ(SlideSlots[0].contentWidth, 2048.0f);
}

TEST_F(SlideshowGl, AStillSlideIsPresentedOnceAndAgainAfterExposure) {
    Photo("a.jpg", 1920, 1080, kGreen, kGreen);
    Open();
    FinishIntro();
    PresentFrame();
    glFinish();
    EXPECT_EQ(DrawFrame(), 0);
    EXPECT_EQ(DrawFrame(), 0);
    // What the screen shows, read from the server.
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    XImage* image = XGetImage(other, DefaultRootWindow(other), 960, 540, 1, 1, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    Rgb shown{static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
              static_cast<int>(pixel & 0xFF)};
    EXPECT_TRUE(Near(shown, kGreen, 4)) << shown;
    // An expose event from another client asks for a redraw.
    Window root = DefaultRootWindow(other);
    Window top = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(other, root, &top, &parent, &children, &count);
    ASSERT_GT(count, 0u);
    XClearArea(other, children[count - 1], 0, 0, 10, 10, True);
    XFree(children);
    XSync(other, False);
    XCloseDisplay(other);
    for (int i = 0; i < 50 && !PumpSaverWindow(); ++i) SleepMillis(10);
    while (PumpSaverWindow()) {
    }
    EXPECT_EQ(DrawFrame(), 1);
}

TEST_F(SlideshowGl, RefillingASlotLeavesNothingOfItsOldPicture) {
    Photo("a.jpg", 4000, 3000, kRed, kRed);
    Photo("b.jpg", 1024, 683, kGreen, kGreen);
    Open();
    FinishIntro();
    PathText wide, small;
    ASSERT_TRUE(PhotoPathAt(0, wide));
    ASSERT_TRUE(PhotoPathAt(1, small));
    auto show = [](const PathText* path) {
        LoadPhotoTexture(path, SlideSlots[0].texture, 0);
        RequestRedraw();
        DrawFrame();
    };
    // 3:2 on 16:9: 1620 x 1080 from x = 150.
    show(&small);
    EXPECT_TRUE(Near(At(146, 300), kBlack, 2)) << At(146, 300);
    EXPECT_TRUE(Near(At(155, 300), kGreen, 8)) << At(155, 300);
    EXPECT_TRUE(Near(At(1765, 1000), kGreen, 8)) << At(1765, 1000);
    EXPECT_TRUE(Near(At(1774, 1000), kBlack, 2)) << At(1774, 1000);

    show(&wide);
    EXPECT_TRUE(Near(At(237, 300), kBlack, 2)) << At(237, 300);
    EXPECT_TRUE(Near(At(960, 540), kRed, 8)) << At(960, 540);

    show(nullptr);
    EXPECT_EQ(SlideSlots[0].contentWidth, 0.0f);
    EXPECT_TRUE(Near(At(960, 540), kBlack, 2));
}

// The caption sits in the monitor's corner whatever the photo's shape (here
// beside a portrait photo, over black), as two lines, and fades with its photo.
TEST_F(SlideshowGl, ACreditedPhotoShowsItsCaptionAndFadesOutWithIt) {
    // Entry 0 (shown first) carries a credit, entry 1 none.
    Photo("a.jpg", 600, 1000, kGreen, kGreen);
    Photo("b.jpg", 1920, 1080, kGreen, kGreen);
    std::string credited = ReadFileBytes(dir / "a.jpg");
    ASSERT_TRUE(EmbedPhotoCredit(
        credited, {"PtrQs", "CC BY-SA 4.0", "https://commons.wikimedia.org/w/index.php?curid=1",
                   "Airbus A380 over the sea"}));
    WriteFileBytes(dir / "a.jpg", credited);
    SetFileLastWriteTime(dir / "a.jpg",
                         kFileTimeUnixEpoch + 1'600'000'001LL * kFileTimeTicksPerSecond);
    Open();
    ASSERT_EQ(SlideState, Showing);
    FinishIntro();
    // The monitor's bottom right corner, beside the photo: white text on a
    // dark backing; the photo itself is plain green (luma about 132).
    const Extremes corner = ReadExtremes(kWidth - 500, kHeight - 120, 500, 120);
    EXPECT_GT(corner.brightest, 220);
    const Extremes photo = ReadExtremes(700, 0, 500, kHeight);
    EXPECT_LT(photo.brightest - photo.darkest, 12);
    // Two lines of text: white rows over more than one text height.
    int first = -1, last = -1;
    for (int y = kHeight - 150; y < kHeight; ++y)
        if (ReadExtremes(kWidth - 500, y, 500, 1).brightest > 200) (first < 0 ? first : last) = y;
    EXPECT_GT(last - first, 1.6 * kHeight / 56) << first << ".." << last;

    UpdateSlideshow();
    SetManualTickCount(1000 + 20000);
    UpdateSlideshow();
    ASSERT_EQ(SlideState, Fading);
    for (int i = 0; i < 25; ++i) DrawFrame();
    // Half faded: the caption is dimmed with its photo, yet still there.
    const Extremes half = ReadExtremes(kWidth - 500, kHeight - 120, 500, 120);
    const Extremes halfRest = ReadExtremes(700, 0, 500, kHeight - 200);
    EXPECT_LT(half.brightest, corner.brightest - 60);
    EXPECT_GT(half.brightest, halfRest.brightest + 20);
    while (SlideState == Fading) DrawFrame();
    DrawFrame();
    const Extremes none = ReadExtremes(kWidth - 500, kHeight - 120, 500, 120);
    EXPECT_LT(none.brightest - none.darkest, 12) << "a photo without a credit has no caption";
}
