#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "base/process_state.h"
#include "base/text.h"
#include "net/endpoints.h"
#include "setup_fixture.h"
#include "support/comma_locale.h"
#include "support/http_test_server.h"
#include "weather/open_meteo.h"
#include "weather/weather_feed.h"

namespace {
const std::string kTwoPlaces =
    "<?xml version=\"1.0\"?><search ver=\"3.0\">"
    "<loc id=\"USNY0996\" type=\"1\">New York, NY</loc>"
    "<loc id=\"UKXX0085\" type=\"1\">London, United Kingdom</loc></search>";
const char kFirstLine[] = "New York, NY \u2014 USNY0996";
const char kSecondLine[] = "London, United Kingdom \u2014 UKXX0085";
// A place name of 99 characters, the longest the saver keeps.
const std::string kLongName = "Llanfair" + std::string(84, 'y') + ", Wales";

// The weather service's search: answers by the "where" text. The answer to
// "slow" waits until the test releases it.
class SearchService {
  public:
    SearchService() {
        server.Handle(
            "/search/search", [this](const httplib::Request& req, httplib::Response& res) {
                std::string where = req.get_param_value("where");
                std::unique_lock<std::mutex> lock(mutex_);
                queries_.push_back(where);
                if (where == "slow") {
                    slowArrived_ = true;
                    changed_.notify_all();
                    changed_.wait_for(lock, std::chrono::seconds(20), [this] { return released_; });
                }
                if (where == "long") {
                    res.set_content("<loc id=\"UKXX9999\">" + kLongName + "</loc>", "text/xml");
                } else if (where == "nowhere") {
                    res.set_content("<search ver=\"3.0\"></search>", "text/xml");
                } else if (where == "broken") {
                    res.status = 500;
                } else {
                    res.set_content(kTwoPlaces, "text/xml");
                }
            });
        EXPECT_TRUE(SetSiteOverride(server.BaseUrl()));
    }
    ~SearchService() { Release(); }

    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    bool WaitForSlow() {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return slowArrived_; });
    }
    std::vector<std::string> Queries() {
        std::lock_guard<std::mutex> lock(mutex_);
        return queries_;
    }

    HttpTestServer server;

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool released_ = false;             // mutex_
    bool slowArrived_ = false;          // mutex_
    std::vector<std::string> queries_;  // mutex_
};

class LocationDialogTest : public SetupDialogTest {
  protected:
    void SetUp() override {
        SetupDialogTest::SetUp();
        Open();
    }
    void TakeNewYork();
    // Presses "Change" and returns the location dialog.
    GtkWindow* Change() {
        gtk_button_clicked(GTK_BUTTON(Find("change_location")));
        PumpEvents();
        return FindWindow(kLocationTitle);
    }
    static GtkWidget* In(GtkWindow* dialog, const char* id) {
        return FindById(GTK_WIDGET(dialog), id);
    }
    // Types `text` and presses Search.
    static void Search(GtkWindow* dialog, const char* text) {
        gtk_entry_set_text(GTK_ENTRY(In(dialog, "search_text")), text);
        gtk_button_clicked(GTK_BUTTON(In(dialog, "search")));
    }
    static bool SearchEnded(GtkWindow* dialog) {
        return PumpUntil([&] { return gtk_widget_get_sensitive(In(dialog, "search")); });
    }
    std::string LocationLabel() const {
        return gtk_label_get_text(GTK_LABEL(Find("location_name")));
    }
    // The location dialog has closed with this place taken.
    void ExpectPlaceTaken(const char16_t* name, const char16_t* id) const {
        EXPECT_EQ(FindWindow(kLocationTitle), nullptr);
        EXPECT_EQ(PendingLocation.name.view(), name);
        EXPECT_EQ(PendingLocation.id.view(), id);
        EXPECT_EQ(LocationLabel(), Utf16ToUtf8(name));
    }
    // The location dialog has closed without taking a place.
    void ExpectNothingTaken() const {
        EXPECT_EQ(FindWindow(kLocationTitle), nullptr);
        EXPECT_TRUE(PendingLocation.name.empty());
        EXPECT_EQ(LocationLabel(), "Saint-Petersburg, Russia");
    }
    bool NoDownloadLeft() const {
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            if (entry.path().filename().string().rfind("weather_search", 0) == 0) return false;
        return true;
    }

