// The saver over three monitors of unequal size side by side, on a private
// Xorg with the dummy driver (RandR outputs, Xinerama answered from them):
// every monitor shows the slide fitted to itself, black around it, and no
// picture crosses a seam. Pixels read back from the window.
#include <gtest/gtest.h>
// X11 after gtest: its macros (None, Bool) collide with gtest's names.
#include <GL/gl.h>

#include <memory>

#include "base/clock.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "host/command_line.h"
#include "host/run_mode.h"
#include "host/saver_host.h"
#include "host/triggers.h"
#include "overlay/slide_slot.h"
#include "slideshow/photo_framing.h"
#include "slideshow/slideshow.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"
#include "support/xorg_dummy.h"

namespace {
// Primary A, then B taller than it and C smaller: the screen is
// 3104 x 768, with black below A and below C.
const std::vector<MonitorLayout> kMonitors = {
    {0, 0, 1280, 720}, {1280, 0, 1024, 768}, {2304, 0, 800, 600}};
constexpr int kScreenHeight = 768;
const Rgb kBlack{0, 0, 0};
const Rgb kRed{220, 30, 30};
const Rgb kBlue{30, 30, 220};

XorgDummyServer* server = nullptr;

class Monitors : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { server = new XorgDummyServer(kMonitors); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(server && server->running()) << (server ? server->log() : "");
    }
    void TearDown() override {
        if (windowOpen) DestroySaverWindow();
        SetSlideshowLook({});
        ResetClocks();
    }
    void Open(int32_t mode) {
        RunMode = mode;
        SetManualTickCount(1000);
        ASSERT_EQ(CreateSaverWindow(HostOptions{}), 1);
        windowOpen = true;
        UpdateSlideshow();
        while (IntroFade) DrawFrame();
        DrawFrame();
    }
    Rgb At(int x, int y) { return ReadPixel(x, y, kScreenHeight); }

    TempDataFolder dir;
    bool windowOpen = false;
};
}  // namespace

TEST_F(Monitors, EachMonitorShowsThePhotoFittedToItselfWithBlackAround) {
    WriteTestJpeg(dir / "a.jpg", 1024, 683, kRed, kBlue);
    Open(Saver);
    ViewportList views = SlideshowViewports();
    ASSERT_EQ(views.count, 3);
    for (int i = 0; i < 3; ++i) {
        const MonitorLayout& m = kMonitors[i];
        EXPECT_EQ(views.items[i], (ViewportRect{m.x, m.y, m.width, m.height})) << i;
    }
    // Decoded once, for the largest monitor: the photo is no larger than that.
    EXPECT_EQ(SlideSlots[0].contentWidth, 1024.0f);

    // A: fills the height, about 1079.5 wide from x = 100.2.
    EXPECT_TRUE(Near(At(98, 300), kBlack, 2)) << At(98, 300);
    EXPECT_TRUE(Near(At(103, 300), kRed, 6)) << At(103, 300);
    EXPECT_TRUE(Near(At(1177, 300), kRed, 6)) << At(1177, 300);
    EXPECT_TRUE(Near(At(1182, 300), kBlack, 2)) << At(1182, 300);
    EXPECT_TRUE(Near(At(640, 2), kRed, 6)) << At(640, 2);
    EXPECT_TRUE(Near(At(640, 717), kBlue, 6)) << At(640, 717);
    EXPECT_TRUE(Near(At(640, 740), kBlack, 2)) << At(640, 740);  // below A
    // B: fills the width from its left edge at the seam, 683 high from y = 42.5.
    EXPECT_TRUE(Near(At(1279, 300), kBlack, 2)) << At(1279, 300);
    EXPECT_TRUE(Near(At(1281, 300), kRed, 6)) << At(1281, 300);
    EXPECT_TRUE(Near(At(2302, 600), kBlue, 6)) << At(2302, 600);
    EXPECT_TRUE(Near(At(1792, 40), kBlack, 2)) << At(1792, 40);
    EXPECT_TRUE(Near(At(1792, 45), kRed, 6)) << At(1792, 45);
    EXPECT_TRUE(Near(At(1792, 723), kBlue, 6)) << At(1792, 723);
    EXPECT_TRUE(Near(At(1792, 728), kBlack, 2)) << At(1792, 728);
    // C: fills the width, about 533.6 high from y = 33.2; nothing below it.
    EXPECT_TRUE(Near(At(2305, 150), kRed, 6)) << At(2305, 150);
    EXPECT_TRUE(Near(At(2704, 31), kBlack, 2)) << At(2704, 31);
    EXPECT_TRUE(Near(At(2704, 36), kRed, 6)) << At(2704, 36);
    EXPECT_TRUE(Near(At(2704, 564), kBlue, 6)) << At(2704, 564);
    EXPECT_TRUE(Near(At(2704, 569), kBlack, 2)) << At(2704, 569);
    EXPECT_TRUE(Near(At(2704, 700), kBlack, 2)) << At(2704, 700);
}

