// The Win32 saver under Wine at 100, 150 and 200 % (LogPixels 96, 144 and
// 192): per-monitor DPI aware through its manifest, it covers the whole
// 1600 x 900 screen, and the caption's text is as many pixels high at every
// scale, a 56th of the screen: drawn at the screen's pixels, neither scaled
// by the DPI a second time nor drawn for a smaller, stretched screen.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "e2e/data_folder.h"
#include "e2e/saver_process.h"
#include "e2e/screen_frames.h"
#include "photos/photo_credit.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"
#include "support/wine_prefix.h"
#include "support/xvfb.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
constexpr int kWidth = 1600;
constexpr int kHeight = 900;
constexpr auto kShowLimit = std::chrono::seconds(90);
const Rgb kGreen{30, 200, 60};

int Luma(uint32_t c) {
    return static_cast<int>((((c >> 16) & 0xFF) * 3 + ((c >> 8) & 0xFF) * 6 + (c & 0xFF)) / 10);
}

// The white text of the caption in the screen's bottom right quarter.
struct TextSpan {
    int top = -1, bottom = -1, right = -1;
};
TextSpan CaptionText(const ScreenFrame& f) {
    TextSpan t;
    for (int y = f.height / 2; y < f.height; ++y)
        for (int x = f.width / 2; x < f.width; ++x)
            if (Luma(f.At(x, y)) > 220) {
                if (t.top < 0) t.top = y;
                t.bottom = y;
                t.right = std::max(t.right, x);
            }
    return t;
}

}  // namespace

TEST(WineDpi, TheCaptionIsDrawnAtTheScreensPixelsAtEveryScale) {
    XvfbServer xvfb(kWidth, kHeight);
    ASSERT_TRUE(xvfb.running());
    TempDir home;
    const fs::path prefix = home / ".wine";
    ASSERT_TRUE(MakeWinePrefix(SKYREEL_WINE_PREFIX_TOOL, prefix, xvfb.display()));
    const fs::path data = DataFolderIn(prefix);
    ASSERT_FALSE(data.empty()) << "no My Pictures folder in the prefix";
    fs::create_directories(data);
    WriteTestJpeg(data / "1.jpg", kWidth, kHeight, kGreen, kGreen);
    std::string photo = ReadFileBytes(data / "1.jpg");
    ASSERT_TRUE(EmbedPhotoCredit(photo, {"PtrQs", "CC BY-SA 4.0", "", "Airbus A380 at dusk"}));
    WriteFileBytes(data / "1.jpg", photo);

    const std::string env =
        "WINEPREFIX='" + prefix.string() + "' DISPLAY='" + xvfb.display() + "' WINEDEBUG=-all ";
    int heightAt96 = 0;
    for (int dpi : {96, 144, 192}) {
        SCOPED_TRACE(dpi);
        const char* loader = std::getenv("WINELOADER");
        const std::string set = env + (loader ? loader : "wine") +
                                " reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD"
                                " /d " +
                                std::to_string(dpi) + " /f >/dev/null && " + env + "wineserver -w";
        ASSERT_EQ(std::system(set.c_str()), 0);
        // Nothing listens on port 1: the harvest fails at once and the cache stays.
        SaverProcess saver(SKYREEL_BINARY, home.path(), xvfb.display(),
                           {SKYREEL_WIN32_SCR, "/S", "--site", "http://127.0.0.1:1"},
                           home / "saver.log");
        ASSERT_TRUE(saver.started());
        ScreenReader screen(xvfb.display());
        ASSERT_TRUE(screen.connected());
        ScreenFrame frame, last;
        const auto start = Clock::now();
        while (Clock::now() - start < kShowLimit) {
            ASSERT_TRUE(saver.Running()) << ReadFileBytes(home / "saver.log");
            frame = screen.Read();
            if (!frame.rgb.empty() && frame == last && CaptionText(frame).top >= 0) break;
            last = frame;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        const TextSpan text = CaptionText(frame);
        ASSERT_GE(text.top, 0) << "no caption";
        // Two lines of text a 56th of the screen high each, in its corner.
        const int height = text.bottom - text.top;
        if (dpi == 96) heightAt96 = height;
        EXPECT_NEAR(height, 2 * kHeight / 56, kHeight / 112);
        EXPECT_NEAR(height, heightAt96, 2);
        EXPECT_GT(std::min(text.right - kWidth, text.bottom - kHeight), -3 * kHeight / 56);
        saver.Stop(SIGKILL, 0);
        ASSERT_EQ(std::system((env + "wineserver -k; " + env + "wineserver -w").c_str()), 0);
    }
}
