// The real program end to end: skyreel runs full-screen on its own Xvfb with
// a fresh HOME against the real demo site. The first run harvests the
// cache, learns the new version, caches the weather and shows photos, the
// two weather panels and the notice; SIGTERM ends it. The second run, on
// the same HOME, finds everything fresh and downloads nothing. A third run
// is stopped while its first download hangs.
//
// The screen is read back every 100 ms; a frame counts only when it equals
// the one read before, so a cross-fade in progress is not classified.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "demo/demo_site_process.h"
#include "e2e/data_folder.h"
#include "e2e/screen_frames.h"
#include "overlay/resource_images.h"
#include "photos/photo_credit.h"
#include "support/folder_snapshot.h"
#include "support/http_test_server.h"
#include "support/saver_process.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"
#include "support/xvfb.h"
#include "update/version_notice_layout.h"
#include "weather/weather_feed.h"
#include "weather/weather_scanner.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 720;
constexpr const char* kSlideMillis = "400";
constexpr int kCachedPhotos = 20;
// The first run: about 40 s of harvest, a restart, then 20 slides.
constexpr auto kFirstRunLimit = std::chrono::seconds(170);
// The saver must end within a second of SIGTERM.
constexpr int kStopMillis = 1000;

// The lines of the --verbose event log in a saver's output.
std::vector<std::string> EventLines(const std::string& log) {
    static const std::regex kLine(R"(skyreel: \d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} .*)");
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < log.size()) {
        std::size_t end = log.find('\n', from);
        if (end == std::string::npos) end = log.size();
        std::string line = log.substr(from, end - from);
        if (std::regex_match(line, kLine)) lines.push_back(line.substr(33));
        from = end + 1;
    }
    return lines;
}

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

fs::path DataFolderOf(const fs::path& home) {
    return home / "Pictures" / "Velmora" / "SkyreelSaver";
}

// The slides seen, in order, each run of equal frames once; black and
// unclear frames (fades, a photo still loading) are left out.
class SlideWatcher {
  public:
    SlideWatcher(const std::string& display, fs::path dataFolder)
        : screen_(display), folder_(std::move(dataFolder)) {
        if (const Picture* sign = GetResourceImage(kWarningSignId)) {
            signWidth_ = sign->width;
            signHeight_ = sign->height;
        }
    }
    bool ready() const { return screen_.connected() && signWidth_ > 0; }

    // One read; classifies the frame when it equals the previous one.
    void Look() {
        ScreenFrame frame = screen_.Read();
        if (!frame.rgb.empty() && frame == last_) {
            if (!WeatherReportComplete(report_)) report_ = CachedWeather(folder_);
            SlideKind kind = ClassifyFrame(frame, report_, signWidth_, signHeight_);
            if (kind != SlideKind::Unclear && kind != SlideKind::Black &&
                (seen_.empty() || seen_.back() != kind))
                seen_.push_back(kind);
        }
        last_ = std::move(frame);
    }
    const std::vector<SlideKind>& seen() const { return seen_; }

    // True when `pattern` appears in the slides seen, each after the other.
    bool SawInOrder(const std::vector<SlideKind>& pattern) const {
        return std::search(seen_.begin(), seen_.end(), pattern.begin(), pattern.end()) !=
               seen_.end();
    }

  private:
    ScreenReader screen_;
    fs::path folder_;
    WeatherReport report_;
    int signWidth_ = 0;
    int signHeight_ = 0;
    ScreenFrame last_;
    std::vector<SlideKind> seen_;
};

// One screen and one HOME for both runs: the second run needs the cache the
// first one filled.
class EndToEnd : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        xvfb_ = new XvfbServer(kScreenWidth, kScreenHeight);
        home_ = new TempDir();
    }
    static void TearDownTestSuite() {
        delete home_;
        delete xvfb_;
    }
    void SetUp() override { ASSERT_TRUE(xvfb_->running()); }

    static fs::path Home() { return home_->path(); }
    static fs::path Data() { return DataFolderOf(Home()); }
    static std::string Log(const char* name) { return ReadFileBytes(Home() / name); }

    static XvfbServer* xvfb_;
    static TempDir* home_;
};
XvfbServer* EndToEnd::xvfb_ = nullptr;
TempDir* EndToEnd::home_ = nullptr;

