#include "slideshow/viewports.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
ViewportRect At(const ViewportList& list, int i) {
    return list.items[i];
}
}  // namespace

TEST(Viewports, MonitorsBecomeWindowRelativeWithThePrimaryFirst) {
    // Two monitors side by side on one X screen, the primary on the right.
    std::vector<MonitorRect> x11 = {{{0, 0, 1280, 720}, false}, {{1280, 0, 1280, 720}, true}};
    ViewportList list = ViewportsOfMonitors(x11, {0, 0, 2560, 720});
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(At(list, 0), (ViewportRect{1280, 0, 1280, 720}));
    EXPECT_EQ(At(list, 1), (ViewportRect{0, 0, 1280, 720}));

    // A Win32 virtual screen with a monitor left of and above the primary.
    std::vector<MonitorRect> win32 = {{{0, 0, 1920, 1080}, true},
                                      {{-1024, -200, 1024, 768}, false}};
    list = ViewportsOfMonitors(win32, {-1024, -200, 2944, 1280});
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(At(list, 0), (ViewportRect{1024, 200, 1920, 1080}));
    EXPECT_EQ(At(list, 1), (ViewportRect{0, 0, 1024, 768}));

    // Without a primary flag the first listed one leads.
    std::vector<MonitorRect> plain = {{{0, 0, 800, 600}, false}, {{800, 0, 800, 600}, false}};
    list = ViewportsOfMonitors(plain, {0, 0, 1600, 600});
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(At(list, 0).x, 0);
}

TEST(Viewports, OverlapsAndMonitorsOutsideTheWindowAreLeftOut) {
    // Heads reported twice at the origin, a mirror of part of the primary,
    // one wholly outside and one half outside the window.
    std::vector<MonitorRect> monitors = {{{0, 0, 1024, 768}, false},
                                         {{0, 0, 1024, 768}, true},
                                         {{512, 0, 800, 600}, false},
                                         {{5000, 0, 800, 600}, false},
                                         {{1024, 500, 800, 600}, false}};
    ViewportList list = ViewportsOfMonitors(monitors, {0, 0, 1824, 768});
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(At(list, 0), (ViewportRect{0, 0, 1024, 768}));
    EXPECT_EQ(At(list, 1), (ViewportRect{1024, 500, 800, 268}));
    // Monitors that only touch do not overlap.
    std::vector<MonitorRect> touching = {
        {{0, 0, 10, 10}, true}, {{10, 0, 10, 10}, false}, {{0, 10, 20, 10}, false}};
    EXPECT_EQ(ViewportsOfMonitors(touching, {0, 0, 20, 20}).count, 3);
}

TEST(Viewports, NoMonitorMeansTheWholeWindowAndTheListHasABound) {
    ViewportList list = ViewportsOfMonitors({}, {100, 50, 640, 480});
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(At(list, 0), (ViewportRect{0, 0, 640, 480}));
    std::vector<MonitorRect> outside = {{{-900, 0, 800, 600}, true}};
    EXPECT_EQ(ViewportsOfMonitors(outside, {0, 0, 640, 480}).count, 1);
    EXPECT_EQ(ViewportsOfMonitors({}, {0, 0, 0, 0}).count, 0);

    std::vector<MonitorRect> many;
    for (int i = 0; i < kMaxViewports + 4; ++i) many.push_back({{i * 100, 0, 100, 100}, false});
    list = ViewportsOfMonitors(many, {0, 0, 100 * (kMaxViewports + 4), 100});
    ASSERT_EQ(list.count, kMaxViewports);
    EXPECT_EQ(At(list, kMaxViewports - 1).x, (kMaxViewports - 1) * 100);
}

TEST(Viewports, PhotosAreDecodedForTheWidestAndTheTallestMonitor) {
    std::vector<MonitorRect> monitors = {{{0, 0, 1920, 1080}, true},
                                         {{1920, 0, 1080, 1920}, false}};
    ViewportList list = ViewportsOfMonitors(monitors, {0, 0, 3000, 1920});
    int width = 0, height = 0;
    LargestViewportExtent(list, width, height);
    EXPECT_EQ(width, 1920);
    EXPECT_EQ(height, 1920);
    LargestViewportExtent(ViewportList{}, width, height);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}
