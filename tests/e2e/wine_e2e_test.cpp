// The Win32 saver end to end under Wine: skyreel.scr (i686) runs with /S on
// its own Xvfb, in a fresh Wine prefix inside a fresh HOME, against the real
// demo site. It harvests the cache into the prefix's My Pictures folder,
// learns the new version, caches the weather, shows a photo, both panels
// and the notice in order (read back from the screen), and a key press
// ends it with exit code 0. A second run shows a folder of the user's own
// given as a Windows path, harvests nothing and leaves the folder as it was.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "demo/demo_site_process.h"
#include "e2e/data_folder.h"
#include "e2e/key_press.h"
#include "e2e/screen_frames.h"
#include "overlay/resource_images.h"
#include "support/folder_snapshot.h"
#include "support/http_test_server.h"
#include "support/saver_process.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"
#include "support/wine_prefix.h"
#include "support/xvfb.h"
#include "update/version_notice_layout.h"
#include "weather/weather_feed.h"
#include "weather/weather_scanner.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 720;
constexpr int kCachedPhotos = 20;
// About 40 s of harvest, a restart, then 20 slides of 500 ms and their
// fades, which Wine's software GL draws more slowly than the Linux build.
constexpr auto kRunLimit = std::chrono::seconds(300);
constexpr int kKeyEndMillis = 10000;