const std::vector<SlideKind> kInterludes = {SlideKind::Photo, SlideKind::CurrentPanel,
                                            SlideKind::ForecastPanel, SlideKind::Notice,
                                            SlideKind::Photo};

TEST_F(EndToEnd, FirstRunHarvestsShowsPanelsAndNoticeAndEndsOnSigterm) {
    DemoSiteProcess site;
    ASSERT_GT(site.port(), 0) << site.firstLine();
    SaverProcess saver(SKYREEL_BINARY, Home(), xvfb_->display(),
                       {"--site", site.url(), "--slide-ms", kSlideMillis, "/S"},
                       Home() / "first-run.log");
    ASSERT_TRUE(saver.started());
    SlideWatcher watcher(xvfb_->display(), Data());
    ASSERT_TRUE(watcher.ready());

    const auto start = Clock::now();
    // Twenty changes can come before the pass has stored its last photo:
    // wait for both.
    auto done = [&] {
        return watcher.SawInOrder(kInterludes) &&
               FilesEndingIn(Data(), ".jpg").size() >= size_t(kCachedPhotos);
    };
    while (Clock::now() - start < kFirstRunLimit && !done()) {
        ASSERT_TRUE(saver.Running()) << "the saver ended early:\n" << Log("first-run.log");
        watcher.Look();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }

    // The first harvest pass stored its 20 photos, and nothing else is left.
    std::set<std::string> photos = FilesEndingIn(Data(), ".jpg");
    EXPECT_EQ(photos.size(), size_t(kCachedPhotos));
    for (const std::string& name : photos) EXPECT_GT(fs::file_size(Data() / name), 1000u) << name;
    EXPECT_TRUE(FilesEndingIn(Data(), ".tmp").empty());
    EXPECT_TRUE(fs::exists(Data() / "index.htm"));

    // The settings file is UTF-16LE and holds the version of the update reply.
    std::string settingsBytes = ReadFileBytes(Data() / "settings.cfg");
    ASSERT_FALSE(settingsBytes.empty());
    EXPECT_EQ(settingsBytes.size() % 2, 0u);
    std::u16string settings = FromUtf16Le(settingsBytes);
    EXPECT_EQ(SettingValue(settings, u"newver"), u"1.1") << Utf16ToUtf8(settings);

    // The weather feed is cached, complete, for the default location.
    WeatherReport weather = CachedWeather(Data());
    EXPECT_TRUE(WeatherReportComplete(weather)) << ReadFileBytes(Data() / "weather.xml");

    EXPECT_TRUE(watcher.SawInOrder(kInterludes)) << "slides seen: " << Describe(watcher.seen());

    ASSERT_TRUE(saver.Running()) << Log("first-run.log");
    SaverProcess::Ending end = saver.Stop(SIGTERM, 10000);
    EXPECT_EQ(end.exitCode, 0) << Log("first-run.log");
    EXPECT_LE(end.millis, kStopMillis);
    // Without --verbose the saver says nothing of its own.
    EXPECT_TRUE(EventLines(Log("first-run.log")).empty()) << Log("first-run.log");
}