TEST_F(Monitors, APanelIsPaintedForThePrimaryAndFittedIntoEveryMonitor) {
    WriteTestJpeg(dir / "a.jpg", 1024, 683, kRed, kBlue);
    Open(Saver);
    ScreenExtent primary = ScreenSize();
    EXPECT_EQ(primary.width, 1280);
    EXPECT_EQ(primary.height, 720);
    kTriggerHooks.paintInterlude(Interlude::CurrentPanel, FrontSlot);
    ASSERT_EQ(SlideSlots[FrontSlot].contentWidth, 1280.0f);
    ASSERT_EQ(SlideSlots[FrontSlot].contentHeight, 720.0f);
    const auto canvas = ReadTexture(SlideSlots[FrontSlot].texture);
    // The canvas pixel at (u, v) of the panel, which lies centred on the canvas.
    auto panel = [&](float u, float v) {
        return CanvasPixel(canvas, 384 + static_cast<int>(u * 1280),
                           664 + static_cast<int>(v * 720));
    };
    RequestRedraw();
    DrawFrame();
    // The panel's middle and a point near its top left on each monitor,
    // fitted: A 1:1, B 0.8 (1024 x 576 from y = 96), C 0.625 (800 x 450
    // from y = 75); black above and below it on B and C.
    struct Fit {
        int x, y;
        float k;
    };
    for (Fit f : {Fit{0, 0, 1.0f}, Fit{1280, 96, 0.8f}, Fit{2304, 75, 0.625f}}) {
        SCOPED_TRACE(f.x);
        for (float u : {0.5f, 0.1f}) {
            const int x = f.x + static_cast<int>(u * 1280 * f.k);
            const int y = f.y + static_cast<int>(u * 720 * f.k);
            EXPECT_TRUE(Near(At(x, y), panel(u, u), 24)) << At(x, y) << " " << panel(u, u);
        }
        if (f.y > 0) {
            EXPECT_TRUE(Near(At(f.x + 400, f.y - 3), kBlack, 2)) << At(f.x + 400, f.y - 3);
            const int below = f.y + static_cast<int>(720 * f.k) + 3;
            EXPECT_TRUE(Near(At(f.x + 400, below), kBlack, 2)) << At(f.x + 400, below);
        }
    }
    EXPECT_FALSE(Near(panel(0.5f, 0.5f), kBlack, 8)) << "the panel painted nothing there";
}

TEST_F(Monitors, APreviewIsOneViewport) {
    WriteTestJpeg(dir / "a.jpg", 1024, 683, kRed, kBlue);
    Open(Preview);
    ViewportList views = SlideshowViewports();
    ASSERT_EQ(views.count, 1);
    EXPECT_EQ(views.items[0].x, 0);
    EXPECT_EQ(views.items[0].width, 640);
}

// The same 3:2 photo (red over blue) with blurred edges: A (16:9) would lose
// too much to a crop and shows it over its darkened backdrop; B and C (4:3)
// lose 11 % and are filled. With motion, the end of the slide shows A's
// photo zoomed in over the backdrop it left.
TEST_F(Monitors, EachMonitorIsFramedOnItsOwnWithBlurredEdgesAndMotion) {
    WriteTestJpeg(dir / "a.jpg", 1024, 683, kRed, kBlue);
    SetSlideshowLook({.blurEdges = true, .gentleMotion = true});
    Open(Saver);
    const Rgb darkRed{116, 25, 25}, darkBlue{25, 25, 116};
    struct {
        int x, y;
        Rgb expected;
    } const rows[] = {
        {50, 100, darkRed}, {1230, 100, darkRed}, {50, 620, darkBlue},  // A's edges
        {640, 100, kRed},   {640, 620, kBlue},                          // A's photo
        {1792, 20, kRed},   {1792, 750, kBlue},   {1283, 300, kRed},    // B filled
        {2704, 10, kRed},   {2704, 590, kBlue},   {2306, 150, kRed},    // C filled
    };
    for (const auto& r : rows)
        EXPECT_TRUE(Near(At(r.x, r.y), r.expected, 20)) << r.x << "," << r.y << " " << At(r.x, r.y);
    // Zoomed to 1.08 about a point near the centre: the photo now covers
    // x = 80, about 60 pixels into what was backdrop.
    SetManualTickCount(TickCount() + 20000);
    DrawFrame();
    EXPECT_TRUE(Near(At(80, 200), kRed, 20)) << At(80, 200);
    EXPECT_TRUE(Near(At(30, 200), darkRed, 20)) << At(30, 200);
}
