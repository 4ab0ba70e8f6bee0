// The Win32 preview under Wine: preview_host.exe (a stand-in for the
// screensaver host's preview box) makes a 400 x 300 parent window at
// (100, 80) and starts skyreel.scr with "/P <its HWND>". The saver's window
// becomes a child filling the parent, nothing is drawn outside the parent,
// and when the parent is destroyed the saver ends with exit code 0.
//
// What the child draws is not read back: Wine 8 keeps the GL window of a
// child whose parent belongs to another process offscreen (under a 1 x 1
// stand-in parent), so the screen shows the parent's own pixels there.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

#include "e2e/data_folder.h"
#include "e2e/screen_frames.h"
#include "support/test_photos.h"
#include "support/wine_prefix.h"
#include "support/xvfb.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
constexpr int kLeft = 100, kTop = 80, kWidth = 400, kHeight = 300;
constexpr int kEndMillis = 5000;
const Rgb kUpperHalf{220, 40, 40};
const Rgb kLowerHalf{40, 40, 220};

std::string RunCommand(const std::string& command) {
    std::string out;
    if (FILE* f = popen(command.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, f)) out += buf;
        pclose(f);
    }
    // The Win32 program's text-mode output ends its lines with "\r\n".
    std::erase(out, '\r');
    return out;
}

TEST(WinePreview, ChildFillsTheParentAndEndsWithIt) {
    XvfbServer xvfb(1024, 768);
    ASSERT_TRUE(xvfb.running());
    // Its destructor waits for the prefix's server, before the folder goes.
    SuiteWinePrefix suitePrefix(SKYREEL_WINE_PREFIX_TOOL);
    ASSERT_TRUE(suitePrefix.ok());
    const std::string& prefix = suitePrefix.path();
    const fs::path data = DataFolderIn(prefix);
    ASSERT_FALSE(data.empty());
    fs::remove_all(data);
    fs::create_directories(data);
    for (const char* name : {"11_1111111.jpg", "22_2222222.jpg", "33_3333333.jpg"})
        WriteTestJpeg(data / name, 640, 480, kUpperHalf, kLowerHalf);

    // Nothing listens on port 1: the harvest fails at once and the cache stays.
    const std::string command =
        "WINEPREFIX='" + prefix + "' DISPLAY=" + xvfb.display() +
        " WINEDEBUG=-all wine '" SKYREEL_PREVIEW_HOST "' 'Z:" + std::string(SKYREEL_WIN32_SCR) +
        "' http://127.0.0.1:1 2>/dev/null";
    auto host = std::async(std::launch::async, [&] { return RunCommand(command); });

    ScreenReader screen(xvfb.display());
    ASSERT_TRUE(screen.connected());
    bool inkOutside = false;
    while (host.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
        ScreenFrame f = screen.Read();
        if (f.rgb.empty()) continue;
        for (auto [x, y] : {std::pair{kLeft - 20, kTop + 10},
                            {kLeft + kWidth + 20, kTop + 10},
                            {kLeft + 10, kTop + kHeight + 20},
                            {800, 600}})
            if ((f.At(x, y) & 0xFFFFFF) != 0) inkOutside = true;
    }
    const std::string out = host.get();

    int width = 0, height = 0, code = -2, millis = -1;
    ASSERT_EQ(std::sscanf(out.c_str(), "child %d %d\nexit %d %d", &width, &height, &code, &millis),
              4)
        << out;
    EXPECT_EQ(width, kWidth);
    EXPECT_EQ(height, kHeight);
    EXPECT_FALSE(inkOutside);
    EXPECT_EQ(code, 0) << out;
    EXPECT_LE(millis, kEndMillis) << out;
}
}  // namespace
