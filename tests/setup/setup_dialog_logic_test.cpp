// The setup dialog's fill and OK steps over a real data folder and the real
// settings file, without any dialog.
#include "setup/setup_dialog_logic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/saver_app.h"
#include "base/text.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"
#include "setup/location_dialog_logic.h"
#include "setup/location_search.h"
#include "setup/settings_combinations.h"
#include "support/temp_dir.h"
#include "weather/weather_feed.h"

namespace {
PendingLocationRecord Place(const char16_t* name, const char16_t* id) {
    PendingLocationRecord place;
    place.name.Assign(name);
    place.id.Assign(id);
    return place;
}

class SetupDialogLogic : public ::testing::Test {
  protected:
    void SetUp() override { SettingsFromDefaults(); }
    std::filesystem::path WeatherFile() const { return dir / "weather.xml"; }
    // Forgets the record and reads the settings file back, as the next run would.
    void ReloadSettings() {
        Settings = SettingsRecord{};
        LoadSettings();
    }

    TempDataFolder dir;
};

TEST_F(SetupDialogLogic, GalleryListShowsTheChosenSourcesTitles) {
    ChosenPhotoSource = PhotoSource::Commons;
    SetupDialogFill commons = FillSetupDialog();
    ChosenPhotoSource = PhotoSource::Site;
    ASSERT_EQ(commons.titles.size(), static_cast<std::size_t>(kGalleryCount));
    for (int i = 0; i < kGalleryCount; ++i)
        EXPECT_EQ(commons.titles[i], CommonsGalleryTable[i].title);
}

TEST_F(SetupDialogLogic, FillFollowsEveryCombinationOfSettings) {
    ForEachSettingsCombination([](bool newer) {
        SetupDialogFill fill = FillSetupDialog();
        ASSERT_EQ(fill.titles.size(), static_cast<std::size_t>(kGalleryCount));
        for (int i = 0; i < kGalleryCount; ++i) EXPECT_EQ(fill.titles[i], GalleryTable[i].title);
        EXPECT_EQ(fill.dloption, Settings.dloption);
        EXPECT_EQ(fill.weather_loc, u"Saint-Petersburg, Russia");
        EXPECT_EQ(fill.show_weather, Settings.show_weather != 0);
        EXPECT_EQ(fill.locationEnabled, Settings.show_weather != 0);
        EXPECT_EQ(fill.show_newver, Settings.show_newver != 0);
        EXPECT_EQ(fill.version, u"1.0");
        EXPECT_EQ(fill.newerVersion, newer);
        EXPECT_EQ(fill.newver, newer ? u"1.1" : u"");
    });
}

TEST_F(SetupDialogLogic, OkStoresTheChoicesInTheSettingsFile) {
    WriteFileBytes(WeatherFile(), "<weather/>");
    ApplySetupDialogOk({.dloption = 3, .show_weather = false, .show_newver = false},
                       PendingLocationRecord{});
    EXPECT_EQ(SaverApp.RefreshSeconds, GalleryTable[3].refresh);
    ReloadSettings();
    EXPECT_EQ(Settings.dloption, 3);
    EXPECT_EQ(Settings.show_weather, 0);
    EXPECT_EQ(Settings.show_newver, 0);
    EXPECT_EQ(Settings.weather_loc_id.view(), u"RSXX0091");
    EXPECT_EQ(Settings.weather_loc.view(), u"Saint-Petersburg, Russia");
    EXPECT_TRUE(std::filesystem::exists(WeatherFile()));

    ApplySetupDialogOk({.dloption = 1, .show_weather = true, .show_newver = true},
                       PendingLocationRecord{});
    ReloadSettings();
    EXPECT_EQ(Settings.dloption, 1);
    EXPECT_EQ(Settings.show_weather, 1);
    EXPECT_EQ(Settings.show_newver, 1);

    // A list without a selection stores the first gallery.
    ApplySetupDialogOk({.dloption = -1, .show_weather = true, .show_newver = true},
                       PendingLocationRecord{});
    EXPECT_EQ(SaverApp.RefreshSeconds, GalleryTable[0].refresh);
    ReloadSettings();
    EXPECT_EQ(Settings.dloption, 0);
}

TEST_F(SetupDialogLogic, OkReplacesTheLocationOnlyWhenThePendingOneDiffers) {
    const char16_t* kName = kDefaultLocationName;
    const char16_t* kId = kDefaultLocationId;
    struct Case {
        PendingLocationRecord pending;
        bool replaced;
        const char16_t* storedName;  // as the settings file reads back
        const char16_t* storedId;
    } cases[] = {
        {Place(u"", u""), false, kName, kId},
        {Place(kName, kId), false, kName, kId},
        {Place(u"SAINT-PETERSBURG, RUSSIA", u"rsxx0091"), false, kName, kId},
        {Place(u"St. Petersburg, Russia", kId), true, u"St. Petersburg, Russia", kId},
        {Place(kName, u"RSXX0092"), true, kName, u"RSXX0092"},
        {Place(u"Oslo, Norway", u"NOXX0029"), true, u"Oslo, Norway", u"NOXX0029"},
        // Only a part that is there is compared, but both parts are stored;
        // saving then puts its defaults in place of an empty part.
        {Place(u"", u"NOXX0029"), true, u"?", u"NOXX0029"},
        {Place(u"Oslo, Norway", u""), true, kName, kId},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.pending.name.view()) + " / " + Utf16ToUtf8(c.pending.id.view()));
        SettingsFromDefaults();
        WriteFileBytes(WeatherFile(), "<weather/>");
        ApplySetupDialogOk({.dloption = 0, .show_weather = true, .show_newver = true}, c.pending);
        EXPECT_EQ(std::filesystem::exists(WeatherFile()), !c.replaced);
        ReloadSettings();
        EXPECT_EQ(Settings.weather_loc.view(), c.storedName);
        EXPECT_EQ(Settings.weather_loc_id.view(), c.storedId);
    }
}

