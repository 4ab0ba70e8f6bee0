// The Open-Meteo provider through the shared weather feed, against a real
// HTTP server on 127.0.0.1 that stands in for api.open-meteo.com.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "base/clock.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "net/endpoints.h"
#include "settings/settings.h"
#include "support/eventually.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"
#include "weather/open_meteo_replies.h"
#include "weather/weather_feed.h"

namespace {
using namespace open_meteo_replies;

constexpr int64_t kSecond = kFileTimeTicksPerSecond;
constexpr uint32_t kStartTick = 1000;
const std::string kForecastPath = "/v1/forecast";

class OpenMeteoFeedTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SetSiteOverride(server_.BaseUrl()));
        ChosenWeatherProvider = WeatherProvider::OpenMeteo;
        SetPlace(u"52.2183,6.8958", u"Enschede, Overijssel, The Netherlands", u'C');
        PublishWeatherReport(WeatherReport{});
        ResetWeatherRefreshGate();
        now_ = FileTimeNow();
        SetManualFileTime(now_);
        SetManualTickCount(kStartTick);
    }
    void TearDown() override {
        StopRequested = true;
        EXPECT_TRUE(WaitBackgroundThreads(10000));
        StopRequested = false;
        ResetClocks();
        PublishWeatherReport(WeatherReport{});
        ChosenWeatherProvider = WeatherProvider::Site;
        std::lock_guard<std::mutex> lock(SettingsLock);
        Settings.temp_unit = 0;
    }

    static void SetPlace(std::u16string_view code, std::u16string_view name, char16_t unit) {
        std::lock_guard<std::mutex> lock(SettingsLock);
        Settings.weather_loc_id.Assign(code);
        Settings.weather_loc.Assign(name);
        Settings.temp_unit = unit;
    }
    std::filesystem::path CacheFile() const { return folder_ / "open-meteo.json"; }
    void WriteCache(const std::string& reply, int64_t age) {
        WriteFileBytes(CacheFile(), reply);
        ASSERT_TRUE(SetFileLastWriteTime(CacheFile(), now_ - age));
    }
    // One check, and the weather thread it may start run to its end.
    void CheckAndWait() {
        WeatherCheck();
        ASSERT_TRUE(Eventually([] { return !WeatherThreadRunning(); }));
        ASSERT_TRUE(WaitBackgroundThreads(5000));
    }
    int Requests() const { return server_.RequestCount(kForecastPath); }
    httplib::Request LastRequest() const { return server_.Requests().back(); }

    TempDataFolder folder_;
    HttpTestServer server_;
    int64_t now_ = 0;
};

TEST_F(OpenMeteoFeedTest, ForecastStoredAsReceivedAndRead) {
    server_.Serve(kForecastPath, Forecast('C'), "application/json");
    CheckAndWait();
    ASSERT_EQ(Requests(), 1);
    const httplib::Request r = LastRequest();
    EXPECT_EQ(r.target,
              "/v1/forecast?latitude=52.2183&longitude=6.8958"
              "&current=temperature_2m,weather_code,is_day&hourly=weather_code,is_day"
              "&daily=weather_code,temperature_2m_max,temperature_2m_min,sunrise,sunset"
              "&timezone=auto&forecast_days=6");
    EXPECT_EQ(r.get_header_value("User-Agent").rfind("Skyreel/", 0), 0u);

    EXPECT_EQ(ReadFileBytes(CacheFile()), Forecast('C'));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "open-meteo.json.tmp"));
    WeatherReport report = CurrentWeatherReport();
    EXPECT_TRUE(report.FromOpenMeteo);
    EXPECT_EQ(report.LocationName, u"Enschede, Overijssel, The Netherlands");
    EXPECT_EQ(report.TempUnit, u'C');
    EXPECT_EQ(report.CurrentTemp, 18);
    EXPECT_EQ(report.Days[4].Date, u"Oct 7");

    // Fresh for 15 minutes: the next checks ask nothing.
    CheckAndWait();
    EXPECT_EQ(Requests(), 1);
}

TEST_F(OpenMeteoFeedTest, FahrenheitIsAskedForByTheUnit) {
    SetPlace(u"40.7143,-74.0060", u"New York, New York, United States", u'F');
    server_.Serve(kForecastPath, Forecast('F'), "application/json");
    CheckAndWait();
    ASSERT_EQ(Requests(), 1);
    EXPECT_EQ(LastRequest().get_param_value("temperature_unit"), "fahrenheit");
    EXPECT_EQ(LastRequest().get_param_value("longitude"), "-74.0060");
    EXPECT_EQ(CurrentWeatherReport().TempUnit, u'F');
    EXPECT_EQ(CurrentWeatherReport().CurrentTemp, 64);
}

