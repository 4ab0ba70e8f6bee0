#include <algorithm>
#include <future>

#include "harvest_fixture.h"

namespace fs = std::filesystem;
using std::chrono::steady_clock;

TEST_F(HarvestTest, PageWithoutLinksOrWithOnlyCachedPhotosFetchesNothingAndDoesNotPause) {
    SetHarvestPauseStepMillis(200);  // any pause would cost 4 s
    auto start = steady_clock::now();
    HarvestPhotos("<html><body>no thumbnails here</body></html>");
    WriteFileBytes(folder / "a-1.jpg", "cached");
    WriteFileBytes(folder / "b-2.jpg", "cached");
    HarvestPhotos(Page({"a/1.jpg", "b/2.jpg"}).c_str());
    EXPECT_LT(MillisSince(start), 2000);
    EXPECT_EQ(PhotoRequests(), 0);
    EXPECT_EQ(NewPhotoCount.load(), 0);
    EXPECT_EQ(ReadFileBytes(folder / "a-1.jpg"), "cached");
}

TEST_F(HarvestTest, NestedTailBecomesAFlatNameAndJoinsThePhotoList) {
    HarvestPhotos(Page({"a/b/c.jpg"}).c_str());
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/aviation-photos/photos/a/b/c.jpg");
    EXPECT_EQ(ReadFileBytes(folder / "a-b-c.jpg"), "JPEG /aviation-photos/photos/a/b/c.jpg");
    EXPECT_EQ(Files(), std::vector<std::string>{"a-b-c.jpg"});
    EXPECT_EQ(NewPhotoCount.load(), 1);
    ASSERT_EQ(PhotoCount(), 1);
    PathText path;
    ASSERT_TRUE(PhotoPathAt(0, path));
    EXPECT_EQ(path.view(), FromPath(folder / "a-b-c.jpg").value());
}

TEST_F(HarvestTest, StoresAtMostTwentyPerPass) {
    std::vector<std::string> tails;
    for (int i = 0; i < 30; ++i) tails.push_back("p/" + std::to_string(i) + ".jpg");
    HarvestPhotos(Page(tails).c_str());
    EXPECT_EQ(NewPhotoCount.load(), 20);
    EXPECT_EQ(PhotoRequests(), 20);
    EXPECT_EQ(PhotoCount(), 20);
    EXPECT_TRUE(fs::exists(folder / "p-19.jpg"));
    EXPECT_FALSE(fs::exists(folder / "p-20.jpg"));
    // The next pass takes the remaining ten and skips the cached twenty.
    NewPhotoCount = 0;
    HarvestPhotos(Page(tails).c_str());
    EXPECT_EQ(NewPhotoCount.load(), 10);
    EXPECT_EQ(PhotoRequests(), 30);
}

TEST_F(HarvestTest, FailedDownloadsAndUnclosedLinksCostThePauseButCountNothing) {
    SetHarvestPauseStepMillis(10);  // 20 steps: at least 200 ms per pause
    auto start = steady_clock::now();
    HarvestPhotos(Page({"gone/x.jpg"}).c_str());
    EXPECT_GE(MillisSince(start), 200);
    EXPECT_EQ(NewPhotoCount.load(), 0);
    EXPECT_EQ(PhotoCount(), 0);
    EXPECT_TRUE(Files().empty());

    start = steady_clock::now();
    HarvestPhotos(("<img src=\"" + ThumbnailPrefix() + "open/end.jpg").c_str());
    EXPECT_GE(MillisSince(start), 200);
    EXPECT_EQ(PhotoRequests(), 1);
}