TEST_F(SetupDialogLogic, APlaceTakenWithChangeReachesTheLabelAndTheFile) {
    WriteFileBytes(WeatherFile(), "<weather/>");
    PendingLocationRecord pending;
    LocationDialogState location;
    PressSearch(location, u"Oslo");
    SearchOutcome found{SearchOutcome::Places, {}, {}};
    ParseLocationAnswer("<loc id=\"NOXX0029\">Oslo, Norway</loc>", found.lines);
    SearchEnded(location, found);
    auto step = PressOk(location, location.view.lines[0], pending);
    ASSERT_EQ(step.end, LocationDialogEnd::Taken);

    EXPECT_EQ(LocationNameAfterChange(*step.end, pending), u"Oslo, Norway");
    EXPECT_EQ(LocationNameAfterChange(LocationDialogEnd::Cancelled, pending), std::nullopt);
    ApplySetupDialogOk({.dloption = 0, .show_weather = true, .show_newver = true}, pending);
    EXPECT_FALSE(std::filesystem::exists(WeatherFile()));
    ReloadSettings();
    EXPECT_EQ(Settings.weather_loc.view(), u"Oslo, Norway");
    EXPECT_EQ(Settings.weather_loc_id.view(), u"NOXX0029");
}
}  // namespace

namespace {
TEST_F(SetupDialogLogic, UnitIsStoredOnlyOnceChangedAndRefetchesTheWeather) {
    const char16_t shown = FillSetupDialog().tempUnit;
    const char16_t other = shown == u'C' ? u'F' : u'C';
    // OK with the unit as shown stores nothing: the file stays the default one.
    WriteFileBytes(WeatherFile(), "<weather/>");
    ApplySetupDialogOk({.show_weather = true, .show_newver = true, .tempUnit = shown},
                       PendingLocationRecord{});
    ReloadSettings();
    EXPECT_EQ(Settings.temp_unit, 0);
    EXPECT_EQ(ReadFileBytes(dir / "settings.cfg").size(), 298u);
    EXPECT_TRUE(std::filesystem::exists(WeatherFile()));

    // Another unit is stored, shown next time, and the cached feed goes.
    ApplySetupDialogOk({.show_weather = true, .show_newver = true, .tempUnit = other},
                       PendingLocationRecord{});
    EXPECT_FALSE(std::filesystem::exists(WeatherFile()));
    ReloadSettings();
    EXPECT_EQ(Settings.temp_unit, other);
    EXPECT_EQ(FillSetupDialog().tempUnit, other);
}
}  // namespace

namespace {
TEST_F(SetupDialogLogic, OpenMeteoAsksForAPlaceWhenTheCodeNamesNone) {
    ChosenWeatherProvider = WeatherProvider::OpenMeteo;
    // The old default stands for Saint Petersburg.
    EXPECT_EQ(FillSetupDialog().weather_loc, u"Saint-Petersburg, Russia");
    Settings.weather_loc_id.Assign(u"USNY0996");
    Settings.weather_loc.Assign(u"New York, NY");
    EXPECT_EQ(FillSetupDialog().weather_loc, kChoosePlaceText);
    Settings.weather_loc_id.Assign(u"40.7143,-74.0060");
    EXPECT_EQ(FillSetupDialog().weather_loc, u"New York, NY");
    // The weather service knows its own codes.
    ChosenWeatherProvider = WeatherProvider::Site;
    Settings.weather_loc_id.Assign(u"USNY0996");
    EXPECT_EQ(FillSetupDialog().weather_loc, u"New York, NY");
}
}  // namespace
