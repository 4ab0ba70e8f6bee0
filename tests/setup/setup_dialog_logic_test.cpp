// The setup dialog's fill and OK steps over a real data folder and the real
// settings file, without any dialog.
#include "setup/setup_dialog_logic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/platform.h"
#include "base/process_state.h"
#include "base/saver_app.h"
#include "base/text.h"
#include "host/triggers.h"
#include "photos/photo_list.h"
#include "photos/photo_source.h"
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

// download_anyway: absent from a file never changed, then kept either way.
TEST_F(SetupDialogLogic, DownloadAnywayIsStoredOnlyOnceChangedAndThenKept) {
    for (const bool anyway : {false, true, false}) {
        SCOPED_TRACE(anyway);
        ApplySetupDialogOk({.show_weather = true, .show_newver = true, .downloadAnyway = anyway},
                           PendingLocationRecord{});
        ReloadSettings();
        EXPECT_EQ(FillSetupDialog().downloadAnyway, anyway);
        const std::string bytes = ReadFileBytes(dir / "settings.cfg");
        EXPECT_EQ(bytes.size(), Settings.download_anyway_stored ? 298u + 36u : 298u);
    }
    EXPECT_TRUE(Settings.download_anyway_stored);
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

namespace {
TEST_F(SetupDialogLogic, CacheLineCountsPhotosAndRoundsTheirSize) {
    constexpr uint64_t kKB = 1024, kMB = kKB * kKB, kGB = kMB * kKB;
    struct Case {
        CacheUsage usage;
        const char16_t* line;
    } cases[] = {
        {{0, 0}, u"Cache: empty"},
        {{1, 1}, u"Cache: 1 photo, 1 KB"},  // never "0 KB"
        {{2, kKB}, u"Cache: 2 photos, 1 KB"},
        {{2, kKB + 1}, u"Cache: 2 photos, 2 KB"},
        {{5, 999 * kKB}, u"Cache: 5 photos, 999 KB"},
        {{5, 999 * kKB + 1}, u"Cache: 5 photos, 1.0 MB"},
        {{3, kMB + kMB / 5}, u"Cache: 3 photos, 1.2 MB"},
        {{3, kMB + kMB / 4}, u"Cache: 3 photos, 1.3 MB"},  // halves round up
        {{9, 10 * kMB - 1}, u"Cache: 9 photos, 10 MB"},
        {{87, 143 * kMB}, u"Cache: 87 photos, 143 MB"},
        {{87, 143 * kMB + kMB / 2 - 1}, u"Cache: 87 photos, 143 MB"},
        {{87, 143 * kMB + kMB / 2}, u"Cache: 87 photos, 144 MB"},
        {{100, 999 * kMB + kMB / 2}, u"Cache: 100 photos, 1.0 GB"},
        {{100, 12 * kGB + kGB / 3}, u"Cache: 100 photos, 12 GB"},
    };
    for (const auto& c : cases) EXPECT_EQ(CacheLineText(c.usage), c.line) << Utf16ToUtf8(c.line);
}

TEST_F(SetupDialogLogic, FillShowsTheFolderAndTheCache) {
    SetupDialogFill fill = FillSetupDialog();
    EXPECT_FALSE(fill.useFolder);
    EXPECT_EQ(fill.folder, u"");
    EXPECT_EQ(fill.cacheLine, u"Cache: empty");
    EXPECT_FALSE(fill.cacheClearable);
    EXPECT_EQ(FolderLabel(fill.folder), kNoFolderChosenText);

    WriteFileBytes(dir / "1.jpg", std::string(1500, 'j'));
    WriteFileBytes(dir / "2.JPG", std::string(600, 'j'));
    WriteFileBytes(dir / "3.jpg.tmp", std::string(5000, 'p'));
    WriteFileBytes(dir / "index.htm", std::string(5000, 'h'));
    Settings.photo_folder.Assign(u"/home/someone/Pictures");
    fill = FillSetupDialog();
    EXPECT_TRUE(fill.useFolder);
    EXPECT_EQ(fill.folder, u"/home/someone/Pictures");
    EXPECT_EQ(FolderLabel(fill.folder), u"/home/someone/Pictures");
    EXPECT_EQ(fill.cacheLine, u"Cache: 2 photos, 3 KB");
    EXPECT_TRUE(fill.cacheClearable);
}

TEST_F(SetupDialogLogic, FolderRefusalGuardsTheCacheAndThePath) {
    TempDir elsewhere;
    const std::u16string data = DataFolder.str();
    const std::u16string outside = FromPath(elsewhere.path()).value();
    const std::u16string sep(1, kPathSeparator);
    std::filesystem::create_directory(dir / "inner");
    struct Case {
        std::u16string folder;
        std::u16string_view refusal;
    } cases[] = {
        {outside, u""},
        {outside + sep + u"not made yet", u""},
        // The folder that holds the data folder (My Pictures) is the user's own.
        {FromPath(dir.path().parent_path()).value(), u""},
        {u"", kNoFolderText},
        {data, kFolderInDataFolderText},
        {data + sep, kFolderInDataFolderText},
        {data + sep + u"inner", kFolderInDataFolderText},
        {ToUpperAscii(data), kFolderInDataFolderText},
        {data + sep + u"inner" + sep + u"..", kFolderInDataFolderText},
        {outside + sep + u"a\nb", kFolderUnfitText},
        {outside + sep + u"tab\there", kFolderUnfitText},
        {outside + sep + u"del\x7f", kFolderUnfitText},
        {outside + sep + std::u16string(259 - outside.size() - 1, u'x'), u""},
        {outside + sep + std::u16string(259 - outside.size(), u'x'), kFolderUnfitText},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderRefusal(c.folder), c.refusal) << Utf16ToUtf8(c.folder);
}

TEST_F(SetupDialogLogic, OkStoresTheChosenFolderOrClearsIt) {
    TempDir elsewhere;
    const std::u16string outside = FromPath(elsewhere.path()).value();
    ApplySetupDialogOk({.dloption = 2,
                        .show_weather = true,
                        .show_newver = true,
                        .useFolder = true,
                        .folder = outside},
                       PendingLocationRecord{});
    ReloadSettings();
    EXPECT_EQ(Settings.photo_folder.view(), outside);
    EXPECT_EQ(Settings.dloption, 2);  // the gallery is kept for the day the folder goes

    // Choosing the gallery list again forgets the folder and keeps the file as before.
    EXPECT_EQ(ApplySetupDialogOk({.dloption = 2,
                                  .show_weather = true,
                                  .show_newver = true,
                                  .useFolder = false,
                                  .folder = outside},
                                 PendingLocationRecord{}),
              u"");
    ReloadSettings();
    EXPECT_TRUE(Settings.photo_folder.empty());
    EXPECT_EQ(ReadFileBytes(dir / "settings.cfg").size(), 298u);
}

TEST_F(SetupDialogLogic, OkWithARefusedOrMissingFolderStoresNothing) {
    const std::u16string data = DataFolder.str();
    Settings.photo_folder.Assign(u"/kept/as/it/was");
    const std::u16string folders[] = {data, data + kPathSeparator + u"photos", u""};
    for (const auto& folder : folders) {
        SCOPED_TRACE(Utf16ToUtf8(folder));
        std::u16string refusal = ApplySetupDialogOk({.dloption = 4,
                                                     .show_weather = false,
                                                     .show_newver = false,
                                                     .useFolder = true,
                                                     .folder = folder},
                                                    Place(u"Oslo, Norway", u"NOXX0029"));
        EXPECT_EQ(refusal, folder.empty() ? kNoFolderText : kFolderInDataFolderText);
        EXPECT_FALSE(std::filesystem::exists(dir / "settings.cfg"));
        EXPECT_EQ(Settings.photo_folder.view(), u"/kept/as/it/was");
        EXPECT_EQ(Settings.dloption, 0);
        EXPECT_EQ(Settings.show_weather, 1);
        EXPECT_EQ(Settings.weather_loc_id.view(), kDefaultLocationId);
    }
}

TEST_F(SetupDialogLogic, ClearEmptiesTheCacheLineAndTheNextRunHarvestsAtOnce) {
    WriteFileBytes(dir / "1.jpg", "jpeg");
    WriteFileBytes(dir / "2.jpg.tmp", "part");
    WriteFileBytes(dir / "index.htm", "<html>");
    CacheLineView line = ClearCacheConfirmed();
    EXPECT_EQ(line.text, u"Cache: empty");
    EXPECT_FALSE(line.clearable);
    EXPECT_FALSE(std::filesystem::exists(dir / "1.jpg"));
    EXPECT_FALSE(std::filesystem::exists(dir / "2.jpg.tmp"));
    // The saved page stays: its age does not hold the next harvest back,
    // since a slideshow that starts with too few photos harvests at once.
    EXPECT_TRUE(std::filesystem::exists(dir / "index.htm"));
    ScanCache();
    EXPECT_TRUE(HarvestWantedAtStart(PhotoCount()));
    std::lock_guard<std::mutex> lock(PhotoListLock);
    FreePhotoList(PhotoList);
    PhotoList = nullptr;
}
}  // namespace