TEST_F(EndToEnd, SecondRunFindsTheCacheFreshAndDownloadsNothing) {
    ASSERT_EQ(FilesEndingIn(Data(), ".jpg").size(), size_t(kCachedPhotos))
        << "needs the cache of the first run";
    const std::set<std::string> photos = FilesEndingIn(Data(), ".jpg");
    const auto pageTime = fs::last_write_time(Data() / "index.htm");
    // A partial download left by a run that was killed.
    WriteFileBytes(Data() / "12_3456789.jpg.tmp", std::string(500, 'x'));

    HttpTestServer server;
    SaverProcess saver(SKYREEL_BINARY, Home(), xvfb_->display(),
                       {"--site", Utf16ToUtf8(server.BaseUrl()), "--slide-ms", kSlideMillis, "/S"},
                       Home() / "second-run.log");
    ASSERT_TRUE(saver.started());
    SlideWatcher watcher(xvfb_->display(), Data());
    ASSERT_TRUE(watcher.ready());

    // Long enough for the periodic check to fire at least once (it arms
    // with the first slide and fires more than 5 s later).
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::seconds(14)) {
        ASSERT_TRUE(saver.Running()) << "the saver ended early:\n" << Log("second-run.log");
        watcher.Look();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(saver.Running()) << Log("second-run.log");
    SaverProcess::Ending end = saver.Stop(SIGTERM, 10000);
    EXPECT_EQ(end.exitCode, 0) << Log("second-run.log");
    EXPECT_LE(end.millis, kStopMillis);

    EXPECT_TRUE(watcher.SawInOrder({SlideKind::Photo}))
        << "slides seen: " << Describe(watcher.seen());
    EXPECT_TRUE(FilesEndingIn(Data(), ".tmp").empty());
    EXPECT_EQ(FilesEndingIn(Data(), ".jpg"), photos);
    EXPECT_EQ(fs::last_write_time(Data() / "index.htm"), pageTime);
    // Nothing at all: the page is fresh, 20 photos are cached (so no
    // harvest and no update query) and the weather feed is fresh.
    std::string paths;
    for (const auto& r : server.Requests()) paths += r.path + "\n";
    EXPECT_EQ(server.RequestCount("/search/photo.search"), 0) << paths;
    EXPECT_EQ(paths.find("/aviation-photos/"), std::string::npos) << paths;
    EXPECT_TRUE(paths.empty()) << paths;
}

