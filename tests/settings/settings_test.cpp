#include "settings/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "base/saver_app.h"
#include "base/text.h"
#include "settings/gallery_table.h"
#include "support/temp_dir.h"

namespace {
std::string Utf16Le(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

std::u16string FromUtf16Le(const std::string& b) {
    std::u16string out;
    for (std::size_t i = 0; i + 1 < b.size(); i += 2)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(b[i]) |
                                            (static_cast<unsigned char>(b[i + 1]) << 8)));
    return out;
}

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        Settings = SettingsRecord{};
        SaverApp.RefreshSeconds = 604800;
    }
    std::filesystem::path File() const { return dir / "settings.cfg"; }
    void Write(std::u16string_view text) { WriteFileBytes(File(), Utf16Le(text)); }
    std::u16string Read() const { return FromUtf16Le(ReadFileBytes(File())); }
    TempDataFolder dir;
};

constexpr char16_t kComplete[] =
    u"dloption=3\nguid=0123456789ABCDEF0123456789ABCDEF\nnewver=1.1\nshow_weather=1\n"
    u"weather_loc_id=USNY0996\nweather_loc=New York, NY\nshow_newver=0";
}  // namespace

TEST_F(SettingsFile, FirstStartWritesTheExactDefaultFile) {
    LoadSettings();
    std::string bytes = ReadFileBytes(File());
    ASSERT_EQ(bytes.size(), 298u);
    EXPECT_EQ(bytes.substr(0, 22), std::string("d\0l\0o\0p\0t\0i\0o\0n\0=\0"
                                               "0\0\n\0",
                                               22));
    std::u16string text = Read();
    std::u16string guid = text.substr(16, 32);
    for (char16_t c : guid) EXPECT_TRUE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'));
    EXPECT_EQ(text, u"dloption=0\nguid=" + guid +
                        u"\nnewver=1.0\nshow_weather=1\nweather_loc_id=RSXX0091\n"
                        u"weather_loc=Saint-Petersburg, Russia\nshow_newver=1");
    EXPECT_TRUE(Settings.newver.empty());  // the file says 1.0, memory stays empty
    EXPECT_EQ(Settings.guid.view(), guid);
    EXPECT_EQ(SaverApp.RefreshSeconds, 604800);
}

