#include "weather/weather_feed.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "base/clock.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "net/endpoints.h"
#include "settings/settings.h"
#include "support/eventually.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"
#include "weather/feed_text.h"
#include "weather/weather_scanner.h"

namespace {

constexpr int64_t kSecond = kFileTimeTicksPerSecond;
const std::string kFeedPath = "/weather/local/RSXX0091";

void SetLocationId(std::u16string_view id) {
    std::lock_guard<std::mutex> lock(SettingsLock);
    Settings.weather_loc_id.Assign(id);
}

class WeatherFeedTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SetSiteOverride(server_.BaseUrl()));
        SetLocationId(u"RSXX0091");
        PublishWeatherReport(WeatherReport{});
        now_ = FileTimeNow();
        SetManualFileTime(now_);
    }
    void TearDown() override {
        StopRequested = true;
        server_.OpenGate();
        EXPECT_TRUE(WaitBackgroundThreads(10000));
        StopRequested = false;
        ResetClocks();
        PublishWeatherReport(WeatherReport{});
    }

    std::filesystem::path CacheFile() const { return folder_ / "weather.xml"; }
    // A cache file with `feed`, last written `age` file-time units before now.
    void WriteCache(const std::string& feed, int64_t age) {
        WriteFileBytes(CacheFile(), feed);
        ASSERT_TRUE(SetFileLastWriteTime(CacheFile(), now_ - age));
    }
    void WaitForWeatherThread() {
        ASSERT_TRUE(Eventually([] { return !WeatherThreadRunning(); }));
        ASSERT_TRUE(WaitBackgroundThreads(5000));
    }
    std::u16string Name() const { return CurrentWeatherReport().LocationName.str(); }

    TempDataFolder folder_;
    HttpTestServer server_;
    int64_t now_ = 0;
};

TEST_F(WeatherFeedTest, FreshnessEndsAtFifteenMinutes) {
    WriteCache(FeedText(), 899 * kSecond);
    WeatherCheck();
    EXPECT_EQ(Name(), u"Saint-Petersburg, Russia");
    EXPECT_FALSE(WeatherThreadRunning());

    // At 14:59 a complete report is neither reloaded nor refreshed.
    WriteCache(Replaced(FeedText(), "Saint-Petersburg", "Pskov"), 899 * kSecond);
    server_.Serve(kFeedPath, Replaced(FeedText(), "Saint-Petersburg", "Novgorod"));
    WeatherCheck();
    EXPECT_EQ(Name(), u"Saint-Petersburg, Russia");
    EXPECT_FALSE(WeatherThreadRunning());
    EXPECT_EQ(server_.RequestCount(kFeedPath), 0);

    // At 15:00 the file is reloaded, found stale, and a download starts.
    SetManualFileTime(now_ + kSecond);
    WeatherCheck();
    WaitForWeatherThread();
    EXPECT_EQ(server_.RequestCount(kFeedPath), 1);
    EXPECT_EQ(Name(), u"Novgorod, Russia");
    EXPECT_EQ(ReadFileBytes(CacheFile()), Replaced(FeedText(), "Saint-Petersburg", "Novgorod"));
}

TEST_F(WeatherFeedTest, FileTimeInTheFutureIsFresh) {
    WriteCache(FeedText(), -3600 * kSecond);
    server_.Serve(kFeedPath, FeedText());
    EXPECT_TRUE(LoadWeatherCache());
    WeatherCheck();
    EXPECT_FALSE(WeatherThreadRunning());
    EXPECT_EQ(server_.RequestCount(kFeedPath), 0);
    EXPECT_EQ(CurrentWeatherReport().FileTime, now_ + 3600 * kSecond);
}

TEST_F(WeatherFeedTest, StaleFileWithTheNetworkDownKeepsItsData) {
    ASSERT_TRUE(SetSiteOverride(HttpTestServer::RefusedUrl()));
    WriteCache(FeedText(), 3600 * kSecond);
    for (int check = 0; check < 3; ++check) {
        WeatherCheck();
        WeatherReport r = CurrentWeatherReport();
        EXPECT_EQ(r.LocationName, u"Saint-Petersburg, Russia");
        EXPECT_EQ(r.LastUpdated, u"12/8/26 8:00 AM MSK");
        WaitForWeatherThread();
        // The refused download leaves the old file as it was.
        EXPECT_EQ(ReadFileBytes(CacheFile()), FeedText());
        EXPECT_EQ(CurrentWeatherReport().LocationName, u"Saint-Petersburg, Russia");
    }
    EXPECT_FALSE(FetchWeather());
}

