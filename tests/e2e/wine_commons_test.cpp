// The Win32 saver's Commons harvest under Wine: skyreel.scr runs with
// "/S --site <loopback> --photos commons" in a fresh prefix, so every
// request goes through WinInet to a real HTTP server on 127.0.0.1 that
// answers as the API and the media hosts do. The photos land in the
// prefix's My Pictures folder under their page ids, each with its credit
// inside, and every request names the saver with WinInet's agent.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "base/text.h"
#include "e2e/data_folder.h"
#include "harvest/commons_reply.h"
#include "photos/photo_credit.h"
#include "support/http_test_server.h"
#include "support/saver_process.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"
#include "support/wine_prefix.h"
#include "support/xvfb.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace commons_reply;

namespace {
constexpr auto kHarvestLimit = std::chrono::seconds(180);

TEST(WineCommons, HarvestThroughWinInetStoresCreditedPhotosByPageId) {
    XvfbServer xvfb(1280, 720);
    ASSERT_TRUE(xvfb.running());
    TempDir home;
    const fs::path prefix = home / ".wine";
    ASSERT_TRUE(MakeWinePrefix(SKYREEL_WINE_PREFIX_TOOL, prefix, xvfb.display()));
    const fs::path data = DataFolderIn(prefix);
    ASSERT_FALSE(data.empty()) << "no My Pictures folder in the prefix";

    WriteTestJpeg(home / "photo.jpg", 640, 427, {60, 120, 200}, {200, 180, 90}, true);
    const std::string jpeg = ReadFileBytes(home / "photo.jpg");
    // Three photos, one of them behind an address of over 600 characters,
    // and two entries the rules skip.
    json longName = GoodPage(81754323);
    const std::string name(300, 'n');
    Info(longName)["thumburl"] = "https://upload.wikimedia.org/wikipedia/commons/thumb/2/25/" +
                                 name + ".jpg/1920px-" + name + ".jpg";
    MetaOf(longName)["Artist"] = Meta(
        "<a href=\"//commons.wikimedia.org/wiki/User:Rama\">Rama"
        "</a> &amp; Mus&#233;e Bolo");
    json nonFree = GoodPage(5);
    MetaOf(nonFree)["NonFree"] = Meta("true");
    json png = GoodPage(6);
    Info(png)["mime"] = "image/png";
    HttpTestServer server;
    server.Serve("/w/api.php",
                 Reply({longName, GoodPage(17540984), GoodPage(9437797), nonFree, png}, false),
                 "application/json");
    server.Handle("/wikipedia/commons/thumb/.*",
                  [&jpeg](const httplib::Request&, httplib::Response& res) {
                      res.set_content(jpeg, "image/jpeg");
                  });

    SaverProcess saver(
        SKYREEL_BINARY, home.path(), xvfb.display(),
        {SKYREEL_WIN32_SCR, "/S", "--site", Utf16ToUtf8(server.BaseUrl()), "--photos", "commons"},
        home / "saver.log");
    ASSERT_TRUE(saver.started());
    const std::set<std::string> wanted = {"17540984.jpg", "81754323.jpg", "9437797.jpg"};
    const auto start = Clock::now();
    while (FilesEndingIn(data, ".jpg") != wanted && Clock::now() - start < kHarvestLimit) {
        ASSERT_TRUE(saver.Running()) << ReadFileBytes(home / "saver.log");
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    EXPECT_EQ(FilesEndingIn(data, ".jpg"), wanted);
    saver.Stop(SIGKILL, 0);
    const std::string waitServer = "WINEPREFIX='" + prefix.string() + "' wineserver -w";
    EXPECT_EQ(std::system(waitServer.c_str()), 0);

    EXPECT_TRUE(FilesEndingIn(data, ".tmp").empty());
    EXPECT_TRUE(fs::exists(data / "listing.json"));
    PhotoCredit credit;
    ASSERT_TRUE(ReadPhotoCreditFile(FromPath(data / "81754323.jpg").value(), credit));
    EXPECT_EQ(credit.author,
              "Rama & Mus\xC3\xA9"
              "e Bolo");
    EXPECT_EQ(credit.licence, "CC BY-SA 4.0");
    EXPECT_EQ(credit.page, "https://commons.wikimedia.org/w/index.php?curid=81754323");
    EXPECT_EQ(credit.title, "Plane 81754323");

    int wikimedia = 0;
    for (const auto& r : server.Requests()) {
        if (r.path != "/w/api.php" && !r.path.starts_with("/wikipedia/")) continue;
        ++wikimedia;
        const std::string agent = r.get_header_value("User-Agent");
        EXPECT_TRUE(agent.starts_with("Skyreel/1.0 (") && agent.ends_with(") WinInet")) << agent;
    }
    EXPECT_EQ(wikimedia, 4);  // one listing, three photos
}
}  // namespace