// Switches stored only while they differ from their default: a fresh file
// keeps its size, and each comes back as it was stored.
TEST_F(SettingsFile, SwitchesAreStoredOnlyWhileChanged) {
    struct {
        int32_t SettingsRecord::*field;
        const char16_t* entry;
    } const rows[] = {
        {&SettingsRecord::show_titles, u"\nshow_titles=0"},
        {&SettingsRecord::blur_edges, u"\nblur_edges=1"},
        {&SettingsRecord::gentle_motion, u"\ngentle_motion=1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Utf16ToUtf8(row.entry));
        Settings = SettingsRecord{};
        LoadSettings();
        ASSERT_EQ(ReadFileBytes(File()).size(), 298u);
        const int32_t fresh = Settings.*row.field;
        Settings.*row.field = 1 - fresh;
        ASSERT_FALSE(SaveSettings());
        EXPECT_TRUE(Read().ends_with(row.entry)) << Utf16ToUtf8(Read());
        Settings = SettingsRecord{};
        LoadSettings();
        EXPECT_EQ(Settings.*row.field, 1 - fresh);
        Settings.*row.field = fresh;
        ASSERT_FALSE(SaveSettings());
        EXPECT_EQ(ReadFileBytes(File()).size(), 298u);
    }
}

TEST_F(SettingsFile, CompleteFileLoadsWithoutRewriting) {
    Write(kComplete);
    auto before = std::filesystem::last_write_time(File());
    LoadSettings();
    EXPECT_EQ(Settings.dloption, 3);
    EXPECT_EQ(SaverApp.RefreshSeconds, 21600);
    EXPECT_EQ(Settings.newver.view(), u"1.1");
    EXPECT_EQ(Settings.show_newver, 0);
    EXPECT_EQ(Settings.weather_loc.view(), u"New York, NY");
    EXPECT_EQ(Read(), kComplete);
    EXPECT_EQ(std::filesystem::last_write_time(File()), before);
    EXPECT_TRUE(NewerVersionKnown());
}

TEST_F(SettingsFile, KeysInAnyCaseLaterEntriesWinAndValuesAreVerbatim) {
    Write(
        u"GUID=0123456789ABCDEF0123456789ABCDEF\nNewVer=2.0\nnewver=2.5\r\n"
        u"Weather_Loc_Id=AAAA0001\nweather_loc=Far away\r\nSHOW_WEATHER=2\nshow_newver=x\n"
        u"dloption=4");
    LoadSettings();
    EXPECT_EQ(Settings.newver.view(), u"2.5\r");
    EXPECT_EQ(Settings.weather_loc.view(), u"Far away\r");
    EXPECT_EQ(Settings.show_weather, 2);
    EXPECT_EQ(Settings.show_newver, 0);
    EXPECT_EQ(Settings.dloption, 4);
    EXPECT_EQ(SaverApp.RefreshSeconds, 10800);
    // Complete, so nothing was rewritten: the file keeps its mixed case.
    EXPECT_NE(Read().find(u"GUID="), std::u16string::npos);
    // The next save writes lower-case keys, flags as 1/0 and no control characters.
    SaveSettings();
    std::u16string text = Read();
    EXPECT_NE(text.find(u"\nshow_weather=1\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"\nnewver=2.5 \n"), std::u16string::npos);
    EXPECT_EQ(text.find(u'\r'), std::u16string::npos);
}

TEST_F(SettingsFile, BadGalleryNumbersSelectGalleryZero) {
    for (auto v : {u"7", u"-1", u"abc", u"99999999999"}) {
        Settings.dloption = 2;
        ApplyGalleryEntry(u"DLOPTION", v);
        EXPECT_EQ(Settings.dloption, 0);
        EXPECT_EQ(SaverApp.RefreshSeconds, 604800);
    }
    ApplyGalleryEntry(u"dloption ", u"3");  // a blank belongs to the key
    EXPECT_EQ(Settings.dloption, 0);
}

TEST_F(SettingsFile, LongValuesAreCutAndGapsFilledOnSave) {
    std::u16string longName(150, u'n');
    Write(
        u"guid=short\nnewver=1.2.3.4.5.6.7\nweather_loc_id=ABCDEFGHIJKLMNOPQRSTUVWXYZ\n"
        u"weather_loc=" +
        longName);
    LoadSettings();
    EXPECT_EQ(Settings.newver.view(), u"1.2.3.4.5");
    EXPECT_EQ(Settings.weather_loc_id.view(), u"ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(Settings.weather_loc.size(), 99u);
    // All four present, so the short guid survived the load...
    EXPECT_EQ(Settings.guid.view(), u"short");
    SaveSettings();
    // ...and the next save replaces it.
    EXPECT_EQ(Settings.guid.size(), 32u);
    EXPECT_LE(Read().size(), 259u);
}

TEST_F(SettingsFile, IncompleteFilesAreRewrittenWithDefaults) {
    Write(u"guid=0123456789ABCDEF0123456789ABCDEF\nnewver=\nweather_loc_id=XXXX0001\nweather_loc=");
    LoadSettings();
    std::u16string text = Read();
    EXPECT_NE(text.find(u"\nnewver=1.0\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"\nweather_loc=?\n"), std::u16string::npos);
    EXPECT_EQ(Settings.weather_loc.view(), u"?");
    EXPECT_NE(text.find(u"guid=0123456789ABCDEF0123456789ABCDEF"), std::u16string::npos);
}

TEST_F(SettingsFile, ByteOrderMarkHidesTheFirstEntryAndLinesWithoutEqualsJoinTheNextKey) {
    Write(
        u"\uFEFFdloption=2\nguid=0123456789ABCDEF0123456789ABCDEF\njunk line\nnewver=1.3\n"
        u"weather_loc_id=RSXX0091\nweather_loc=x");
    LoadSettings();
    EXPECT_EQ(Settings.dloption, 0);
    EXPECT_TRUE(Settings.newver.empty());  // its key became "junk line\nnewver"
    EXPECT_EQ(Read().substr(0, 11), u"dloption=0\n");
}

TEST_F(SettingsFile, GarbageAndTruncatedFilesNeverCrashAndLeaveAValidFile) {
    std::string garbage;
    for (int i = 0; i < 4000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 251));
    for (std::size_t cut : {std::size_t{1}, std::size_t{3}, std::size_t{57}, garbage.size()}) {
        Settings = SettingsRecord{};
        WriteFileBytes(File(), garbage.substr(0, cut));
        LoadSettings();
        EXPECT_GE(Settings.dloption, 0);
        EXPECT_LE(Settings.dloption, 4);
    }
    WriteFileBytes(File(), "");
    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(ReadFileBytes(File()).size(), 298u);
}

TEST_F(SettingsFile, InjectedLineBreaksCannotAddEntries) {
    Settings.weather_loc.Assign(u"Town\nnewver=9.9\rdloption=4");
    Settings.weather_loc_id.Assign(u"AB\n\tC");
    SaveSettings();
    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(Settings.weather_loc.view(), u"Town newver=9.9 dloption=4");
    EXPECT_EQ(Settings.weather_loc_id.view(), u"AB  C");
    EXPECT_EQ(Settings.newver.view(), u"1.0");
    EXPECT_EQ(Settings.dloption, 0);
}

TEST_F(SettingsFile, SaveThatCannotCreateTheFileKeepsValuesInMemory) {
    std::filesystem::create_directory(File());  // a folder where the file should be
    Settings.weather_loc_id.Clear();
    EXPECT_FALSE(WriteSettings({{u"dloption", u"0"}}));
    EXPECT_EQ(Settings.guid.size(), 32u);
    EXPECT_EQ(Settings.weather_loc_id.view(), u"RSXX0091");
    EXPECT_EQ(Settings.weather_loc.view(), u"Saint-Petersburg, Russia");
    LoadSettings();  // unreadable too: nothing reported, nothing crashes
    EXPECT_TRUE(std::filesystem::is_directory(File()));
}

TEST(GalleryTable, FiveRowsThenTheEndRow) {
    int n = 0;
    while (GalleryTable[n].title) ++n;
    EXPECT_EQ(n, 5);
    EXPECT_EQ(std::u16string(GalleryTable[3].id), u"top7");
    EXPECT_EQ(GalleryTable[3].refresh, 21600);
    EXPECT_NE(GalleryUrl(2).find(u"daterange=month&"), std::u16string::npos);
    EXPECT_EQ(GalleryUrl(0).substr(GalleryUrl(0).find(u"/search")),
              u"/search/photo.search?viewsperday=month&page=1&page_limit=60&sort_order=views"
              u"&thumbnails=noinfo");
}

TEST(GalleryTable, CommonsRowsMatchTheSiteRowsAndTitlesClaimNoViews) {
    int n = 0;
    while (CommonsGalleryTable[n].title) ++n;
    ASSERT_EQ(n, kGalleryCount);
    for (int i = 0; i < kGalleryCount; ++i) {
        const std::u16string title = CommonsGalleryTable[i].title;
        EXPECT_EQ(CommonsGalleryTable[i].refresh, GalleryTable[i].refresh) << i;
        EXPECT_EQ(title.find(u"view"), std::u16string::npos) << i;
        EXPECT_EQ(title.find(u"popular"), std::u16string::npos) << i;
        // Every row lists the one confirmed category, files only.
        const std::u16string listing = CommonsGalleryTable[i].path;
        EXPECT_TRUE(
            listing.starts_with(u"gcmtitle=Category%3AFeatured_pictures_of_aircraft&"
                                u"gcmnamespace=6&"))
            << i;
    }
    EXPECT_NE(std::u16string(CommonsGalleryTable[0].path).find(u"gcmsort=sortkey"),
              std::u16string::npos);
    for (int i = 1; i < kGalleryCount; ++i)
        EXPECT_NE(
            std::u16string(CommonsGalleryTable[i].path).find(u"gcmsort=timestamp&gcmdir=older"),
            std::u16string::npos);
    // The chosen source's table decides the dialog's list; the refresh is the same.
    ChosenPhotoSource = PhotoSource::Commons;
    EXPECT_EQ(ChosenGalleries(), CommonsGalleryTable);
    ApplyGalleryEntry(u"dloption", u"4");
    EXPECT_EQ(SaverApp.RefreshSeconds, 3 * 3600);
    ChosenPhotoSource = PhotoSource::Site;
    EXPECT_EQ(ChosenGalleries(), GalleryTable);
    ApplyGalleryEntry(u"dloption", u"0");
}

// The locale is read from the environment on Linux only.
#ifndef _WIN32
namespace {
// Sets the locale variables for one case and restores them after it.
class LocaleEnvironment {
  public:
    LocaleEnvironment(const char* all, const char* measurement, const char* lang) {
        for (int i = 0; i < 3; ++i) {
            const char* old = std::getenv(kNames[i]);
            saved_[i] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        Set(0, all);
        Set(1, measurement);
        Set(2, lang);
    }
    ~LocaleEnvironment() {
        for (int i = 0; i < 3; ++i) Set(i, saved_[i] ? saved_[i]->c_str() : nullptr);
    }

  private:
    static void Set(int i, const char* value) {
        if (value)
            setenv(kNames[i], value, 1);
        else
            unsetenv(kNames[i]);
    }
    static constexpr const char* kNames[3] = {"LC_ALL", "LC_MEASUREMENT", "LANG"};
    std::optional<std::string> saved_[3];
};
}  // namespace

TEST_F(SettingsFile, TemperatureUnitFollowsTheLocaleUntilChosen) {
    struct Case {
        const char *all, *measurement, *lang;
        char16_t unit;
    };
    const Case cases[] = {
        {nullptr, nullptr, "en_US.UTF-8", u'F'},
        {nullptr, nullptr, "en_GB.UTF-8", u'C'},
        {nullptr, "en_US.UTF-8", "de_DE.UTF-8", u'F'},
        {nullptr, "de_DE", "en_US.UTF-8", u'C'},
        {"de_DE.UTF-8", "en_US.UTF-8", "en_US.UTF-8", u'C'},
        {"", "es_US@euro", "C", u'F'},
        {nullptr, nullptr, "my_MM", u'F'},
        {nullptr, nullptr, "C", u'C'},
        {nullptr, nullptr, "en_USA", u'C'},
        {nullptr, nullptr, nullptr, u'C'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.lang ? c.lang : "-") + " " +
                     (c.measurement ? c.measurement : "-"));
        LocaleEnvironment env(c.all, c.measurement, c.lang);
        Settings.temp_unit = 0;
        EXPECT_EQ(TemperatureUnit(), c.unit);
        Settings.temp_unit = u'C';
        EXPECT_EQ(TemperatureUnit(), u'C');
        Settings.temp_unit = u'F';
        EXPECT_EQ(TemperatureUnit(), u'F');
    }
}

TEST_F(SettingsFile, ChosenUnitIsStoredAfterTheSevenKeys) {
    LocaleEnvironment env(nullptr, nullptr, "en_US.UTF-8");
    LoadSettings();
    ASSERT_EQ(ReadFileBytes(File()).size(), 298u);

    Settings.temp_unit = u'F';
    SaveSettings();
    std::u16string text = Read();
    EXPECT_EQ(text.size() * 2, 298u + 24u);
    EXPECT_TRUE(text.ends_with(u"\nshow_newver=1\ntemp_unit=F"));

    // Read back; an unknown value counts as never chosen.
    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(Settings.temp_unit, u'F');
    Write(std::u16string(kComplete) + u"\ntemp_unit=kelvin");
    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(Settings.temp_unit, 0);
    EXPECT_EQ(Settings.weather_loc, u"New York, NY");
    Write(std::u16string(kComplete) + u"\nTEMP_UNIT=c");
    LoadSettings();
    EXPECT_EQ(Settings.temp_unit, u'C');
}

TEST_F(SettingsFile, PhotoFolderIsStoredOnlyWhileSet) {
    LocaleEnvironment env(nullptr, nullptr, "en_GB.UTF-8");
    LoadSettings();
    ASSERT_EQ(ReadFileBytes(File()).size(), 298u);

    Settings.temp_unit = u'C';
    Settings.photo_folder.Assign(u"/home/ann/Bilder/Flugzeuge");
    SaveSettings();
    EXPECT_TRUE(Read().ends_with(u"\ntemp_unit=C\nphoto_folder=/home/ann/Bilder/Flugzeuge"));
    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(Settings.photo_folder.str(), u"/home/ann/Bilder/Flugzeuge");

    Settings.photo_folder.Clear();
    Settings.temp_unit = 0;
    SaveSettings();
    EXPECT_EQ(ReadFileBytes(File()).size(), 298u);

    // A folder too long for a path is no folder, never a shortened one.
    Write(std::u16string(kComplete) + u"\nphoto_folder=/" + std::u16string(300, u'a'));
    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_TRUE(Settings.photo_folder.empty());
}
#endif