TEST_F(WeatherFeedTest, OneDownloadAtATimeAndAgainOnceItEnded) {
    server_.Hang(kFeedPath, FeedText());
    WeatherCheck();
    ASSERT_TRUE(Eventually([&] { return server_.RequestCount(kFeedPath) == 1; }));
    WeatherCheck();
    WeatherCheck();
    EXPECT_TRUE(WeatherThreadRunning());
    server_.OpenGate();
    WaitForWeatherThread();
    EXPECT_EQ(server_.RequestCount(kFeedPath), 1);
    EXPECT_EQ(Name(), u"Saint-Petersburg, Russia");

    // Complete and fresh now: the next check leaves the network alone.
    WeatherCheck();
    WaitForWeatherThread();
    EXPECT_EQ(server_.RequestCount(kFeedPath), 1);
}

// A system out of threads leaves no running mark behind: the next check
// fetches the feed.
TEST_F(WeatherFeedTest, ACheckWithoutAThreadIsRepeatedByTheNextCheck) {
    server_.Serve(kFeedPath, FeedText());
    RefuseBackgroundThreadsForTests(true);
    WeatherCheck();
    RefuseBackgroundThreadsForTests(false);
    EXPECT_FALSE(WeatherThreadRunning());
    WeatherCheck();
    WaitForWeatherThread();
    EXPECT_EQ(server_.RequestCount(kFeedPath), 1);
    EXPECT_EQ(Name(), u"Saint-Petersburg, Russia");
}

TEST_F(WeatherFeedTest, FeedWithoutLastUpdateIsFetchedAtEveryCheck) {
    const std::string noLsup = FeedText(5, "");
    WriteCache(noLsup, 0);
    server_.Serve(kFeedPath, noLsup);
    EXPECT_FALSE(LoadWeatherCache());
    EXPECT_EQ(Name(), u"Saint-Petersburg, Russia");
    for (int check = 1; check <= 2; ++check) {
        WeatherCheck();
        WaitForWeatherThread();
        EXPECT_EQ(server_.RequestCount(kFeedPath), check);
    }
    EXPECT_FALSE(FetchWeather());
}

TEST_F(WeatherFeedTest, DiscardedCacheIsFetchedAtTheFirstCheck) {
    WriteCache(FeedText(), 0);
    EXPECT_TRUE(LoadWeatherCache());
    DiscardWeatherCache();
    EXPECT_FALSE(std::filesystem::exists(CacheFile()));
    EXPECT_EQ(ReportText(CurrentWeatherReport()), ReportText(WeatherReport{}));
    DiscardWeatherCache();  // nothing left to delete

    EXPECT_FALSE(LoadWeatherCache());
    EXPECT_EQ(CurrentWeatherReport().FileTime, 0);
    server_.Serve(kFeedPath, FeedText());
    WeatherCheck();
    WaitForWeatherThread();
    EXPECT_EQ(server_.RequestCount(kFeedPath), 1);
    EXPECT_EQ(ReadFileBytes(CacheFile()), FeedText());
    EXPECT_EQ(Name(), u"Saint-Petersburg, Russia");
}

TEST_F(WeatherFeedTest, RequestCarriesTheLocationAndTheAccount) {
    SetLocationId(u"ab-C_9");
    server_.Serve("/weather/local/ab-C_9", FeedText());
    // The download is on the real clock's "now": fresh.
    ResetClocks();
    EXPECT_TRUE(FetchWeather());
    auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const httplib::Request& req = requests[0];
    EXPECT_EQ(req.path, "/weather/local/ab-C_9");
    EXPECT_EQ(req.get_param_value("cc"), "*");
    EXPECT_EQ(req.get_param_value("prod"), "xoap");
    EXPECT_EQ(req.get_param_value("par"), "4827163905");
    EXPECT_EQ(req.get_param_value("key"), "b7e2049a1c5d38f6");
    EXPECT_EQ(req.get_param_value("dayf"), "5");
    EXPECT_EQ(req.get_param_value("unit"), "m");
}