TEST(WineEndToEnd, SaverHarvestsShowsPanelsAndNoticeAndEndsOnAKey) {
    XvfbServer xvfb(kScreenWidth, kScreenHeight);
    ASSERT_TRUE(xvfb.running());
    TempDir home;
    const fs::path prefix = home / ".wine";
    ASSERT_TRUE(MakeWinePrefix(SKYREEL_WINE_PREFIX_TOOL, prefix, xvfb.display()));
    const fs::path data = DataFolderIn(prefix);
    ASSERT_FALSE(data.empty()) << "no My Pictures folder in the prefix";

    DemoSiteProcess site;
    ASSERT_GT(site.port(), 0) << site.firstLine();
    SaverProcess saver(SKYREEL_BINARY, home.path(), xvfb.display(),
                       {SKYREEL_WIN32_SCR, "/S", "--site", site.url(), "--slide-ms", "500"},
                       home / "saver.log");
    ASSERT_TRUE(saver.started());

    const Picture* sign = GetResourceImage(kWarningSignId);
    ASSERT_NE(sign, nullptr);
    ScreenReader screen(xvfb.display());
    ASSERT_TRUE(screen.connected());
    const std::vector<SlideKind> wanted = {SlideKind::Photo, SlideKind::CurrentPanel,
                                           SlideKind::ForecastPanel, SlideKind::Notice};
    std::vector<SlideKind> seen;
    WeatherReport report;
    ScreenFrame last;
    auto sawAll = [&] {
        return std::search(seen.begin(), seen.end(), wanted.begin(), wanted.end()) != seen.end();
    };
    // A frame counts only when it equals the one read before, so a
    // cross-fade in progress is not classified.
    // The slides may come round before the harvest has stored its last
    // photo: wait for both.
    auto done = [&] {
        return sawAll() && FilesEndingIn(data, ".jpg").size() >= size_t(kCachedPhotos);
    };
    const auto start = Clock::now();
    while (Clock::now() - start < kRunLimit && !done()) {
        ASSERT_TRUE(saver.Running()) << "the saver ended early:\n"
                                     << ReadFileBytes(home / "saver.log");
        ScreenFrame frame = screen.Read();
        if (!frame.rgb.empty() && frame == last) {
            if (!WeatherReportComplete(report)) report = CachedWeather(data);
            SlideKind kind = ClassifyFrame(frame, report, sign->width, sign->height);
            if (kind != SlideKind::Unclear && kind != SlideKind::Black &&
                (seen.empty() || seen.back() != kind))
                seen.push_back(kind);
        }
        last = std::move(frame);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(sawAll()) << "slides seen: " << Describe(seen);

    // 20 photos in the prefix's My Pictures folder, no partial download.
    std::set<std::string> photos = FilesEndingIn(data, ".jpg");
    EXPECT_EQ(photos.size(), size_t(kCachedPhotos));
    for (const std::string& name : photos) EXPECT_GT(fs::file_size(data / name), 1000u) << name;
    EXPECT_TRUE(FilesEndingIn(data, ".tmp").empty());
    EXPECT_TRUE(fs::exists(data / "index.htm"));

    // settings.cfg is UTF-16LE with the version of the update reply.
    std::string settingsBytes = ReadFileBytes(data / "settings.cfg");
    ASSERT_FALSE(settingsBytes.empty());
    EXPECT_EQ(settingsBytes.size() % 2, 0u);
    EXPECT_EQ(settingsBytes.substr(0, 4), std::string("d\0l\0", 4));
    std::u16string settings = FromUtf16Le(settingsBytes);
    EXPECT_EQ(SettingValue(settings, u"newver"), u"1.1") << Utf16ToUtf8(settings);
    EXPECT_EQ(SettingValue(settings, u"guid").size(), 32u) << Utf16ToUtf8(settings);

    WeatherReport weather = CachedWeather(data);
    EXPECT_TRUE(WeatherReportComplete(weather)) << ReadFileBytes(data / "weather.xml");

    // A key ends the saver, and with exit code 0.
    ASSERT_TRUE(saver.Running()) << ReadFileBytes(home / "saver.log");
    ASSERT_TRUE(PressKey(xvfb.display()));
    const auto pressed = Clock::now();
    while (saver.Running() && Clock::now() - pressed < std::chrono::milliseconds(kKeyEndMillis))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_FALSE(saver.Running()) << "a key press did not end the saver";
    EXPECT_EQ(saver.Stop(SIGKILL, 0).exitCode, 0) << ReadFileBytes(home / "saver.log");
    // The prefix's server writes its registry when it ends; let it, before
    // the folder goes.
    const std::string waitServer = "WINEPREFIX='" + prefix.string() + "' wineserver -w";
    EXPECT_EQ(std::system(waitServer.c_str()), 0);
}

// More photos than the cache limit, so that trimming them would show.
TEST(WineEndToEnd, AFolderOfTheUsersIsShownAndLeftAsItWas) {
    XvfbServer xvfb(kScreenWidth, kScreenHeight);
    ASSERT_TRUE(xvfb.running());
    TempDir home, user;
    const fs::path prefix = home / ".wine";
    ASSERT_TRUE(MakeWinePrefix(SKYREEL_WINE_PREFIX_TOOL, prefix, xvfb.display()));
    const Rgb colour{200, 40, 160};
    WriteTestJpeg(user / "first.jpg", 320, 240, colour, colour);
    const std::string jpeg = ReadFileBytes(user / "first.jpg");
    for (int i = 0; i < 150; ++i) {
        const fs::path folder = user / ("roll" + std::to_string(i % 3));
        fs::create_directories(folder);
        WriteFileBytes(folder / ("IMG_" + std::to_string(i) + (i % 2 ? ".JPG" : ".jpeg")), jpeg);
    }
    WriteFileBytes(user / "corrupt.jpg", "\xFF\xD8 broken");
    const FolderSnapshot before = SnapshotFolder(user.path());
    // Wine's drive Z: is the Linux root.
    std::string windowsPath = "Z:" + user.path().string();
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');

    HttpTestServer server;
    SaverProcess saver(SKYREEL_BINARY, home.path(), xvfb.display(),
                       {SKYREEL_WIN32_SCR, "/S", "--site", Utf16ToUtf8(server.BaseUrl()),
                        "--slide-ms", "500", "--folder", windowsPath},
                       home / "folder.log");
    ASSERT_TRUE(saver.started());
    ScreenReader screen(xvfb.display());
    ASSERT_TRUE(screen.connected());
    int photoFrames = 0;
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::seconds(25)) {
        ASSERT_TRUE(saver.Running()) << ReadFileBytes(home / "folder.log");
        ScreenFrame frame = screen.Read();
        if (!frame.rgb.empty()) {
            const uint32_t c = frame.At(kScreenWidth / 2, kScreenHeight / 2);
            if (Near({int(c >> 16), int((c >> 8) & 0xFF), int(c & 0xFF)}, colour, 12))
                ++photoFrames;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(PressKey(xvfb.display()));
    const auto pressed = Clock::now();
    while (saver.Running() && Clock::now() - pressed < std::chrono::milliseconds(kKeyEndMillis))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_FALSE(saver.Running()) << "a key press did not end the saver";
    EXPECT_EQ(saver.Stop(SIGKILL, 0).exitCode, 0) << ReadFileBytes(home / "folder.log");
    EXPECT_GT(photoFrames, 10);

    EXPECT_EQ(SnapshotDifference(before, SnapshotFolder(user.path())), "");
    for (const auto& r : server.Requests()) {
        EXPECT_EQ(r.path.find("/search/"), std::string::npos) << r.path;
        EXPECT_EQ(r.path.find("/aviation-photos/"), std::string::npos) << r.path;
    }
    const fs::path data = DataFolderIn(prefix);
    ASSERT_FALSE(data.empty()) << "no My Pictures folder in the prefix";
    EXPECT_TRUE(FilesEndingIn(data, ".jpg").empty());
    const std::string waitServer = "WINEPREFIX='" + prefix.string() + "' wineserver -w";
    EXPECT_EQ(std::system(waitServer.c_str()), 0);
}
}  // namespace
