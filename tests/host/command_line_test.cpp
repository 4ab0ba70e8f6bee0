#include "host/command_line.h"

#include <gtest/gtest.h>

#include <limits>

#include "host/run_mode.h"

namespace {
CommandLineMode Mode(const char16_t* s) {
    return ParseRunMode(s);
}
}  // namespace

TEST(RunMode, SwitchesAnywhereInAnyCase) {
    for (auto s : {u"/c:1234", u"/C:1234", u"/C 1234"}) {
        EXPECT_EQ(Mode(s).runMode, RunModeValue::Setup) << std::string(s, s + 7);
        EXPECT_EQ(Mode(s).parentWindow, 1234u);
    }
    EXPECT_EQ(Mode(u"/p 5678").runMode, RunModeValue::Preview);
    EXPECT_EQ(Mode(u"/p 5678").parentWindow, 5678u);
    EXPECT_EQ(Mode(u"x /p 12").runMode, RunModeValue::Preview);
    EXPECT_EQ(Mode(u"x /p 12").parentWindow, 12u);
    // /C wins over /P and brings its own parent.
    EXPECT_EQ(Mode(u"/P 1 /C:2").runMode, RunModeValue::Setup);
    EXPECT_EQ(Mode(u"/P 1 /C:2").parentWindow, 2u);
}

TEST(RunMode, SaverWhenNothingElseAndParentStopsAtTheEnd) {
    for (auto s : {u"/S", u"", u"hello", u"/s /x"}) {
        EXPECT_EQ(Mode(s).runMode, RunModeValue::Saver);
        EXPECT_EQ(Mode(s).parentWindow, 0u);
    }
    EXPECT_EQ(Mode(u"/C").runMode, RunModeValue::Setup);
    EXPECT_EQ(Mode(u"/C").parentWindow, 0u);
    EXPECT_EQ(Mode(u"a /p").runMode, RunModeValue::Preview);  // switch at the very end
    EXPECT_EQ(Mode(u"a /p").parentWindow, 0u);
    EXPECT_EQ(Mode(u"/p:").parentWindow, 0u);
    EXPECT_EQ(Mode(u"/p x12").parentWindow, 0u);
}

// Handles read as signed numbers: a negative one is the sign-extended
// handle, a 64-bit one stays whole, and the 32-bit rule still saturates.
TEST(RunMode, ParentHandlesAreSignedAndKeepSixtyFourBits) {
    EXPECT_EQ(Mode(u"/p -1234567").parentWindow, static_cast<uint64_t>(int64_t{-1234567}));
    EXPECT_EQ(Mode(u"/p -1234567").runMode, RunModeValue::Preview);
    EXPECT_EQ(Mode(u"/c:-1").parentWindow, ~uint64_t{0});
    EXPECT_EQ(Mode(u"/p 4294967296").parentWindow, 4294967296u);
    EXPECT_EQ(Mode(u"/p 99999999999999999999").parentWindow,
              static_cast<uint64_t>(std::numeric_limits<int64_t>::max()));
    EXPECT_EQ(static_cast<uint32_t>(Mode(u"/p -1234567").parentWindow), 0xFFED2979u);
}