TEST_F(WeatherFeedTest, InjectedLocationIdsNeverReachTheServer) {
    server_.Serve("/.*", FeedText());
    for (std::u16string_view id : {u"", u"RSXX0091&key=x", u"../../admin", u"RS XX", u"RS?x=1",
                                   u"RS#frag", u"R\u00e9SXX", u"RS%2F"}) {
        SetLocationId(id);
        EXPECT_FALSE(FetchWeather());
        WeatherCheck();
        WaitForWeatherThread();
    }
    EXPECT_TRUE(server_.Requests().empty());
    EXPECT_FALSE(std::filesystem::exists(CacheFile()));
}

TEST_F(WeatherFeedTest, AbandonedDownloadLeavesNoFileAndNoHalfReport) {
    const std::string feed = FeedText();
    WriteCache(Replaced(feed, "Saint-Petersburg", "Pskov"), 3600 * kSecond);
    ASSERT_FALSE(LoadWeatherCache());
    const std::string before = ReportText(CurrentWeatherReport());

    // The first half holds a whole location and current conditions.
    server_.Staged(kFeedPath, feed.substr(0, feed.size() / 2), feed.substr(feed.size() / 2));
    WeatherCheck();
    ASSERT_TRUE(
        Eventually([&] { return ReadFileBytes(CacheFile()) == feed.substr(0, feed.size() / 2); }));
    // A load while the file is being rewritten publishes nothing.
    EXPECT_FALSE(LoadWeatherCache());
    WeatherCheck();
    EXPECT_EQ(ReportText(CurrentWeatherReport()), before);

    StopRequested = true;
    WaitForWeatherThread();
    EXPECT_FALSE(std::filesystem::exists(CacheFile()));
    EXPECT_EQ(ReportText(CurrentWeatherReport()), before);
}

TEST_F(WeatherFeedTest, ReadersNeverSeeAPartlyFilledReport) {
    // The old feed and a large new one; padding between the elements makes
    // each load take a while, so a reader would catch a load half done.
    const std::string padding = "<!-- " + std::string(200000, '.') + " -->\n";
    std::string oldFeed =
        Replaced(Replaced(FeedText(), "Saint-Petersburg", "Pskov"), "<day ", padding + "<day ");
    std::string newFeed =
        Replaced(Replaced(FeedText(), "Light Snow", "Fog"), "<day ", padding + "<day ");
    newFeed = Replaced(newFeed, "<hi>", "<hi>1");
    WriteCache(oldFeed, 3600 * kSecond);
    server_.Serve(kFeedPath, newFeed);

    WeatherReport oldReport, newReport;
    {
        WeatherScanner scanner;
        FeedWeatherBytes(scanner, oldReport, oldFeed);
    }
    {
        WeatherScanner scanner;
        FeedWeatherBytes(scanner, newReport, newFeed);
    }
    // File times differ between loads; the contents must be whole.
    auto contents = [](WeatherReport r) {
        r.FileTime = 0;
        return ReportText(r);
    };
    const std::set<std::string> allowed = {contents(WeatherReport{}), contents(oldReport),
                                           contents(newReport)};

    std::atomic<bool> done{false};
    std::atomic<int> partial{0};
    std::atomic<int> sawNew{0};
    std::thread reader([&] {
        while (!done.load()) {
            std::string seen = contents(CurrentWeatherReport());
            if (!allowed.count(seen)) ++partial;
            if (seen == contents(newReport)) ++sawNew;
        }
    });
    // The slideshow goes on checking while the weather thread works.
    WeatherCheck();
    for (int i = 0; i < 200 && WeatherThreadRunning(); ++i) {
        WeatherCheck();
        SleepMillis(5);
    }
    WaitForWeatherThread();
    EXPECT_TRUE(Eventually([&] { return sawNew.load() > 0; }));
    done = true;
    reader.join();
    EXPECT_EQ(partial.load(), 0);
    EXPECT_EQ(contents(CurrentWeatherReport()), contents(newReport));
}

}  // namespace
