// The Win32 saver under Wine over two monitors of unequal size, on a
// private Xorg with the dummy driver whose RandR outputs Wine reports as
// two monitors: each monitor shows the photo fitted to itself with black
// around it, nothing crosses the seam, and a mouse move on the second
// monitor ends the saver.
#include <gtest/gtest.h>
// X11 after gtest: its macros (None, Bool) collide with gtest's names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "e2e/data_folder.h"
#include "e2e/screen_frames.h"
#include "support/saver_process.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"
#include "support/wine_prefix.h"
#include "support/xorg_dummy.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
// A, the primary, 1280 x 720; B, 1024 x 768, right of it.
const std::vector<MonitorLayout> kMonitors = {{0, 0, 1280, 720}, {1280, 0, 1024, 768}};
constexpr auto kShowLimit = std::chrono::seconds(90);
constexpr int kEndMillis = 10000;
const Rgb kBlack{0, 0, 0};
const Rgb kRed{220, 30, 30};
const Rgb kBlue{30, 30, 220};

Rgb Pixel(const ScreenFrame& f, int x, int y) {
    const uint32_t c = f.At(x, y);
    return {static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
            static_cast<int>(c & 0xFF)};
}

// Moves the pointer to (x, y) of the screen as a real mouse would.
bool MovePointer(const std::string& display, int x, int y) {
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return false;
    bool ok = XTestFakeMotionEvent(d, -1, x, y, CurrentTime) != 0;
    XSync(d, False);
    XCloseDisplay(d);
    return ok;
}
}  // namespace

TEST(WineMonitors, EachMonitorShowsThePhotoFittedAndAMoveOnAnyEndsTheSaver) {
    XorgDummyServer server(kMonitors);
    ASSERT_TRUE(server.running()) << server.log();
    const std::string display = std::getenv("DISPLAY");
    ASSERT_TRUE(MovePointer(display, 640, 360));
    TempDir home;
    const fs::path prefix = home / ".wine";
    ASSERT_TRUE(MakeWinePrefix(SKYREEL_WINE_PREFIX_TOOL, prefix, display));
    const fs::path data = DataFolderIn(prefix);
    ASSERT_FALSE(data.empty()) << "no My Pictures folder in the prefix";
    fs::create_directories(data);
    for (const char* name : {"11_1111111.jpg", "22_2222222.jpg"})
        WriteTestJpeg(data / name, 1024, 683, kRed, kBlue);

    // Nothing listens on port 1: the harvest fails at once and the cache stays.
    SaverProcess saver(SKYREEL_BINARY, home.path(), display,
                       {SKYREEL_WIN32_SCR, "/S", "--site", "http://127.0.0.1:1"},
                       home / "saver.log");
    ASSERT_TRUE(saver.started());
    ScreenReader screen(display);
    ASSERT_TRUE(screen.connected());
    // The intro fade is over once two frames in a row agree and A's middle is red.
    ScreenFrame frame, last;
    const auto start = Clock::now();
    while (Clock::now() - start < kShowLimit) {
        ASSERT_TRUE(saver.Running()) << ReadFileBytes(home / "saver.log");
        frame = screen.Read();
        if (!frame.rgb.empty() && frame == last && Near(Pixel(frame, 640, 300), kRed, 8)) break;
        last = frame;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    ASSERT_EQ(frame.width, 2304);
    ASSERT_TRUE(Near(Pixel(frame, 640, 300), kRed, 8)) << Pixel(frame, 640, 300);
    auto expect = [&](int x, int y, Rgb want, int tolerance) {
        EXPECT_TRUE(Near(Pixel(frame, x, y), want, tolerance))
            << "at " << x << "," << y << ": " << Pixel(frame, x, y);
    };
    // A: fills its height, about 1079.5 wide from x = 100.2; black below it.
    expect(98, 300, kBlack, 2);
    expect(103, 300, kRed, 8);
    expect(1177, 500, kBlue, 8);
    expect(1182, 300, kBlack, 2);
    expect(640, 740, kBlack, 2);
    // B: fills its width from the seam, 683 high from y = 42.5.
    expect(1279, 300, kBlack, 2);
    expect(1281, 300, kRed, 8);
    expect(2302, 600, kBlue, 8);
    expect(1792, 40, kBlack, 2);
    expect(1792, 45, kRed, 8);
    expect(1792, 723, kBlue, 8);
    expect(1792, 728, kBlack, 2);

    ASSERT_TRUE(MovePointer(display, 1800, 400));
    const auto moved = Clock::now();
    while (saver.Running() && Clock::now() - moved < std::chrono::milliseconds(kEndMillis))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_FALSE(saver.Running()) << "a move on the second monitor did not end the saver";
    EXPECT_EQ(saver.Stop(SIGKILL, 0).exitCode, 0) << ReadFileBytes(home / "saver.log");
    const std::string waitServer = "WINEPREFIX='" + prefix.string() + "' wineserver -w";
    EXPECT_EQ(std::system(waitServer.c_str()), 0);
}