    SearchService service;
};

TEST_F(LocationDialogTest, SearchShowsTheWaitingLineThenThePlaces) {
    GtkWindow* dialog = Change();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(gtk_widget_get_sensitive(In(dialog, "ok")));
    g_object_unref(SaveScreenshot(dialog, "location_dialog.png"));

    Search(dialog, "  slow");
    EXPECT_EQ(ListLines(In(dialog, "places")),
              std::vector<std::string>{"Searching, please wait..."});
    EXPECT_FALSE(gtk_widget_get_sensitive(In(dialog, "search")));
    EXPECT_FALSE(gtk_widget_get_sensitive(In(dialog, "ok")));
    ASSERT_TRUE(service.WaitForSlow());
    service.Release();
    ASSERT_TRUE(SearchEnded(dialog));

    EXPECT_EQ(ListLines(In(dialog, "places")), (std::vector<std::string>{kFirstLine, kSecondLine}));
    EXPECT_EQ(SelectedLine(In(dialog, "places")), kFirstLine);
    EXPECT_TRUE(gtk_widget_get_sensitive(In(dialog, "ok")));
    g_object_unref(SaveScreenshot(dialog, "location_dialog_places.png"));
    // Leading blanks are not sent.
    EXPECT_EQ(service.Queries(), std::vector<std::string>{"slow"});
    EXPECT_TRUE(NoDownloadLeft());

    gtk_button_clicked(GTK_BUTTON(In(dialog, "ok")));
    PumpEvents();
    ExpectPlaceTaken(u"New York, NY", u"USNY0996");
}

TEST_F(LocationDialogTest, ALongPlaceKeepsTheTemplatesWidthAndIsTakenWhole) {
    ASSERT_EQ(kLongName.size(), 99u);
    GtkWindow* dialog = Change();
    ASSERT_NE(dialog, nullptr);
    PumpEvents();
    EXPECT_EQ(WindowWidth(dialog), 348);
    Search(dialog, "long");
    ASSERT_TRUE(SearchEnded(dialog));
    PumpEvents();
    ASSERT_EQ(ListLines(In(dialog, "places")),
              std::vector<std::string>{kLongName + " \u2014 UKXX9999"});
    EXPECT_EQ(WindowWidth(dialog), 348);
    g_object_unref(SaveScreenshot(dialog, "location_dialog_long_place.png"));
    // The ellipsis is only drawn: OK takes the whole name.
    gtk_button_clicked(GTK_BUTTON(In(dialog, "ok")));
    PumpEvents();
    EXPECT_EQ(PendingLocation.name.view(), Utf8ToUtf16(kLongName));
    EXPECT_EQ(WindowWidth(window), 393);
}

TEST_F(LocationDialogTest, TheTextReachesTheServiceWhole) {
    GtkWindow* dialog = Change();
    Search(dialog, "Saint John's & Co #1 Z\u00fcrich");
    ASSERT_TRUE(SearchEnded(dialog));
    EXPECT_EQ(service.Queries(), std::vector<std::string>{"Saint John's & Co #1 Z\u00fcrich"});
}