TEST_F(EndToEnd, SigtermDuringADownloadEndsTheSaverWithinASecond) {
    TempDir home;
    HttpTestServer server;
    // The gallery page's headers come, its body never does.
    server.Silence("/search/photo.search", 100000);
    SaverProcess saver(
        SKYREEL_BINARY, home.path(), xvfb_->display(),
        {"--site", Utf16ToUtf8(server.BaseUrl()), "--slide-ms", kSlideMillis, "--verbose", "/S"},
        home / "saver.log");
    ASSERT_TRUE(saver.started());
    // An empty cache starts the harvest at once.
    const auto start = Clock::now();
    while (server.RequestCount("/search/photo.search") == 0 &&
           Clock::now() - start < std::chrono::seconds(30)) {
        ASSERT_TRUE(saver.Running()) << ReadFileBytes(home / "saver.log");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_EQ(server.RequestCount("/search/photo.search"), 1);
    // Time for the page file to be opened.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    ASSERT_TRUE(saver.Running()) << ReadFileBytes(home / "saver.log");
    SaverProcess::Ending end = saver.Stop(SIGTERM, 10000);
    EXPECT_EQ(end.exitCode, 0) << ReadFileBytes(home / "saver.log");
    EXPECT_LE(end.millis, kStopMillis);
    // The unfinished page is not kept as if it were the gallery.
    EXPECT_FALSE(fs::exists(DataFolderOf(home.path()) / "index.htm"));

    // --verbose told why nothing showed: the empty cache, the requests with
    // their outcomes, the pass, and what ended the run.
    const std::string log = ReadFileBytes(home / "saver.log");
    const std::vector<std::string> events = EventLines(log);
    EXPECT_TRUE(HasLineStarting(events, "saver mode started, data folder ")) << log;
    EXPECT_TRUE(HasLineStarting(events, "cache scan: 0 photos")) << log;
    EXPECT_TRUE(HasLineStarting(events, "request " + Utf16ToUtf8(server.BaseUrl()) +
                                            "/screensavers/update.php?app=skyreel&ver=1.0&uid="))
        << log;
    EXPECT_TRUE(HasLineStarting(events, "harvest pass: no gallery page, 0 new photos")) << log;
    EXPECT_TRUE(HasLineStarting(events, "saver mode ended: signal SIGTERM")) << log;
    bool pageAbandoned = std::any_of(events.begin(), events.end(), [](const std::string& l) {
        return l.find("/search/photo.search") != std::string::npos &&
               l.find(": abandoned: stop requested") != std::string::npos;
    });
    EXPECT_TRUE(pageAbandoned) << log;
}

// A folder of the user's own: its photos are shown, nothing is harvested,
// and the folder is left exactly as it was, although it holds more photos
// than the cache limit (a cache that large would lose one per change),
// links out of it and back into it, a name that is no UTF-8, a corrupt
// photo and one whose header claims 60000 x 60000 pixels.
TEST_F(EndToEnd, AFolderOfTheUsersIsShownAndLeftAsItWas) {
    TempDir home, user;
    const Rgb colour{200, 40, 160};
    WriteTestJpeg(user / "first.jpg", 640, 480, colour, colour);
    const std::string jpeg = ReadFileBytes(user / "first.jpg");
    for (int i = 0; i < 150; ++i) {
        const fs::path folder = user / ("roll" + std::to_string(i % 4));
        fs::create_directories(folder);
        WriteFileBytes(folder / ("IMG_" + std::to_string(i) + (i % 2 ? ".JPG" : ".jpeg")), jpeg);
    }
    WriteFileBytes(user / "corrupt.jpg", "\xFF\xD8 broken");
    std::string huge = jpeg;  // claims 60000 x 60000
    const size_t sof = huge.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    huge.replace(sof + 5, 4, "\xEA\x60\xEA\x60");
    WriteFileBytes(user / "huge.jpg", huge);
    // A photo of another colour behind a link out of the folder, one behind
    // a name that is no UTF-8, and a link that loops: none is shown.
    TempDir outside;
    const Rgb other{40, 200, 60};
    WriteTestJpeg(outside / "other.jpg", 640, 480, other, other);
    fs::create_directory_symlink(outside.path(), user / "elsewhere");
    fs::create_directory_symlink(user.path(), user / "loop");
    WriteFileBytes(user / "bad\xff.jpg", ReadFileBytes(outside / "other.jpg"));
    const FolderSnapshot before = SnapshotFolder(user.path());

    HttpTestServer server;
    SaverProcess saver(SKYREEL_BINARY, home.path(), xvfb_->display(),
                       {"--site", Utf16ToUtf8(server.BaseUrl()), "--slide-ms", kSlideMillis,
                        "--folder", user.path().string(), "--verbose", "/S"},
                       home / "folder.log");
    ASSERT_TRUE(saver.started());
    ScreenReader screen(xvfb_->display());
    ASSERT_TRUE(screen.connected());
    // Photos change about every second and a half: several changes, each
    // of which would trim a cache of 150.
    int photoFrames = 0, otherFrames = 0;
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::seconds(12)) {
        ASSERT_TRUE(saver.Running()) << ReadFileBytes(home / "folder.log");
        ScreenFrame frame = screen.Read();
        if (!frame.rgb.empty()) {
            const uint32_t c = frame.At(kScreenWidth / 2, kScreenHeight / 2);
            const Rgb centre{int(c >> 16), int((c >> 8) & 0xFF), int(c & 0xFF)};
            if (Near(centre, colour, 12)) ++photoFrames;
            if (Near(centre, other, 40)) ++otherFrames;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    SaverProcess::Ending end = saver.Stop(SIGTERM, 10000);
    const std::string log = ReadFileBytes(home / "folder.log");
    EXPECT_EQ(end.exitCode, 0) << log;
    EXPECT_LE(end.millis, kStopMillis);
    EXPECT_GT(photoFrames, 10) << log;
    EXPECT_EQ(otherFrames, 0) << log;

    EXPECT_EQ(SnapshotDifference(before, SnapshotFolder(user.path())), "");
    const std::vector<std::string> events = EventLines(log);
    EXPECT_TRUE(HasLineStarting(events, "photo folder walk: 153 photos in 160 entries")) << log;
    EXPECT_FALSE(HasLineStarting(events, "harvest pass")) << log;
    // The start's timeline: each moment once, in order, with a count of
    // milliseconds that never goes back.
    const char* const kMoments[] = {"process",
                                    "window and GL context",
                                    "first photo chosen",
                                    "first photo decoded",
                                    "first photo uploaded",
                                    "first photo presented"};
    std::vector<std::string> timeline;
    for (const std::string& e : events)
        if (e.rfind("start: ", 0) == 0) timeline.push_back(e);
    ASSERT_EQ(timeline.size(), std::size(kMoments)) << log;
    long last = -1;
    for (size_t i = 0; i < timeline.size(); ++i) {
        const std::string expected = std::string("start: ") + kMoments[i] + ", ";
        ASSERT_EQ(timeline[i].rfind(expected, 0), 0u) << timeline[i];
        const long ms = std::stol(timeline[i].substr(expected.size()));
        EXPECT_GE(ms, last) << timeline[i];
        last = ms;
    }
    for (const auto& r : server.Requests()) {
        EXPECT_EQ(r.path.find("/search/"), std::string::npos) << r.path;
        EXPECT_EQ(r.path.find("/aviation-photos/"), std::string::npos) << r.path;
    }
    EXPECT_TRUE(FilesEndingIn(DataFolderOf(home.path()), ".jpg").empty());

    // The data folder, or a folder in it, is refused like a bad option.
    const fs::path inside = DataFolderOf(home.path()) / "sub";
    fs::create_directories(inside);
    for (const fs::path& refused : {DataFolderOf(home.path()), inside}) {
        const std::string command =
            "HOME='" + home.path().string() + "' XDG_CONFIG_HOME='" + (home / ".config").string() +
            "' '" SKYREEL_BINARY "' --folder '" + refused.string() + "' /S 2>&1";
        std::string out;
        FILE* f = popen(command.c_str(), "r");
        ASSERT_NE(f, nullptr);
        char buf[512];
        while (fgets(buf, sizeof buf, f)) out += buf;
        const int status = pclose(f);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << out;
        EXPECT_NE(out.find("skyreel: --folder DIR must lie outside the saver's data folder"),
                  std::string::npos)
            << out;
    }
}

// --credits prints the credit inside each cached photo, one line each, and
// nothing for a photo without one; the folder is left as it was.
TEST(Credits, OneTabSeparatedLinePerCreditedPhoto) {
    TempDir home;
    const fs::path data = DataFolderOf(home.path());
    fs::create_directories(data);
    std::string jpeg("\xFF\xD8\xFF\xD9", 4);
    ASSERT_TRUE(EmbedPhotoCredit(
        jpeg, PhotoCredit{"Rama & Mus\xC3\xA9"
                          "e Bolo",
                          "CC BY-SA 2.0 fr", "https://commons.wikimedia.org/w/index.php?curid=7",
                          "A plane"}));
    WriteFileBytes(data / "7.jpg", jpeg);
    WriteFileBytes(data / "plain.jpg", std::string("\xFF\xD8\xFF\xD9", 4));
    const std::string command = "HOME='" + home.path().string() + "' XDG_CONFIG_HOME='" +
                                (home / ".config").string() + "' '" SKYREEL_BINARY "' --credits";
    std::string out;
    FILE* f = popen(command.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char buf[512];
    while (fgets(buf, sizeof buf, f)) out += buf;
    EXPECT_EQ(pclose(f), 0);
    EXPECT_EQ(out,
              "7.jpg\tRama & Mus\xC3\xA9"
              "e Bolo\tCC BY-SA 2.0 fr\t"
              "https://commons.wikimedia.org/w/index.php?curid=7\tA plane\n");
    EXPECT_FALSE(fs::exists(data / "settings.cfg"));
}

}  // namespace