TEST(HostOptions, DashOptionsAreTakenOutBeforeTheSwitchRule) {
    auto o = ParseHostOptions({"--site", "http://127.0.0.1:8080/search", "/p", "77",
                               "-slide-ms=500", "--window-id", "0x2a"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.site, u"http://127.0.0.1:8080/search");
    EXPECT_EQ(o.mode.runMode, RunModeValue::Preview);  // the URL's "/s" does not count
    EXPECT_EQ(o.mode.parentWindow, 77u);
    EXPECT_EQ(o.slideMillis, 500);
    EXPECT_TRUE(o.hasWindowId);
    EXPECT_EQ(o.windowId, 42u);
    EXPECT_TRUE(ParseHostOptions({"--root"}).root);
    EXPECT_TRUE(ParseHostOptions({"-help"}).help);
}

TEST(HostOptions, BadOptionsAreRefused) {
    EXPECT_FALSE(ParseHostOptions({"--bogus"}).error.empty());
    EXPECT_FALSE(ParseHostOptions({"--slide-ms"}).error.empty());
    EXPECT_FALSE(ParseHostOptions({"--slide-ms", "0"}).error.empty());
    EXPECT_FALSE(ParseHostOptions({"--slide-ms", "12x"}).error.empty());
    EXPECT_FALSE(ParseHostOptions({"--window-id", "zz"}).error.empty());
    EXPECT_FALSE(ParseHostOptions({"--window-id", "0x"}).error.empty());
    EXPECT_FALSE(ParseHostOptions({"--site"}).error.empty());
    uint64_t id = 0;
    EXPECT_TRUE(ParseWindowId("123", id));
    EXPECT_EQ(id, 123u);
    EXPECT_FALSE(ParseWindowId("0x1ffffffffffffffff", id));
}

TEST(HostOptions, VersionAndHelpComeFromTheOptionTable) {
    EXPECT_TRUE(ParseHostOptions({"--version"}).version);
    EXPECT_FALSE(ParseHostOptions({"/S"}).verbose);  // quiet unless asked
    HostOptions verbose = ParseHostOptions({"-verbose", "/p", "1234"});
    EXPECT_TRUE(verbose.verbose);
    EXPECT_EQ(verbose.mode.parentWindow, 1234u);
    EXPECT_FALSE(ParseHostOptions({"--verbose=1"}).error.empty());
    EXPECT_TRUE(ParseHostOptions({"-version"}).error.empty());
    EXPECT_FALSE(ParseHostOptions({"--version=2"}).error.empty());  // a flag takes no value
    EXPECT_FALSE(ParseHostOptions({"--root=yes"}).error.empty());
    std::string usage = UsageText();
    for (const char* line :
         {"  /P ID ", "  --site URL      send every request", "                  the real services",
          "  --slide-ms N    show", "  --window-id ID  draw", "  --root          draw",
          "  --verbose       write one timestamped line", "  --version       print",
          "  --help          print"})
        EXPECT_NE(usage.find(line), std::string::npos) << line;
    EXPECT_EQ(usage.back(), '\n');
}

TEST(HostOptions, PhotoSourceAndCredits) {
    auto o = ParseHostOptions({"--photos", "commons", "--credits"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.photos, "commons");
    EXPECT_TRUE(o.credits);
    EXPECT_EQ(ParseHostOptions({"--photos=site"}).photos, "site");
    EXPECT_EQ(ParseHostOptions({}).photos, "");
    EXPECT_FALSE(ParseHostOptions({"--photos", "flickr"}).error.empty());
    EXPECT_FALSE(ParseHostOptions({"--photos"}).error.empty());
    EXPECT_FALSE(ParseHostOptions({"--credits=yes"}).error.empty());
    const std::string help = UsageText();
    EXPECT_NE(help.find("  --photos SOURCE  where photos come from"), std::string::npos) << help;
    EXPECT_NE(help.find("  --credits       print the credit"), std::string::npos) << help;
}

TEST(HostOptions, WeatherProvider) {
    EXPECT_EQ(ParseHostOptions({"--weather", "open-meteo"}).weather, "open-meteo");
    EXPECT_EQ(ParseHostOptions({"--weather=site"}).weather, "site");
    EXPECT_EQ(ParseHostOptions({}).weather, "");
    for (const char* wrong : {"openmeteo", "Site", ""})
        EXPECT_FALSE(ParseHostOptions({"--weather", wrong}).error.empty()) << wrong;
    EXPECT_FALSE(ParseHostOptions({"--weather"}).error.empty());
    EXPECT_NE(UsageText().find("  --weather PROVIDER  where the weather comes from"),
              std::string::npos);
}

TEST(HostOptions, FolderIsTakenOnlyWhenItNamesItselfExactly) {
    EXPECT_EQ(ParseHostOptions({"--folder", "/home/ann/Bilder", "/S"}).folder, u"/home/ann/Bilder");
    EXPECT_EQ(ParseHostOptions({"-folder=caf\xc3\xa9"}).folder, u"caf\u00e9");
    EXPECT_EQ(ParseHostOptions({"/S"}).folder, u"");
    const std::string longest(259, 'a');
    EXPECT_EQ(ParseHostOptions({"--folder", longest}).folder.size(), 259u);
    // Cut to 259 characters or with bytes turned into U+FFFD, the path
    // would name another folder.
    for (const std::string& wrong : {std::string(), longest + "b", std::string("bad\xff")}) {
        HostOptions o = ParseHostOptions({"--folder", wrong});
        EXPECT_NE(o.error.find("--folder needs a folder path"), std::string::npos) << wrong;
        EXPECT_TRUE(o.folder.empty());
    }
    EXPECT_FALSE(ParseHostOptions({"--folder"}).error.empty());
    EXPECT_NE(UsageText().find("  --folder DIR    show the JPEG photos in DIR"), std::string::npos)
        << UsageText();
}