TEST_F(HarvestTest, StopRequestedEndsThePassDuringAPause) {
    SetHarvestPauseStepMillis(kHarvestPauseStepMillis);
    std::string page = Page({"first.jpg", "second.jpg"});
    auto pass = std::async(std::launch::async, [&] { HarvestPhotos(page.c_str()); });
    auto deadline = steady_clock::now() + std::chrono::seconds(5);
    while (!fs::exists(folder / "first.jpg") && steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(fs::exists(folder / "first.jpg"));
    auto raised = steady_clock::now();
    StopRequested = true;
    ASSERT_EQ(pass.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_LT(MillisSince(raised), 1000);  // about one 100 ms step; generous for sanitizers
    EXPECT_EQ(PhotoRequests(), 1);
    EXPECT_FALSE(fs::exists(folder / "second.jpg"));
}

// Tails come from outside. None of these may cause a request or a file, in
// the data folder or anywhere else, and none costs a pause.
TEST_F(HarvestTest, HostileTailsAreSkippedWithoutRequestOrPause) {
    const std::vector<std::string> hostile = {
        "../escape.jpg",
        "a/../../escape.jpg",
        "..jpg/x/..jpg",
        "a\\b.jpg",
        "c:/windows.jpg",
        "a b.jpg",
        "tab\t.jpg",
        "nl\n.jpg",
        "\xC3\xA9t\xC3\xA9.jpg",
        "q?x=1.jpg",
        "photo.png",
        "photo.jpg.exe",
        "",
        ".jpg/",
        ".jpg",  // no stem: a hidden file, not a photo
        std::string(300, 'l') + ".jpg",
    };
    SetHarvestPauseStepMillis(100);  // a single pause would cost 2 s
    auto start = steady_clock::now();
    HarvestPhotos(Page(hostile).c_str());
    EXPECT_LT(MillisSince(start), 1500);
    EXPECT_EQ(PhotoRequests(), 0);

    // A good link behind them, even behind a cut over-long tail, is still found.
    std::vector<std::string> tails = hostile;
    tails.push_back("fine/one.jpg");
    SetHarvestPauseStepMillis(1);
    HarvestPhotos(Page(tails).c_str());
    EXPECT_EQ(PhotoRequests(), 1);
    EXPECT_EQ(Files(), std::vector<std::string>{"fine-one.jpg"});
    EXPECT_FALSE(fs::exists(folder.path().parent_path() / "escape.jpg"));
}

TEST_F(HarvestTest, TailWhoseCachePathWouldBeTooLongIsSkipped) {
    // A deep data folder: the photo URL still fits, the cache path would not.
    fs::path deep = folder.path() / std::string(100, 'd') / std::string(100, 'e');
    fs::create_directories(deep);
    DataFolder.Assign(FromPath(deep).value());
    // The download's temporary name (+ ".tmp") must fit in 259 characters too.
    std::string tail = std::string(251 - DataFolder.size(), 'n') + ".jpg";  // path of 256
    std::string fits = std::string(250 - DataFolder.size(), 'n') + ".jpg";  // path of 255
    ASSERT_LT(PhotoPrefix().size() + tail.size(), 260u);
    HarvestPhotos(Page({tail, fits}).c_str());
    EXPECT_EQ(PhotoRequests(), 1);
    EXPECT_TRUE(fs::exists(deep / fits));
    EXPECT_FALSE(fs::exists(deep / tail));
}

TEST_F(HarvestTest, TheLinkScanEndsAtTheFirstLinkWithoutClosingQuote) {
    // No later link can close once one does not, so the scan stops there.
    const std::string prefix = ThumbnailPrefix();
    std::string page = "<img src=\"" + prefix + "a/1.jpg\"><img src=\"" + prefix + "open.jpg";
    for (int i = 0; i < 100; ++i) page += prefix + "b/" + std::to_string(i) + ".jpg";
    PhotoLinkScan scan(page);
    PhotoLink link;
    ASSERT_TRUE(NextPhotoLink(scan, link));
    EXPECT_TRUE(link.closed);
    EXPECT_TRUE(link.usable);
    EXPECT_EQ(link.url.view(), PhotoPrefix() + u"a/1.jpg");
    EXPECT_EQ(link.name, u"a-1.jpg");
    ASSERT_TRUE(NextPhotoLink(scan, link));
    EXPECT_FALSE(link.closed);
    EXPECT_FALSE(link.usable);
    EXPECT_FALSE(NextPhotoLink(scan, link));

    // A whole pass over it: one download, then one pause for the open link.
    HarvestPhotos(page.c_str());
    EXPECT_EQ(PhotoRequests(), 1);
    EXPECT_EQ(NewPhotoCount.load(), 1);
}

TEST_F(HarvestTest, RepeatedPrefixesBeforeOneFinalQuoteRequestNothing) {
    // The shape that made every link search the page to its end again.
    std::string page;
    for (int i = 0; i < 2000; ++i) page += ThumbnailPrefix();
    page += "x.jpg\"";
    PhotoLinkScan scan(page);
    PhotoLink link;
    int links = 0;
    while (NextPhotoLink(scan, link)) {
        EXPECT_TRUE(link.closed);
        EXPECT_FALSE(link.usable);  // every tail holds "http:" or runs past the URL's room
        ++links;
    }
    EXPECT_GT(links, 0);
    HarvestPhotos(page.c_str());
    EXPECT_EQ(PhotoRequests(), 0);
    EXPECT_TRUE(Files().empty());
}