TEST_F(OpenMeteoFeedTest, OldDefaultCodeIsSaintPetersburgAndForeignCodesNoPlace) {
    SetPlace(u"RSXX0091", u"Saint-Petersburg, Russia", u'C');
    server_.Serve(kForecastPath, Forecast('C'), "application/json");
    CheckAndWait();
    ASSERT_EQ(Requests(), 1);
    EXPECT_EQ(LastRequest().get_param_value("latitude"), "59.9386");
    EXPECT_EQ(LastRequest().get_param_value("longitude"), "30.3141");

    // Another provider's code names no place: nothing is asked, no panel shows.
    DiscardWeatherCache();
    ResetWeatherRefreshGate();
    SetPlace(u"USNY0996", u"New York, NY", u'C');
    CheckAndWait();
    EXPECT_EQ(Requests(), 1);
    EXPECT_FALSE(WeatherReportComplete(CurrentWeatherReport()));
}

TEST_F(OpenMeteoFeedTest, RefusalsKeepTheLastGoodCache) {
    struct Refusal {
        const char* name;
        int status;
        std::string body;
        const char* type;
    };
    const Refusal refusals[] = {
        {"429", 429, kRateLimited, "application/json"},
        {"400", 400, kBadRequest, "application/json"},
        {"503", 503, kOverloaded, "application/json"},
        {"502 page", 502, "<html><body><h1>502 Bad Gateway</h1></body></html>", "text/html"},
        {"200 page", 200, "<html><body>maintenance</body></html>", "text/html"},
        {"200 cut", 200, Forecast('C').substr(0, 900), "application/json"},
        {"200 without current", 200, R"({"latitude":52.2,"daily":{}})", "application/json"},
    };
    const std::string good = Forecast('C');
    // The server keeps its first handler for a path: it serves the refusal of the round.
    std::atomic<std::size_t> round{0};
    server_.Handle(kForecastPath, [&](const httplib::Request&, httplib::Response& res) {
        const Refusal& refusal = refusals[round.load()];
        res.status = refusal.status;
        res.set_content(refusal.body, refusal.type);
    });
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        round = static_cast<std::size_t>(&refusal - refusals);
        ResetWeatherRefreshGate();
        WriteCache(good, 3600 * kSecond);
        const int before = Requests();
        CheckAndWait();
        EXPECT_EQ(Requests(), before + 1);
        EXPECT_EQ(ReadFileBytes(CacheFile()), good);
        EXPECT_FALSE(std::filesystem::exists(folder_ / "open-meteo.json.tmp"));
        // The stale report stays on show; nothing else is invented.
        WeatherReport report = CurrentWeatherReport();
        EXPECT_EQ(report.LastUpdated, u"10/3/26 12:30 PM Local Time");
        EXPECT_EQ(report.CurrentTemp, 18);
        EXPECT_GT(WeatherBackoffSeconds(), 0);
    }
}

TEST_F(OpenMeteoFeedTest, OneRefreshPerQuarterHourAndTheBackOffBeyond) {
    std::atomic<bool> overloaded{true};
    server_.Handle(kForecastPath, [&](const httplib::Request&, httplib::Response& res) {
        if (overloaded) res.status = 503;
        res.set_content(overloaded ? std::string(kOverloaded) : Forecast('C'), "application/json");
    });
    CheckAndWait();
    ASSERT_EQ(Requests(), 1);
    EXPECT_EQ(WeatherBackoffSeconds(), 5);
    // However often the slideshow checks, not again within 15 minutes.
    for (uint32_t seconds : {1u, 60u, 899u}) {
        SetManualTickCount(kStartTick + seconds * 1000);
        CheckAndWait();
    }
    EXPECT_EQ(Requests(), 1);

    uint32_t tick = kStartTick;
    int32_t expected = 5;
    for (int failure = 2; failure <= 10; ++failure) {
        tick += static_cast<uint32_t>(std::max(900, WeatherBackoffSeconds())) * 1000;
        SetManualTickCount(tick - 1);
        CheckAndWait();
        EXPECT_EQ(Requests(), failure - 1);
        SetManualTickCount(tick);
        CheckAndWait();
        EXPECT_EQ(Requests(), failure);
        expected = std::min(expected * 2, 1800);
        EXPECT_EQ(WeatherBackoffSeconds(), expected);
    }
    EXPECT_EQ(WeatherBackoffSeconds(), 1800);

    // A reply that reads ends the back-off.
    overloaded = false;
    SetManualTickCount(tick + 1800 * 1000);
    CheckAndWait();
    EXPECT_EQ(WeatherBackoffSeconds(), 0);
    EXPECT_TRUE(WeatherReportComplete(CurrentWeatherReport()));
}

TEST_F(OpenMeteoFeedTest, RetryAfterLongerThanTheBackOffIsHonoured) {
    server_.Handle(kForecastPath, [](const httplib::Request&, httplib::Response& res) {
        res.status = 429;
        res.set_header("Retry-After", "1200");
        res.set_content(kRateLimited, "application/json");
    });
    CheckAndWait();
    EXPECT_EQ(WeatherBackoffSeconds(), 1200);
    SetManualTickCount(kStartTick + 1199 * 1000);
    CheckAndWait();
    EXPECT_EQ(Requests(), 1);
    SetManualTickCount(kStartTick + 1200 * 1000);
    CheckAndWait();
    EXPECT_EQ(Requests(), 2);
}

}  // namespace
