// The Commons source against a real loopback server standing in for the
// API and the media hosts (--site reroutes both, paths kept): listings in
// both shapes with continuation, the skip rules, names, credits in the
// photo, the waits a busy server asks for, the back-off, one request at a
// time with the saver's own agent, and long addresses.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "base/event_log.h"
#include "base/platform.h"
#include "base/saver_app.h"
#include "commons_reply.h"
#include "harvest/gallery_refresh.h"
#include "harvest/photo_source_commons.h"
#include "harvest_fixture.h"
#include "net/http_fetcher.h"
#include "net/transport.h"
#include "photos/photo_credit.h"
#include "photos/photo_source.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"
#include "support/test_photos.h"

namespace fs = std::filesystem;
using namespace commons_reply;
using Steady = std::chrono::steady_clock;

namespace {
constexpr char kApi[] = "/w/api.php";
constexpr char kMedia[] = "/wikipedia/commons/thumb/.*";
// 2026-12-08 12:00 UTC
constexpr int64_t kNow = kFileTimeUnixEpoch + 1'796'731'200LL * kFileTimeTicksPerSecond;

class CommonsHarvest : public HarvestTest {
  protected:
    void SetUp() override {
        HarvestTest::SetUp();
        ChosenPhotoSource = PhotoSource::Commons;
        Settings = SettingsRecord{};
        Gallery(4);
        ResetHarvestBackoff();
        LastRefreshTime = 0;
        NewPhotosFlag = false;
        SetLargestMonitorExtent(1920);
        SetManualFileTime(kNow);
        // Thumbnails: JPEG bytes that name their path; those under "busy/"
        // are 503 without Retry-After, those under "html/" an HTML page.
        server.Handle(kMedia, [this](const httplib::Request& req, httplib::Response& res) {
            Note(req);
            if (req.path.find("/busy/") != std::string::npos)
                res.status = 503;
            else if (req.path.find("/html/") != std::string::npos)
                res.set_content("<html>oops</html>", "text/html");
            else
                res.set_content(std::string("\xFF\xD8\xFF\xE0", 4) + req.path + "\xFF\xD9",
                                "image/jpeg");
        });
    }
    void TearDown() override {
        WaitBackgroundThreads(20'000);
        ChosenPhotoSource = PhotoSource::Site;
        ApplyGalleryEntry(u"dloption", u"0");
        HarvestTest::TearDown();
    }
    static void Gallery(int row) {
        ApplyGalleryEntry(u"dloption", AsciiToUtf16(std::to_string(row)));
    }

    // Every request passes here: how many overlap, and when each came.
    void Note(const httplib::Request& req) {
        int now = ++inFlight;
        int seen = mostInFlight.load();
        while (now > seen && !mostInFlight.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        {
            std::lock_guard<std::mutex> lock(timesLock);
            times.emplace_back(req.path, Steady::now());
        }
        --inFlight;
    }
    // The API answers `reply(request, call number)`, through Note.
    template <class Reply>
    void Api(Reply reply) {
        server.Handle(kApi, [this, reply](const httplib::Request& req, httplib::Response& res) {
            Note(req);
            reply(req, res, apiCalls++);
        });
    }
    std::vector<httplib::Request> ApiRequests() const {
        std::vector<httplib::Request> api;
        for (const auto& r : server.Requests())
            if (r.path == kApi) api.push_back(r);
        return api;
    }
    int MediaRequests() const {
        int n = 0;
        for (const auto& r : server.Requests())
            if (r.path.starts_with("/wikipedia/")) ++n;
        return n;
    }
    // Seconds between the arrivals of requests `a` and `b` (in arrival order).
    double Gap(std::size_t a, std::size_t b) {
        std::lock_guard<std::mutex> lock(timesLock);
        return std::chrono::duration<double>(times.at(b).second - times.at(a).second).count();
    }
    bool WaitUntilIdle() {
        auto end = Steady::now() + std::chrono::seconds(20);
        while (HarvestRunning() && Steady::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return !HarvestRunning();
    }

    std::atomic<int> apiCalls{0};
    std::atomic<int> inFlight{0};
    std::atomic<int> mostInFlight{0};
    std::mutex timesLock;
    std::vector<std::pair<std::string, Steady::time_point>> times;  // timesLock
};
}  // namespace

TEST_F(CommonsHarvest, BothShapesAndTheContinuationGivePhotosNamedByPageId) {
    const json next = {{"gcmcontinue", "file|4142|123"}, {"continue", "gcmcontinue||"}};
    Api([next](const httplib::Request& req, httplib::Response& res, int) {
        if (!req.has_param("gcmcontinue"))
            res.set_content(Reply({GoodPage(11), GoodPage(12)}, false, next), "application/json");
        else if (req.get_param_value("gcmcontinue") == "file|4142|123" &&
                 req.get_param_value("continue") == "gcmcontinue||")
            res.set_content(Reply({GoodPage(13)}, true), "application/json");
        else
            res.set_content(R"({"error":{"code":"badcontinue"}})", "application/json");
    });
    RefreshGallery();
    EXPECT_EQ(Files(), (std::vector<std::string>{"11.jpg", "12.jpg", "13.jpg", "listing.json"}));
    EXPECT_EQ(NewPhotoCount.load(), 3);
    EXPECT_EQ(PhotoCount(), 3);
    EXPECT_TRUE(NewPhotosFlag.load());
    EXPECT_EQ(HarvestBackoffSeconds(), 0);
    EXPECT_EQ(ReadFileBytes(folder / "13.jpg").substr(0, 2), "\xFF\xD8");

    auto api = ApiRequests();
    ASSERT_EQ(api.size(), 2u);
    EXPECT_TRUE(api[0].target.starts_with(
        "/w/api.php?action=query&format=json&formatversion=2&maxlag=5"
        "&generator=categorymembers&gcmtitle=Category%3AFeatured_pictures_of_aircraft"
        "&gcmnamespace=6&gcmsort=timestamp&gcmdir=older&gcmlimit=50&prop=imageinfo"
        "&iiprop=url%7Csize%7Cmime%7Cextmetadata"))
        << api[0].target;
    EXPECT_EQ(api[0].get_param_value("iiurlwidth"), "1920");
    EXPECT_EQ(server.RequestCount("/wikipedia/commons/thumb/2/25/Plane_12.jpg/1920px-Plane_12.jpg"),
              1);

    // Listed again, nothing is new: no download, and the back-off starts.
    NewPhotosFlag = false;
    RefreshGallery();
    EXPECT_EQ(MediaRequests(), 3);
    EXPECT_FALSE(NewPhotosFlag.load());
    EXPECT_EQ(HarvestBackoffSeconds(), kBackoffFirstSeconds);
    NoteSavedPage();  // the kept listing dates the refresh for the next start
    int64_t written = 0;
    ASSERT_TRUE(FileLastWriteTime(folder / "listing.json", written));
    EXPECT_EQ(LastRefreshTime.load(), written);
}

TEST_F(CommonsHarvest, SkippedEntriesAreNeverAskedForAndCachedOnesNotAgain) {
    WriteFileBytes(folder / "201.jpg", "cached");
    std::vector<json> pages;
    json nonFree = GoodPage(101);
    MetaOf(nonFree)["NonFree"] = Meta("true");
    json png = GoodPage(102);
    Info(png)["mime"] = "image/png";
    json foreign = GoodPage(103);
    Info(foreign)["thumburl"] = Utf16ToUtf8(HttpTestServer::RefusedUrl("/wikipedia/x.jpg"));
    json climbs = GoodPage(104);
    Info(climbs)["thumburl"] = "https://upload.wikimedia.org/wikipedia/commons/thumb/../../x.jpg";
    json negative = GoodPage(-3);
    json moved = GoodPage(200, "https://thumb.wikimedia.org");  // the new thumbnail host
    Api([&](const httplib::Request&, httplib::Response& res, int) {
        res.set_content(
            Reply({nonFree, png, foreign, climbs, negative, moved, GoodPage(201), moved}, true),
            "application/json");
    });
    RefreshGallery();
    EXPECT_EQ(Files(), (std::vector<std::string>{"200.jpg", "201.jpg", "listing.json"}));
    EXPECT_EQ(MediaRequests(), 1);
    EXPECT_EQ(ReadFileBytes(folder / "201.jpg"), "cached");
}

TEST_F(CommonsHarvest, CreditTravelsInsideThePhotoIsPrintedAndGoesWithIt) {
    json page = GoodPage(300);
    MetaOf(page)["Attribution"] = Meta("Photo by <i>PtrQs</i> &amp; friends");
    json notJpeg = GoodPage(301);  // an HTML error page with status 200
    Info(notJpeg)["thumburl"] = "https://upload.wikimedia.org/wikipedia/commons/thumb/html/x.jpg";
    Api([&](const httplib::Request&, httplib::Response& res, int) {
        res.set_content(Reply({page, notJpeg}, false), "application/json");
    });
    WriteTestJpeg(folder / "old.jpg", 8, 8, {1, 2, 3}, {4, 5, 6});  // no credit: not printed
    EventLogEnabled = true;
    testing::internal::CaptureStderr();
    RefreshGallery();
    EventLogEnabled = false;
    EXPECT_NE(testing::internal::GetCapturedStderr().find("photo 301.jpg not stored: not a JPEG"),
              std::string::npos);
    EXPECT_EQ(Files(), (std::vector<std::string>{"300.jpg", "listing.json", "old.jpg"}));

    PhotoCredit credit;
    ASSERT_TRUE(ReadPhotoCreditFile(FromPath(folder / "300.jpg").value(), credit));
    EXPECT_EQ(credit.author, "Photo by PtrQs & friends");
    EXPECT_EQ(PhotoCreditLines(),
              "300.jpg\tPhoto by PtrQs & friends\tCC BY-SA 4.0\t"
              "https://commons.wikimedia.org/w/index.php?curid=300\tPlane 300\n");
    // The listing shows what the cache scan shows: any letter case, no link.
    fs::copy_file(folder / "300.jpg", folder / "301.JPG");
    fs::create_symlink(folder / "300.jpg", folder / "302.jpg");
    EXPECT_EQ(PhotoCreditLines().substr(0, 12), "300.jpg\tPhot");
    EXPECT_NE(PhotoCreditLines().find("\n301.JPG\tPhoto by"), std::string::npos);
    EXPECT_EQ(PhotoCreditLines().find("302.jpg"), std::string::npos);
    fs::remove(folder / "301.JPG");
    fs::remove(folder / "302.jpg");

    // The oldest photo leaves the cache with its credit.
    SetFileLastWriteTime(folder / "300.jpg", kNow - kFileTimeTicksPerSecond * 100);
    ScanCache();
    RemoveOldestPhoto();
    EXPECT_FALSE(fs::exists(folder / "300.jpg"));
    EXPECT_EQ(PhotoCreditLines(), "");
}

TEST_F(CommonsHarvest, MaxlagTooManyRequestsAndUnavailableAreWaitedOut) {
    Api([](const httplib::Request&, httplib::Response& res, int call) {
        if (call == 0) {
            res.set_header("Retry-After", "1");
            res.set_content(R"({"error":{"code":"maxlag","info":"Waiting for db: 7 s lagged"}})",
                            "application/json");
        } else if (call == 1) {
            res.status = 429;
            res.set_header("Retry-After", "1");
            res.set_content("slow down", "text/plain");
        } else {
            json busy = GoodPage(402);  // the higher id comes first
            Info(busy)["thumburl"] =
                "https://upload.wikimedia.org/wikipedia/commons/thumb/busy/1.jpg";
            res.set_content(Reply({busy, GoodPage(401)}, true), "application/json");
        }
    });
    // The busy photo's 503 names no Retry-After: the next download waits
    // the shortest hold.
    RefreshGallery();
    ASSERT_EQ(apiCalls.load(), 3);
    EXPECT_GE(Gap(0, 1), 0.95);
    EXPECT_GE(Gap(1, 2), 0.95);
    // Arrivals: three calls, the busy photo, then the next photo after the hold.
    EXPECT_EQ(Files(), (std::vector<std::string>{"401.jpg", "listing.json"}));
    EXPECT_GE(Gap(3, 4), kCommonsHoldShortestSeconds - 0.05);
}

TEST_F(CommonsHarvest, BackoffGrowsToItsLongestAndAStoredPhotoEndsIt) {
    std::atomic<bool> healthy{false};
    Api([&](const httplib::Request&, httplib::Response& res, int) {
        if (healthy)
            res.set_content(Reply({GoodPage(apiCalls.load() + 1000)}, true), "application/json");
        else
            res.status = 500;
    });
    uint32_t tick = 1'000'000;
    std::vector<int32_t> seen;
    for (int pass = 0; pass < 11; ++pass) {
        SetManualTickCount(tick);
        StartHarvest();
        ASSERT_TRUE(WaitUntilIdle());
        const int32_t backoff = HarvestBackoffSeconds();
        seen.push_back(backoff);
        // Held until the back-off has passed, then let go.
        SetManualTickCount(tick + static_cast<uint32_t>(backoff) * 1000 - 1);
        StartHarvest();
        EXPECT_FALSE(HarvestRunning());
        tick += static_cast<uint32_t>(backoff) * 1000;
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{5, 10, 20, 40, 80, 160, 320, 640, 1280, 1800, 1800}));
    EXPECT_EQ(apiCalls.load(), 11);
    healthy = true;
    SetManualTickCount(tick);
    StartHarvest();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(HarvestBackoffSeconds(), 0);
    EXPECT_TRUE(NewPhotosFlag.load());
}

TEST_F(CommonsHarvest, OfflineStartFindsASiteThatComesUpTenSecondsLaterWithinAMinute) {
    Api([](const httplib::Request&, httplib::Response& res, int) {
        res.set_content(Reply({GoodPage(77)}, true), "application/json");
    });
    ASSERT_TRUE(SetSiteOverride(HttpTestServer::RefusedUrl("")));
    int foundAt = -1;
    // The slideshow's periodic check, every 5 s, while too few photos show.
    for (int second = 0; second <= 60 && foundAt < 0; second += 5) {
        if (second >= 10) {
            ASSERT_TRUE(SetSiteOverride(server.BaseUrl()));
        }
        SetManualTickCount(static_cast<uint32_t>(second) * 1000 + 1);
        StartHarvest();
        ASSERT_TRUE(WaitUntilIdle());
        if (fs::exists(folder / "77.jpg")) foundAt = second;
    }
    EXPECT_GE(foundAt, 10);
    EXPECT_LE(foundAt, 60);
}

TEST_F(CommonsHarvest, OneRequestAtATimeEachWithTheSaversOwnAgent) {
    const json next = {{"gcmcontinue", "2"}, {"continue", "gcmcontinue||"}};
    Api([next](const httplib::Request& req, httplib::Response& res, int) {
        if (req.has_param("gcmcontinue"))
            res.set_content(Reply({GoodPage(3), GoodPage(4)}, false), "application/json");
        else
            res.set_content(Reply({GoodPage(1), GoodPage(2)}, true, next), "application/json");
    });
    server.Serve("/screensavers/update.php", "<appver>1.0</appver>", "text/xml");
    StartHarvest();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(NewPhotoCount.load(), 4);
    EXPECT_EQ(mostInFlight.load(), 1);
    for (const auto& r : server.Requests()) {
        const std::string agent = r.get_header_value("User-Agent");
        if (r.path == "/screensavers/update.php") {
            EXPECT_EQ(agent, kTransportUserAgent);  // the saver's own services keep theirs
            continue;
        }
        EXPECT_TRUE(agent.starts_with(Utf16ToUtf8(DescriptiveAgentPrefix()) + " libcurl/"))
            << r.path << ": " << agent;
    }
    EXPECT_EQ(server.Requests().size(), 7u);  // update, two listings, four photos
}

TEST_F(CommonsHarvest, AddressesPast259CharactersWorkAndPast2048AreRefused) {
    const std::string longName(600, 'L');
    json longPage = GoodPage(500);
    Info(longPage)["thumburl"] = "https://upload.wikimedia.org/wikipedia/commons/thumb/a/ab/" +
                                 longName + ".jpg/1920px-" + longName + ".jpg";
    json tooLong = GoodPage(501);
    const std::string hugeName(1100, 'H');
    Info(tooLong)["thumburl"] = "https://upload.wikimedia.org/wikipedia/commons/thumb/a/ab/" +
                                hugeName + ".jpg/1920px-" + hugeName + ".jpg";
    Api([&](const httplib::Request&, httplib::Response& res, int) {
        res.set_content(Reply({longPage, tooLong}, true), "application/json");
    });
    RefreshGallery();
    EXPECT_EQ(Files(), (std::vector<std::string>{"500.jpg", "listing.json"}));
    EXPECT_EQ(MediaRequests(), 1);
    // The saver's own services keep their 259-character limit.
    EXPECT_FALSE(FetchToFile(server.Url("/" + longName), FromPath(folder / "x").value()));
}

TEST_F(CommonsHarvest, WindowsEndOnADayAndWidenWhileTooFewAreNew) {
    Gallery(1);
    Api([](const httplib::Request&, httplib::Response& res, int call) {
        res.set_content(Reply({GoodPage(600 + call)}, true), "application/json");
    });
    RefreshGallery();
    auto api = ApiRequests();
    std::vector<std::string> ends;
    for (const auto& r : api) ends.push_back(r.get_param_value("gcmend"));
    EXPECT_EQ(ends, (std::vector<std::string>{"2026-06-08T00:00:00Z", "2025-12-07T00:00:00Z",
                                              "2024-12-06T00:00:00Z", "2022-12-05T00:00:00Z",
                                              "2018-12-02T00:00:00Z", "2010-11-26T00:00:00Z"}));
    EXPECT_EQ(NewPhotoCount.load(), kCommonsCallsPerPass);
}

TEST_F(CommonsHarvest, RandomPickStartsAtALetterAndARepeatedContinuationEndsThePass) {
    Gallery(0);
    Api([](const httplib::Request& req, httplib::Response& res, int) {
        if (req.has_param("gcmstartsortkeyprefix"))
            res.set_content(Reply({GoodPage(700)}, true), "application/json");
        else  // a server that hands out the same continuation again and again
            res.set_content(Reply({GoodPage(701)}, true, json{{"gcmcontinue", "same"}}),
                            "application/json");
    });
    RefreshGallery();
    auto api = ApiRequests();
    ASSERT_EQ(api.size(), 3u);
    const std::string letter = api[0].get_param_value("gcmstartsortkeyprefix");
    ASSERT_EQ(letter.size(), 1u);
    EXPECT_TRUE(letter[0] >= 'A' && letter[0] <= 'Z');
    EXPECT_EQ(api[0].get_param_value("gcmsort"), "sortkey");
    EXPECT_FALSE(api[1].has_param("gcmstartsortkeyprefix"));  // from the start once
    EXPECT_EQ(api[2].get_param_value("gcmcontinue"), "same");
    EXPECT_EQ(Files(), (std::vector<std::string>{"700.jpg", "701.jpg", "listing.json"}));
}