TEST_F(LocationDialogTest, FailuresAndEmptyAnswersShowTheirLine) {
    struct Case {
        const char* text;
        const char* line;
    } cases[] = {
        {"nowhere", "Could not find this location."},
        {"broken", "Could not find the location. Looks like connection problems..."},
    };
    GtkWindow* dialog = Change();
    for (const auto& c : cases) {
        Search(dialog, c.text);
        ASSERT_TRUE(SearchEnded(dialog));
        EXPECT_EQ(ListLines(In(dialog, "places")), std::vector<std::string>{c.line});
        EXPECT_FALSE(gtk_widget_get_sensitive(In(dialog, "ok")));
    }
    EXPECT_TRUE(NoDownloadLeft());

    // OK on a fixed line acts as Cancel.
    gtk_tree_view_set_cursor(GTK_TREE_VIEW(In(dialog, "places")), gtk_tree_path_new_first(),
                             nullptr, FALSE);
    gtk_button_clicked(GTK_BUTTON(In(dialog, "ok")));
    PumpEvents();
    ExpectNothingTaken();
}

TEST_F(LocationDialogTest, AnUnreachableServiceShowsTheConnectionLine) {
    ASSERT_TRUE(SetSiteOverride(HttpTestServer::RefusedUrl()));
    GtkWindow* dialog = Change();
    Search(dialog, "Oslo");
    ASSERT_TRUE(SearchEnded(dialog));
    EXPECT_EQ(
        ListLines(In(dialog, "places")),
        std::vector<std::string>{"Could not find the location. Looks like connection problems..."});
}

// A system out of threads: the search fails as a lost connection does, and
// the dialog searches again once threads can be made.
TEST_F(LocationDialogTest, ASearchWithoutAThreadShowsTheConnectionLine) {
    GtkWindow* dialog = Change();
    RefuseBackgroundThreadsForTests(true);
    Search(dialog, "Oslo");
    const bool ended = SearchEnded(dialog);
    RefuseBackgroundThreadsForTests(false);
    ASSERT_TRUE(ended);
    EXPECT_EQ(
        ListLines(In(dialog, "places")),
        std::vector<std::string>{"Could not find the location. Looks like connection problems..."});
    Search(dialog, "Oslo");
    ASSERT_TRUE(SearchEnded(dialog));
    EXPECT_NE(ListLines(In(dialog, "places")).front(),
              "Could not find the location. Looks like connection problems...");
}

TEST_F(LocationDialogTest, AnEmptySearchTextWarnsAndSendsNothing) {
    GtkWindow* dialog = Change();
    Search(dialog, " \t ");
    PumpEvents();
    GtkWindow* box = FindWindow("Cannot search");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(GTK_IS_MESSAGE_DIALOG(box));
    gchar* text = nullptr;
    GtkMessageType type;
    g_object_get(box, "text", &text, "message-type", &type, nullptr);
    EXPECT_STREQ(text, "Please, enter city name or ZIP code to search for.");
    EXPECT_EQ(type, GTK_MESSAGE_WARNING);
    g_free(text);
    EXPECT_TRUE(ListLines(In(dialog, "places")).empty());
    gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    PumpEvents();
    EXPECT_EQ(FindWindow("Cannot search"), nullptr);
    EXPECT_NE(FindWindow(kLocationTitle), nullptr);
    EXPECT_TRUE(service.Queries().empty());
}

TEST_F(LocationDialogTest, ADoubleClickOnAPlaceActsAsOk) {
    GtkWindow* dialog = Change();
    Search(dialog, "London");
    ASSERT_TRUE(SearchEnded(dialog));
    GtkTreePath* second = gtk_tree_path_new_from_indices(1, -1);
    gtk_tree_view_row_activated(GTK_TREE_VIEW(In(dialog, "places")), second, nullptr);
    gtk_tree_path_free(second);
    PumpEvents();
    ExpectPlaceTaken(u"London, United Kingdom", u"UKXX0085");
}

TEST_F(LocationDialogTest, CancelKeepsThePendingLocation) {
    GtkWindow* dialog = Change();
    Search(dialog, "London");
    ASSERT_TRUE(SearchEnded(dialog));
    PressKey(dialog, GDK_KEY_Escape);
    PumpEvents();
    ExpectNothingTaken();
}

