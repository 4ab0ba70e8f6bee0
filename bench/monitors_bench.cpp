// The fade frame over two monitors against one, in the same run on the
// same server: Xorg with the dummy driver and two 1920 x 1080 monitors side
// by side (3840 x 1080), Mesa. The saver draws each slot once per monitor,
// so two monitors should cost about twice the frame of one; the one-monitor
// frame is the same window with a single viewport on the left monitor.
// Frames are timed without the frame pause, from DrawFrame to the end of
// the swap, over whole 51-frame cross-fades of two 4000 x 3000 photos.
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "base/process_state.h"
#include "host/command_line.h"
#include "host/run_mode.h"
#include "host/saver_host.h"
#include "host/saver_window.h"
#include "host/triggers.h"
#include "net/endpoints.h"
#include "settings/settings.h"
#include "slideshow/gl_slideshow_ops.h"
#include "slideshow/slideshow.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"
#include "support/xorg_dummy.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kMonitorWidth = 1920;
constexpr int kMonitorHeight = 1080;
constexpr int kRuns = 3;

void NoPause(int) {}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The median frame of one cross-fade drawn into `viewports`.
double FadeFrameMillis(const ViewportList& viewports) {
    SetSlideshowViewports(viewports);
    SlideState = Fading;
    FadeLevel = 0;
    IntroFade = false;
    std::vector<double> frames;
    while (SlideState == Fading) {
        auto t = Clock::now();
        DrawFrame();
        PresentFrame();
        glFinish();
        frames.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t).count());
    }
    return Median(frames);
}
}  // namespace

int main() {
    XorgDummyServer server(
        {{0, 0, kMonitorWidth, kMonitorHeight}, {kMonitorWidth, 0, kMonitorWidth, kMonitorHeight}});
    if (!server.running()) {
        std::fprintf(stderr, "the dummy X server did not start:\n%s", server.log().c_str());
        return 1;
    }
    TempDataFolder dir;
    WriteTestJpeg(dir / "a.jpg", 4000, 3000, {60, 160, 90}, {200, 200, 40}, true);
    WriteTestJpeg(dir / "b.jpg", 4000, 3000, {200, 120, 60}, {40, 90, 200}, true);
    SetSiteOverride(u"http://127.0.0.1:9");  // background work goes nowhere
    Settings.show_weather = 0;
    Settings.show_newver = 0;
    RunMode = Saver;
    if (!CreateSaverWindow(HostOptions{})) {
        std::fprintf(stderr, "no saver window\n");
        return 1;
    }
    SlideshowOps ops = kGlSlideshowOps;
    ops.pause = NoPause;
    AttachSlideshow(ops, kTriggerHooks);
    UpdateSlideshow();  // Start: loads both photos
    const ViewportList two = SlideshowViewports();
    if (two.count != 2) {
        std::fprintf(stderr, "the saver found %d monitors, not 2\n", two.count);
        return 1;
    }
    ViewportList one;
    one.items[one.count++] = two.items[0];

    std::vector<double> ratios;
    for (int run = 0; run < kRuns; ++run) {
        const double single = FadeFrameMillis(one);
        const double both = FadeFrameMillis(two);
        std::printf("run %d: fade frame one monitor %.2f ms, two monitors %.2f ms\n", run + 1,
                    single, both);
        ratios.push_back(both / single);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("%-48s ratio min %5.2f  median %5.2f  max %5.2f  (goal <= 2.2)\n",
                "fade frame two monitors / one monitor", ratios.front(), ratios[kRuns / 2],
                ratios.back());
    DestroySaverWindow();
    return 0;
}
