#include "harvest/gallery_refresh.h"

#include "base/process_state.h"
#include "base/saver_app.h"
#include "harvest_fixture.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

namespace {
constexpr int64_t kNow = kFileTimeUnixEpoch + 1'700'000'000LL * kFileTimeTicksPerSecond;

class RefreshTest : public HarvestTest {
  protected:
    void SetUp() override {
        HarvestTest::SetUp();
        Settings = SettingsRecord{};
        ApplyGalleryEntry(u"dloption", u"3");
        LastRefreshTime = 0;
        NewPhotosFlag = false;
        SetManualFileTime(kNow);
    }
    void TearDown() override {
        if (HarvestRunning()) server.OpenGate();
        WaitBackgroundThreads(10'000);
        ApplyGalleryEntry(u"dloption", u"0");
        HarvestTest::TearDown();
    }
    void PageAged(int64_t seconds) {
        WriteFileBytes(folder / "index.htm", "<html></html>");
        SetFileLastWriteTime(folder / "index.htm", kNow - seconds * kFileTimeTicksPerSecond);
    }
    // The gallery page of the chosen row (httplib routes by path, not query).
    void ServeGallery(const std::string& page) {
        server.Serve("/search/photo.search", page, "text/html");
    }
};
}  // namespace

TEST_F(RefreshTest, SavedPageAgeDecidesAgainstTheGalleryInterval) {
    ASSERT_EQ(SaverApp.RefreshSeconds, 21600);
    NoteSavedPage();  // no page yet: the time stays 0 and the first check is due
    EXPECT_EQ(LastRefreshTime.load(), 0);
    EXPECT_TRUE(RefreshDue());

    PageAged(21600);
    NoteSavedPage();
    EXPECT_EQ(LastRefreshTime.load(), kNow - 21600 * kFileTimeTicksPerSecond);
    EXPECT_FALSE(RefreshDue());
    PageAged(21601);
    NoteSavedPage();
    EXPECT_TRUE(RefreshDue());
    PageAged(-3600);  // clock set back: the page lies in the future
    NoteSavedPage();
    EXPECT_FALSE(RefreshDue());

    fs::remove(folder / "index.htm");
    NoteSavedPage();  // a vanished page keeps the last known time
    EXPECT_EQ(LastRefreshTime.load(), kNow + 3600 * kFileTimeTicksPerSecond);
}

TEST_F(RefreshTest, PassFetchesTheChosenGalleryAndRaisesTheFlagForNewPhotos) {
    std::string page = Page({"x/1.jpg", "x/2.jpg"});
    ServeGallery(page);
    RefreshGallery();
    auto requests = server.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].path, "/search/photo.search");
    EXPECT_EQ(requests[0].get_param_value("daterange"), "week");
    EXPECT_EQ(NewPhotoCount.load(), 2);
    EXPECT_TRUE(NewPhotosFlag.load());
    EXPECT_EQ(LastRefreshTime.load(), kNow);
    EXPECT_EQ(ReadFileBytes(folder / "index.htm"), page);  // kept for the next start
    EXPECT_TRUE(fs::exists(folder / "x-2.jpg"));

    // The same page again stores nothing and leaves a lowered flag down.
    NewPhotosFlag = false;
    SetManualFileTime(kNow + 1);
    RefreshGallery();
    EXPECT_EQ(NewPhotoCount.load(), 0);
    EXPECT_FALSE(NewPhotosFlag.load());
    EXPECT_EQ(LastRefreshTime.load(), kNow + 1);
}

TEST_F(RefreshTest, FailedPageStillMovesTheRefreshTime) {
    server.Status("/search/photo.search", 503);
    PageAged(99'999);
    NoteSavedPage();
    RefreshGallery();
    EXPECT_EQ(LastRefreshTime.load(), kNow);
    EXPECT_FALSE(RefreshDue());
    EXPECT_FALSE(NewPhotosFlag.load());
    EXPECT_EQ(ReadFileBytes(folder / "index.htm"), "<html></html>");  // failed before opening
}

TEST_F(RefreshTest, OneHarvestThreadAtATimeAndUpdateQueryFirst) {
    server.Hang("/screensavers/update.php");  // holds the thread in its first step
    ServeGallery(Page({"y/1.jpg"}));
    StartHarvest();
    EXPECT_TRUE(HarvestRunning());
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (server.RequestCount("/screensavers/update.php") == 0 &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    StartHarvest();
    StartHarvest();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(server.RequestCount("/screensavers/update.php"), 1);

    server.OpenGate();
    ASSERT_TRUE(WaitUntilIdle());
    auto requests = server.Requests();
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests[0].path, "/screensavers/update.php");
    EXPECT_EQ(requests[1].path, "/search/photo.search");
    EXPECT_TRUE(NewPhotosFlag.load());

    StartHarvest();  // ended, so a new one may start
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(server.RequestCount("/screensavers/update.php"), 2);
}

// A system out of threads leaves no running mark behind: the next trigger
// starts the harvest.
TEST_F(RefreshTest, AHarvestWithoutAThreadIsStartedAgainByTheNextTrigger) {
    ServeGallery(Page({"y/1.jpg"}));
    RefuseBackgroundThreadsForTests(true);
    StartHarvest();
    RefuseBackgroundThreadsForTests(false);
    EXPECT_FALSE(HarvestRunning());
    StartHarvest();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(server.RequestCount("/search/photo.search"), 1);
}