TEST_F(LocationDialogTest, ASearchLeftRunningByAClosedDialogIsDropped) {
    GtkWindow* first = Change();
    Search(first, "slow");
    ASSERT_TRUE(service.WaitForSlow());
    gtk_button_clicked(GTK_BUTTON(In(first, "cancel")));
    PumpEvents();
    ASSERT_EQ(FindWindow(kLocationTitle), nullptr);

    // The reopened dialog searches at once, beside the running search.
    GtkWindow* second = Change();
    ASSERT_NE(second, nullptr);
    Search(second, "nowhere");
    ASSERT_TRUE(SearchEnded(second));
    EXPECT_EQ(ListLines(In(second, "places")),
              std::vector<std::string>{"Could not find this location."});

    // The first answer arrives now and must not reach the new dialog.
    service.Release();
    ASSERT_TRUE(PumpUntil([&] { return NoDownloadLeft(); }));
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(ListLines(In(second, "places")),
              std::vector<std::string>{"Could not find this location."});
    EXPECT_FALSE(gtk_widget_get_sensitive(In(second, "ok")));
}

// With a cached feed: Change, a search for New York and OK on its first place.
void LocationDialogTest::TakeNewYork() {
    WriteFileBytes(dir / "weather.xml", "<weather/>");
    GtkWindow* dialog = Change();
    Search(dialog, "New York");
    ASSERT_TRUE(SearchEnded(dialog));
    gtk_button_clicked(GTK_BUTTON(In(dialog, "ok")));
    PumpEvents();
}

TEST_F(LocationDialogTest, OkOfTheSetupDialogStoresTheChosenPlaceAndDropsTheOldWeather) {
    ASSERT_NO_FATAL_FAILURE(TakeNewYork());
    gtk_button_clicked(GTK_BUTTON(Find("ok")));
    PumpEvents();
    EXPECT_FALSE(std::filesystem::exists(dir / "weather.xml"));
    EXPECT_EQ(Settings.weather_loc.view(), u"New York, NY");
    auto file = SettingsFile();
    EXPECT_NE(file.find(u"weather_loc_id=USNY0996\n"), std::u16string::npos);
    EXPECT_NE(file.find(u"weather_loc=New York, NY\n"), std::u16string::npos);
}

TEST_F(LocationDialogTest, ChangeThenCancelOfTheSetupDialogStoresNothing) {
    ASSERT_NO_FATAL_FAILURE(TakeNewYork());
    gtk_button_clicked(GTK_BUTTON(Find("cancel")));
    PumpEvents();
    EXPECT_TRUE(std::filesystem::exists(dir / "weather.xml"));
    EXPECT_FALSE(std::filesystem::exists(dir / "settings.cfg"));
    EXPECT_EQ(Settings.weather_loc_id.view(), u"RSXX0091");
}
TEST_F(LocationDialogTest, UnderADecimalCommaLocaleThePlaceIsStoredAndAskedForWithPoints) {
    const CommaLocale comma;
    ChosenWeatherProvider = WeatherProvider::OpenMeteo;
    service.server.Serve("/v1/search", R"({"results": [{"name": "Berlin", "country": "Germany",
                                            "latitude": 52.52437, "longitude": 13.41053}]})");
    GtkWindow* dialog = Change();
    Search(dialog, "Berlin");
    ASSERT_TRUE(SearchEnded(dialog));
    gtk_button_clicked(GTK_BUTTON(In(dialog, "ok")));
    gtk_button_clicked(GTK_BUTTON(Find("ok")));
    PumpEvents();
    EXPECT_NE(SettingsFile().find(u"weather_loc_id=52.5244,13.4105\n"), std::u16string::npos);
    PlaceCoordinates place;
    ASSERT_TRUE(PlaceFromCode(Settings.weather_loc_id.view(), place));
    EXPECT_NE(OpenMeteoForecastUrl(place, u'C').find(u"?latitude=52.5244&longitude=13.4105&"),
              std::u16string::npos);
}
}  // namespace
