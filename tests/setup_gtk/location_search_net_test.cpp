#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "base/text.h"
#include "net/endpoints.h"
#include "setup/location_dialog_logic.h"
#include "setup/location_search.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"
#include "weather/open_meteo_replies.h"
#include "weather/weather_feed.h"

namespace {
class LocationSearchNet : public ::testing::Test {
  protected:
    void SetUp() override {
        server.Handle(
            "/search/search", [this](const httplib::Request& req, httplib::Response& res) {
                std::string where = req.get_param_value("where");
                std::unique_lock<std::mutex> lock(mutex);
                if (where == "slow") {
                    slowArrived = true;
                    changed.notify_all();
                    changed.wait_for(lock, std::chrono::seconds(20), [this] { return released; });
                }
                if (where == "broken") res.status = 500;
                if (where != "nowhere")
                    res.set_content("<loc id=\"ID" + where + "\">" + where + "</loc>", "text/xml");
                else
                    res.set_content("<search/>", "text/xml");
            });
        ASSERT_TRUE(SetSiteOverride(server.BaseUrl()));
    }
    void TearDown() override {
        std::lock_guard<std::mutex> lock(mutex);
        released = true;
        changed.notify_all();
    }
    static PathText NewPath() {
        PathText p;
        EXPECT_TRUE(NextSearchDownloadPath(p));
        return p;
    }

    TempDataFolder dir;
    HttpTestServer server;
    std::mutex mutex;
    std::condition_variable changed;
    bool slowArrived = false;  // mutex
    bool released = false;     // mutex
};

TEST_F(LocationSearchNet, EachOutcomeLeavesNoDownloadBehind) {
    PathText path = NewPath();
    SearchOutcome found = RunLocationSearch(u"Oslo", path.view());
    EXPECT_EQ(found.kind, SearchOutcome::Places);
    EXPECT_EQ(found.lines, std::vector<std::u16string>{u"Oslo \u2014 IDOslo"});
    EXPECT_EQ(RunLocationSearch(u"nowhere", path.view()).kind, SearchOutcome::NothingFound);
    EXPECT_EQ(RunLocationSearch(u"broken", path.view()).kind, SearchOutcome::ConnectionFailed);
    // Too long once encoded: refused before any request.
    EXPECT_EQ(RunLocationSearch(std::u16string(98, u'\u0416'), path.view()).kind,
              SearchOutcome::ConnectionFailed);
    // Without a download file (data folder path too long) nothing is sent either.
    EXPECT_EQ(RunLocationSearch(u"Oslo", u"").kind, SearchOutcome::ConnectionFailed);
    EXPECT_EQ(server.RequestCount("/search/search"), 3);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(LocationSearchNet, ASecondSearchRunsBesideOneStillWaiting) {
    PathText slowPath = NewPath(), quickPath = NewPath();
    ASSERT_FALSE(slowPath == quickPath);
    SearchOutcome slow;
    std::thread first([&] { slow = RunLocationSearch(u"slow", slowPath.view()); });
    {
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(
            changed.wait_for(lock, std::chrono::seconds(10), [this] { return slowArrived; }));
    }
    SearchOutcome quick = RunLocationSearch(u"quick", quickPath.view());
    EXPECT_EQ(quick.lines, std::vector<std::u16string>{u"quick \u2014 IDquick"});
    {
        std::lock_guard<std::mutex> lock(mutex);
        released = true;
        changed.notify_all();
    }
    first.join();
    EXPECT_EQ(slow.lines, std::vector<std::u16string>{u"slow \u2014 IDslow"});
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}
}  // namespace

namespace {
// The place search of Open-Meteo's geocoding service, with its recorded answers.
class OpenMeteoSearchNet : public ::testing::Test {
  protected:
    void SetUp() override {
        ChosenWeatherProvider = WeatherProvider::OpenMeteo;
        server.Handle("/v1/search", [](const httplib::Request& req, httplib::Response& res) {
            const std::string name = req.get_param_value("name");
            if (name == "Enschede") {
                res.set_content(open_meteo_replies::kPlaces, "application/json");
            } else if (name == "nowhere") {
                res.set_content(open_meteo_replies::kNoPlaces, "application/json");
            } else if (name == "limited") {
                res.status = 429;
                res.set_content(open_meteo_replies::kRateLimited, "application/json");
            } else {
                res.status = 502;
                res.set_content("<html><body>Bad Gateway</body></html>", "text/html");
            }
        });
        ASSERT_TRUE(SetSiteOverride(server.BaseUrl()));
    }
    void TearDown() override { ChosenWeatherProvider = WeatherProvider::Site; }

    TempDataFolder dir;
    HttpTestServer server;
};

TEST_F(OpenMeteoSearchNet, PlacesNothingFoundAndRefusals) {
    PathText path;
    ASSERT_TRUE(NextSearchDownloadPath(path));
    SearchOutcome found = RunLocationSearch(u"Enschede", path.view());
    ASSERT_EQ(found.kind, SearchOutcome::Places);
    EXPECT_EQ(found.lines, (std::vector<std::u16string>{
                               u"Enschede, Overijssel, The Netherlands",
                               u"Enschede Airport Twente, Overijssel, The Netherlands"}));
    ASSERT_EQ(found.codes.size(), 2u);
    EXPECT_EQ(found.codes[0], u"52.2183,6.8958");
    const httplib::Request request = server.Requests().back();
    EXPECT_EQ(request.target, "/v1/search?name=Enschede&count=10&language=en&format=json");
    EXPECT_EQ(request.get_header_value("User-Agent").rfind("Skyreel/", 0), 0u);

    // Choosing the second place stores its listed text and its coordinates.
    LocationDialogState state;
    PressSearch(state, u"Enschede");
    SearchEnded(state, found);
    PendingLocationRecord pending;
    ASSERT_EQ(PressOk(state, state.view.lines[1], pending).end, LocationDialogEnd::Taken);
    EXPECT_EQ(pending.name, u"Enschede Airport Twente, Overijssel, The Netherlands");
    EXPECT_EQ(pending.id, u"52.2700,6.8742");

    EXPECT_EQ(RunLocationSearch(u"nowhere", path.view()).kind, SearchOutcome::NothingFound);
    EXPECT_EQ(RunLocationSearch(u"limited", path.view()).kind, SearchOutcome::ConnectionFailed);
    EXPECT_EQ(RunLocationSearch(u"gateway", path.view()).kind, SearchOutcome::ConnectionFailed);
    EXPECT_EQ(server.RequestCount("/v1/search"), 4);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}
}  // namespace
