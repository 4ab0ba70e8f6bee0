// The real scheduler over a real photo cache, with the GL work recorded
// instead of drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/event_log.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "base/saver_app.h"
#include "base/text.h"
#include "harvest/gallery_refresh.h"
#include "harvest/photo_harvest.h"
#include "host/triggers.h"
#include "net/endpoints.h"
#include "overlay/slide_slot.h"
#include "photos/photo_cache.h"
#include "photos/photo_folder.h"
#include "photos/photo_list.h"
#include "photos/photo_source.h"
#include "settings/settings.h"
#include "slideshow/slideshow.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"
#include "weather/weather_report.h"

namespace {
constexpr int kViewWidth = 1920;
constexpr int kViewHeight = 1080;
constexpr int kFadeFrames = 51;

struct Drawn {
    int slot;
    float alpha;
};

// What the scheduler asked of the GL side. Main thread only.
struct Recording {
    std::vector<std::string> loads;       // "<slot>:<file name>" or "<slot>:none"
    std::vector<Drawn> drawn;             // quads of the last frame
    std::vector<ViewportRect> viewports;  // of the last frame, in the order used
    int clears = 0;
    int renewals = 0;
    int lastPause = 0;
    std::vector<std::string> prefetches;  // file names announced ahead
};
Recording rec;

void RecordRenew(int slot) {
    ++rec.renewals;
    if (SlideSlots[slot].texture == 0) SlideSlots[slot].texture = 10 + slot;
}
void RecordDelete(int slot) {
    SlideSlots[slot] = SlideSlot{};
}
void RecordLoad(const PathText* path, int slot) {
    std::string name = "none";
    if (path) name = ToPath(path->view()).filename().string();
    rec.loads.push_back(std::to_string(slot) + ":" + name);
    SlideSlots[slot].contentWidth = path ? 640.0f : 0.0f;
    SlideSlots[slot].contentHeight = path ? 480.0f : 0.0f;
}
void RecordInterlude(Interlude what, int slot) {
    static const char* const kNames[] = {"none", "current", "forecast", "notice"};
    rec.loads.push_back(std::to_string(slot) + ":" + kNames[static_cast<int>(what)]);
    SlideSlots[slot].contentWidth = 1920.0f;
    SlideSlots[slot].contentHeight = 1080.0f;
}
void RecordViewport(int& w, int& h) {
    w = kViewWidth;
    h = kViewHeight;
}
void RecordClear() {
    ++rec.clears;
    rec.drawn.clear();
    rec.viewports.clear();
}
void RecordUseViewport(int x, int y, int width, int height) {
    rec.viewports.push_back({x, y, width, height});
}
void RecordQuad(int slot, float alpha, const SlotGeometry&) {
    rec.drawn.push_back({slot, alpha});
}
void RecordPause(int ms) {
    rec.lastPause = ms;
}
void RecordPrefetch(const PathText& path) {
    rec.prefetches.push_back(ToPath(path.view()).filename().string());
}

const SlideshowOps kRecordingOps = {RecordRenew,    RecordDelete, RecordLoad,        RecordPrefetch,
                                    RecordViewport, RecordClear,  RecordUseViewport, RecordQuad,
                                    RecordPause,    nullptr};
// The saver's own triggers, with the interludes recorded instead of painted.
const SlideshowHooks kRecordingHooks = [] {
    SlideshowHooks hooks = kTriggerHooks;
    hooks.paintInterlude = RecordInterlude;
    return hooks;
}();

std::string Photo(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "p%03d.jpg", i);
    return name;
}

class Scheduler : public ::testing::Test {
  protected:
    void SetUp() override {
        rec = Recording{};
        SlideSlots[0] = SlideSlots[1] = SlideSlot{};
        AttachSlideshow(kRecordingOps, kRecordingHooks);
        SetSlideshowViewports(ViewportList{});
        SetManualTickCount(tick);
        // Background work started by the show talks to this server only.
        ASSERT_TRUE(SetSiteOverride(server.BaseUrl()));
        Triggers = TriggerState{};
        NewPhotosFlag = false;
        ResetHarvestBackoff();
        LastRefreshTime = FileTimeNow();
        Settings = SettingsRecord{};
        Settings.weather_loc_id.Assign(u"RSXX0091");
        PublishWeatherReport(WeatherReport{});  // no weather known yet
    }
    void TearDown() override {
        ASSERT_TRUE(WaitBackgroundThreads(10000));
        ResetClocks();
        std::lock_guard<std::mutex> lock(PhotoListLock);
        FreePhotoList(PhotoList);
        PhotoList = nullptr;
    }
    // A fresh weather feed with current conditions: the panels have weather to show.
    void WriteWeatherFeed() {
        WriteFileBytes(dir / "weather.xml",
                       "<weather><loc id=\"RSXX0091\"><dnam>Saint-Petersburg, Russia</dnam></loc>"
                       "<cc><lsup>12/8/26 8:00 AM MSK</lsup><tmp>-3</tmp><t>Snow</t></cc>"
                       "</weather>");
    }
    // Photo i is older than photo i + 1.
    void WritePhotos(int count) {
        for (int i = 0; i < count; ++i) WritePhoto(i);
    }
    void WritePhoto(int i) {
        WriteFileBytes(dir / Photo(i), "jpeg");
        SetFileLastWriteTime(dir / Photo(i),
                             kFileTimeUnixEpoch + (1'600'000'000LL + i) * kFileTimeTicksPerSecond);
    }
    void AppendPhotoFile(int i) {
        WritePhoto(i);
        FindData data;
        ASSERT_TRUE(ReadFindData(Utf8ToUtf16(Photo(i)), data));
        std::lock_guard<std::mutex> lock(PhotoListLock);
        AppendPhoto(MakePhotoEntry(data));
    }
    void SetTick(uint32_t t) {
        tick = t;
        SetManualTickCount(t);
    }
    // Runs frames until the state leaves `state` or `limit` frames passed;
    // returns the number of frames drawn.
    int FramesWhile(int32_t state, int limit = 1000) {
        int frames = 0;
        while (SlideState == state && frames < limit) {
            DrawFrame();
            ++frames;
        }
        return frames;
    }
    void FramesWhileIntroFade() {
        for (int frames = 0; IntroFade && frames <= kFadeFrames; ++frames) DrawFrame();
    }
    // One whole slide change from Showing: display time, cross-fade, Advance.
    void Transition() {
        ASSERT_EQ(SlideState, Showing);
        FramesWhileIntroFade();
        UpdateSlideshow();  // arms ShowStart
        SetTick(tick + static_cast<uint32_t>(SaverApp.SlideMillis) + 1);
        UpdateSlideshow();
        ASSERT_EQ(SlideState, Fading);
        ASSERT_EQ(FramesWhile(Fading), kFadeFrames);
        UpdateSlideshow();
        ASSERT_EQ(SlideState, Showing);
    }

    // The slide loaded at each of `n` transitions, without its slot.
    std::vector<std::string> Slides(int n) {
        std::vector<std::string> out;
        for (int i = 0; i < n; ++i) {
            Transition();
            out.push_back(rec.loads.back().substr(2));
        }
        return out;
    }

    HttpTestServer server;
    TempDataFolder dir;
    uint32_t tick = 777;
};

std::string NextPhoto(const std::string& name, int count) {
    return Photo((std::stoi(name.substr(1, 3)) + 1) % count);
}
}  // namespace

TEST_F(Scheduler, WalksEveryStateFromAnEmptyCache) {
    ScanCache();
    EXPECT_EQ(SlideState, Start);
    UpdateSlideshow();
    EXPECT_EQ(SlideState, NoPhotos);
    EXPECT_EQ(rec.renewals, 2);
    EXPECT_TRUE(rec.loads.empty());
    EXPECT_EQ(DrawFrame(), 1);  // the black screen, once
    EXPECT_TRUE(rec.drawn.empty());
    EXPECT_EQ(rec.lastPause, 20);
    EXPECT_EQ(DrawFrame(), 0);

    // The first photo fades in over 51 frames and then stays.
    AppendPhotoFile(0);
    UpdateSlideshow();
    EXPECT_EQ(SlideState, OnePhoto);
    EXPECT_EQ(rec.loads, std::vector<std::string>{"0:p000.jpg"});
    std::vector<float> alphas;
    for (int i = 0; i < kFadeFrames; ++i) {
        EXPECT_EQ(DrawFrame(), 1);
        ASSERT_EQ(rec.drawn.size(), 1u);
        alphas.push_back(rec.drawn[0].alpha);
    }
    EXPECT_EQ(alphas.front(), 0.0f);
    EXPECT_GT(alphas.back(), 0.99f);
    EXPECT_LT(alphas.back(), 1.0f);
    EXPECT_FALSE(IntroFade);
    EXPECT_EQ(DrawFrame(), 1);  // first frame at full opacity
    EXPECT_EQ(rec.drawn[0].alpha, 1.0f);
    EXPECT_EQ(DrawFrame(), 0);  // a still slide is not presented again
    UpdateSlideshow();
    EXPECT_EQ(SlideState, OnePhoto);  // no transition with one photo
    RequestRedraw();
    EXPECT_EQ(DrawFrame(), 1);

    // A second photo starts the show.
    AppendPhotoFile(1);
    UpdateSlideshow();
    EXPECT_EQ(SlideState, Showing);
    EXPECT_EQ(PhotoIndex, 1);
    EXPECT_EQ(rec.loads.back(), "1:p001.jpg");

    UpdateSlideshow();
    EXPECT_EQ(ShowStart, tick);
    SetTick(tick + 10000);  // exactly the display time: not yet
    UpdateSlideshow();
    EXPECT_EQ(SlideState, Showing);
    SetTick(tick + 1);
    UpdateSlideshow();
    EXPECT_EQ(SlideState, Fading);
    EXPECT_EQ(ShowStart, 0u);

    // The cross-fade: outgoing slot first at 1 - f, incoming over it at f.
    DrawFrame();
    ASSERT_EQ(rec.drawn.size(), 2u);
    EXPECT_EQ(rec.drawn[0].slot, 0);
    EXPECT_EQ(rec.drawn[0].alpha, 1.0f);
    EXPECT_EQ(rec.drawn[1].slot, 1);
    EXPECT_EQ(rec.drawn[1].alpha, 0.0f);
    EXPECT_EQ(FramesWhile(Fading), kFadeFrames - 1);
    EXPECT_EQ(SlideState, Advance);
    ASSERT_EQ(rec.drawn.size(), 2u);
    EXPECT_NEAR(rec.drawn[1].alpha, 1.0f, 0.02f);

    EXPECT_EQ(DrawFrame(), 1);  // Advance shows the incoming slot alone
    ASSERT_EQ(rec.drawn.size(), 1u);
    EXPECT_EQ(rec.drawn[0].slot, 1);

    UpdateSlideshow();
    EXPECT_EQ(SlideState, Showing);
    EXPECT_EQ(FrontSlot, 1);
    EXPECT_EQ(PhotoIndex, 0);
    EXPECT_EQ(rec.loads.back(), "0:p000.jpg");  // wraps to the first photo
}

TEST_F(Scheduler, StartsAtTheTickCountModuloTheCountAndWraps) {
    WritePhotos(10);
    ScanCache();
    SetTick(12345);
    UpdateSlideshow();
    // The second slot's photo is decoded ahead and loaded after the intro fade.
    EXPECT_EQ(rec.loads, (std::vector<std::string>{"0:p005.jpg"}));
    EXPECT_EQ(rec.prefetches, (std::vector<std::string>{"p006.jpg"}));
    FramesWhileIntroFade();
    UpdateSlideshow();
    EXPECT_EQ(rec.loads.size(), 1u);  // the slide's time starts
    UpdateSlideshow();
    EXPECT_EQ(rec.loads, (std::vector<std::string>{"0:p005.jpg", "1:p006.jpg"}));

    rec.loads.clear();
    ScanCache();
    SetTick(9);
    UpdateSlideshow();
    EXPECT_TRUE(IntroFade);
    EXPECT_EQ(FrontSlot, 0);
    Transition();
    EXPECT_EQ(rec.loads[1], "1:p000.jpg");
    EXPECT_EQ(rec.loads.back(), "0:p001.jpg");
}

TEST_F(Scheduler, ADisplayTimeShorterThanTheIntroFadeWaitsForItsEnd) {
    struct SlideTime {
        int32_t saved = SaverApp.SlideMillis;
        ~SlideTime() { SaverApp.SlideMillis = saved; }
    } restore;
    SaverApp.SlideMillis = 400;
    WritePhotos(3);
    ScanCache();
    UpdateSlideshow();
    UpdateSlideshow();  // arms ShowStart
    DrawFrame();
    SetTick(tick + 401);
    UpdateSlideshow();
    EXPECT_EQ(SlideState, Showing);
    FramesWhileIntroFade();
    EXPECT_FALSE(IntroFade);
    EXPECT_EQ(SlideState, Showing);
    UpdateSlideshow();
    EXPECT_EQ(SlideState, Fading);
    // The cross-fade starts from the whole slide, and the next slide stays
    // at full opacity once it is in.
    DrawFrame();
    ASSERT_EQ(rec.drawn.size(), 2u);
    EXPECT_EQ(rec.drawn[0].alpha, 1.0f);
    EXPECT_EQ(rec.drawn[1].alpha, 0.0f);
    EXPECT_EQ(FramesWhile(Fading), kFadeFrames - 1);
    UpdateSlideshow();
    EXPECT_EQ(SlideState, Showing);
    RequestRedraw();
    DrawFrame();
    ASSERT_EQ(rec.drawn.size(), 1u);
    EXPECT_EQ(rec.drawn[0].alpha, 1.0f);
}

TEST_F(Scheduler, ChangesAboveTheCacheLimitDeleteTheOldestPhoto) {
    WritePhotos(105);
    ScanCache();
    SetTick(103);  // starts at entries 103 and 104
    UpdateSlideshow();
    EXPECT_EQ(PhotoIndex, 104);

    // PhotoIndex above 0: the oldest goes and the index stays (104 % 104).
    Transition();
    EXPECT_EQ(PhotoCount(), 104);
    EXPECT_FALSE(std::filesystem::exists(dir / Photo(0)));
    EXPECT_EQ(PhotoIndex, 0);
    EXPECT_EQ(rec.loads.back(), "0:p001.jpg");

    // PhotoIndex 0: nothing is deleted at this change.
    Transition();
    EXPECT_EQ(PhotoCount(), 104);
    EXPECT_EQ(rec.loads.back(), "1:p002.jpg");

    for (int i = 0; i < 6; ++i) Transition();
    EXPECT_EQ(PhotoCount(), 100);
    for (int i = 0; i <= 4; ++i) EXPECT_FALSE(std::filesystem::exists(dir / Photo(i)));
    EXPECT_TRUE(std::filesystem::exists(dir / Photo(5)));
    // Every change since the last deletion moves on by one photo.
    std::string last = rec.loads.back();
    Transition();
    EXPECT_EQ(PhotoCount(), 100);
    EXPECT_NE(rec.loads.back(), last);
}

TEST_F(Scheduler, EachSlideAnnouncesThePhotoTheNextChangeLoads) {
    // Across the cache limit (deletions keep the index) and the wrap at the end.
    WritePhotos(103);
    ScanCache();
    SetTick(100);  // starts at entries 100 and 101
    UpdateSlideshow();
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        Transition();
        ASSERT_FALSE(rec.prefetches.empty());
        EXPECT_EQ(rec.loads.back().substr(2), rec.prefetches.back());
    }
    EXPECT_EQ(PhotoCount(), 100);
}

TEST_F(Scheduler, EveryViewportShowsTheSlotsOfTheFrameAndChangesRedraw) {
    WritePhotos(2);
    ScanCache();
    UpdateSlideshow();
    FramesWhileIntroFade();
    // No list: the whole window, one quad.
    RequestRedraw();
    ASSERT_EQ(DrawFrame(), 1);
    ASSERT_EQ(rec.viewports.size(), 1u);
    EXPECT_EQ(rec.viewports[0], (ViewportRect{0, 0, kViewWidth, kViewHeight}));
    EXPECT_EQ(rec.drawn.size(), 1u);
    EXPECT_EQ(DrawFrame(), 0);

    ViewportList two;
    two.items[two.count++] = {0, 0, 1280, 720};
    two.items[two.count++] = {1280, 0, 640, 1080};
    SetSlideshowViewports(two);
    ASSERT_EQ(DrawFrame(), 1);
    ASSERT_EQ(rec.viewports.size(), 2u);
    EXPECT_EQ(rec.viewports[1], two.items[1]);
    EXPECT_EQ(rec.drawn.size(), 2u);
    int width = 0, height = 0;
    PhotoDecodeExtent(width, height);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 1080);

    // A cross-fade draws both slots into each viewport, outgoing first.
    UpdateSlideshow();
    SetTick(tick + static_cast<uint32_t>(SaverApp.SlideMillis) + 1);
    UpdateSlideshow();
    ASSERT_EQ(SlideState, Fading);
    DrawFrame();
    ASSERT_EQ(rec.drawn.size(), 4u);
    EXPECT_EQ(rec.drawn[0].slot, rec.drawn[2].slot);
    EXPECT_EQ(rec.drawn[1].slot, rec.drawn[3].slot);
    EXPECT_NE(rec.drawn[0].slot, rec.drawn[1].slot);
    // The change loads one photo for all of them.
    const size_t loads = rec.loads.size();
    FramesWhile(Fading);
    UpdateSlideshow();
    EXPECT_EQ(rec.loads.size(), loads + 1);
}

TEST_F(Scheduler, TheFramePauseTopsTheFrameUpTo20Ms) {
    DrawFrame();  // the frame clock starts at the end of this pause
    EXPECT_EQ(rec.lastPause, 20);
    SetTick(tick + 7);
    DrawFrame();
    EXPECT_EQ(rec.lastPause, 13);
    SetTick(tick + 35);  // a slow frame pays no pause at all
    DrawFrame();
    EXPECT_EQ(rec.lastPause, 0);
    DrawFrame();
    EXPECT_EQ(rec.lastPause, 20);
}

TEST_F(Scheduler, ARescanRestartsTheShowFromStart) {
    WritePhotos(2);
    ScanCache();
    SetTick(0);
    UpdateSlideshow();
    std::filesystem::remove(dir / Photo(0));
    ScanCache();  // the list now holds one photo
    UpdateSlideshow();
    EXPECT_EQ(SlideState, OnePhoto);
    EXPECT_EQ(rec.loads.back(), "0:p001.jpg");
}

TEST_F(Scheduler, EveryTwentiethChangeBringsBothPanelsThenTheNotice) {
    WritePhotos(10);
    WriteWeatherFeed();
    StoreNewVersion(u"1.1");
    SetTick(3);
    ScanCache();
    UpdateSlideshow();  // Start: slots hold p003 and p004
    std::vector<std::string> slides = Slides(25);
    EXPECT_EQ(slides[19], "current");
    EXPECT_EQ(slides[20], "forecast");
    EXPECT_EQ(slides[21], "notice");
    // The photos go on where they stopped, as if the interludes had not been.
    std::string last = "p004.jpg";
    for (int i = 0; i < 25; ++i) {
        if (i >= 19 && i <= 21) continue;
        EXPECT_EQ(slides[i], NextPhoto(last, 10)) << "transition " << i + 1;
        last = slides[i];
    }
    EXPECT_EQ(Triggers.TransitionCount, 25);
}

TEST_F(Scheduler, WithoutCurrentConditionsThePanelsAreLeftOut) {
    WritePhotos(10);
    StoreNewVersion(u"1.1");
    // Never fetched: the notice alone takes the twentieth change.
    ScanCache();
    UpdateSlideshow();
    std::vector<std::string> slides = Slides(23);
    EXPECT_EQ(slides[19], "notice");
    EXPECT_EQ(std::count(slides.begin(), slides.end(), "current"), 0);
    EXPECT_EQ(std::count(slides.begin(), slides.end(), "forecast"), 0);

    // A feed without current conditions counts as none; with the notices
    // off the slide stays a photo. (A running feed download would keep the
    // file from being loaded.)
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    WriteFileBytes(dir / "weather.xml",
                   "<weather><loc id=\"RSXX0091\"><dnam>Saint-Petersburg, Russia</dnam>"
                   "<sunr>8:57 AM</sunr></loc><dayf><day dt=\"Dec 8\"><hi>-1</hi></day></dayf>"
                   "</weather>");
    Settings.show_newver = 0;
    struct LogOff {
        ~LogOff() { EventLogEnabled = false; }
    } off;
    EventLogEnabled = true;
    testing::internal::CaptureStderr();
    ScanCache();
    UpdateSlideshow();
    slides = Slides(21);
    std::string log = testing::internal::GetCapturedStderr();
    EventLogEnabled = false;
    EXPECT_TRUE(slides[19].rfind("p00", 0) == 0) << slides[19];
    EXPECT_TRUE(slides[20].rfind("p00", 0) == 0) << slides[20];
    // The log says why the slide stayed a photo, once, and counts the scan.
    EXPECT_NE(log.find(" cache scan: 10 photos\n"), std::string::npos) << log;
    const std::string skipped =
        " interlude skipped: no current conditions in the report; notices off\n";
    ASSERT_NE(log.find(skipped), std::string::npos) << log;
    EXPECT_EQ(log.find(skipped, log.find(skipped) + 1), std::string::npos) << log;

    // Once the report holds current conditions the panels come back.
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    WriteWeatherFeed();
    EventLogEnabled = true;
    testing::internal::CaptureStderr();
    ScanCache();
    UpdateSlideshow();
    slides = Slides(21);
    log = testing::internal::GetCapturedStderr();
    EventLogEnabled = false;
    EXPECT_EQ(slides[19], "current");
    EXPECT_EQ(slides[20], "forecast");
    EXPECT_NE(log.find(" interlude: current conditions panel\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" interlude: forecast panel\n"), std::string::npos) << log;
}

TEST_F(Scheduler, WithoutWeatherTheNoticeAloneTakesEveryTwentiethChange) {
    WritePhotos(5);
    Settings.show_weather = 0;
    StoreNewVersion(u"2.0");
    ScanCache();
    UpdateSlideshow();
    std::vector<std::string> slides = Slides(41);
    for (int i = 0; i < 41; ++i)
        EXPECT_EQ(slides[i] == "notice", i == 19 || i == 39) << "transition " << i + 1;
}

TEST_F(Scheduler, NoNoticeWithoutANewerVersionOrWhenSwitchedOff) {
    WritePhotos(3);
    Settings.show_weather = 0;
    for (auto version : {u"", u"1.0", u"1.0", u"3.0"}) {
        StoreNewVersion(version);
        Settings.show_newver = std::u16string_view(version) == u"3.0" ? 0 : 1;
        ScanCache();
        UpdateSlideshow();
        std::vector<std::string> slides = Slides(20);
        EXPECT_NE(slides[19], "notice");
        EXPECT_TRUE(std::string(slides[19]).rfind("p00", 0) == 0) << slides[19];
    }
    StoreNewVersion(u"1.0");
    EXPECT_FALSE(NewerVersionKnown());
    StoreNewVersion(u"1.0 ");
    EXPECT_TRUE(NewerVersionKnown());
}

TEST_F(Scheduler, NewPhotosFadeTheSlideToBlackAndRestartTheShow) {
    WritePhotos(3);
    ScanCache();
    UpdateSlideshow();
    FramesWhileIntroFade();
    UpdateSlideshow();  // arms ShowStart
    SetTick(tick + static_cast<uint32_t>(SaverApp.SlideMillis) + 1);
    UpdateSlideshow();
    ASSERT_EQ(SlideState, Fading);
    WritePhoto(3);
    NewPhotosFlag = true;  // a harvest pass stored a photo
    const int outgoing = FrontSlot;
    while (SlideState == Fading) {
        DrawFrame();
        for (const Drawn& d : rec.drawn) EXPECT_EQ(d.slot, outgoing);
    }
    DrawFrame();  // Advance: nothing shows
    EXPECT_TRUE(rec.drawn.empty());
    UpdateSlideshow();  // the rescan
    EXPECT_FALSE(NewPhotosFlag);
    EXPECT_EQ(PhotoCount(), 4);
    EXPECT_EQ(SlideState, Start);
    UpdateSlideshow();
    EXPECT_EQ(SlideState, Showing);
    EXPECT_TRUE(IntroFade);
}

TEST_F(Scheduler, HarvestStartsAtStartBelowTwentyPhotos) {
    const std::string gallery = "/search/photo.search";
    WritePhotos(19);
    ScanCache();
    UpdateSlideshow();
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    EXPECT_EQ(server.RequestCount(gallery), 1);
    WritePhoto(19);
    ScanCache();
    UpdateSlideshow();
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    EXPECT_EQ(server.RequestCount(gallery), 1);
    EXPECT_GE(server.RequestCount("/weather/local/RSXX0091"), 2);  // weather checked each time
}

TEST_F(Scheduler, PeriodicCheckRefreshesAStalePageWhileASlideIsOnShow) {
    const std::string gallery = "/search/photo.search";
    WritePhotos(20);
    ScanCache();
    UpdateSlideshow();
    UpdateSlideshow();    // arms ShowStart
    LastRefreshTime = 0;  // no saved page: stale
    UpdateSlideshow();    // the first check only arms its timer
    SetTick(tick + 5000);
    UpdateSlideshow();
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    EXPECT_EQ(server.RequestCount(gallery), 0);
    SetTick(tick + 1);
    UpdateSlideshow();
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    EXPECT_EQ(server.RequestCount(gallery), 1);
}

TEST(SlotGeometry, ScalesToFillOneDirectionAndClipsToThePicture) {
    SlotGeometry g;
    ASSERT_TRUE(ComputeSlotGeometry(1024, 683, 1920, 1080, g));
    // k = 1080 * 100 / 683 (about 158.1); the picture is about 1619 x 1080.
    const double left = -g.planes[0][3];
    const double right = g.planes[1][3];
    EXPECT_NEAR(right - left, 1619.2, 0.1);
    EXPECT_NEAR(left + right, 1920.0, 0.01);
    EXPECT_NEAR(g.planes[2][3], 0.0, 0.01);
    EXPECT_NEAR(g.planes[3][3], 1080.0, 0.01);
    EXPECT_NEAR(g.x1 - g.x0, 3238.4, 0.2);
    EXPECT_NEAR(g.y1 - g.y0, 3238.4, 0.2);
    EXPECT_NEAR(g.x0 + g.x1, 1920.0, 0.01);

    EXPECT_FALSE(ComputeSlotGeometry(0, 0, 1920, 1080, g));
    EXPECT_FALSE(ComputeSlotGeometry(1024, 683, 0, 0, g));
}

TEST_F(Scheduler, FewerThanTwoPhotosRetryTheHarvestUntilPhotosArrive) {
    const std::string gallery = "/search/photo.search";
    SetHarvestPauseStepMillis(1);
    struct RestorePause {
        ~RestorePause() { SetHarvestPauseStepMillis(kHarvestPauseStepMillis); }
    } restore;
    // No gallery page yet (the network is not up): the start harvest fails
    // and stamps the page as refreshed.
    ScanCache();
    UpdateSlideshow();
    ASSERT_EQ(SlideState, NoPhotos);
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    EXPECT_EQ(server.RequestCount(gallery), 1);
    EXPECT_FALSE(RefreshDue());

    UpdateSlideshow();  // the first check only arms its timer
    SetTick(tick + 5000);
    UpdateSlideshow();
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    EXPECT_EQ(server.RequestCount(gallery), 1);
    SetTick(tick + 1);
    UpdateSlideshow();
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    EXPECT_EQ(server.RequestCount(gallery), 2);
    EXPECT_EQ(SlideState, NoPhotos);

    // The network is up. A second failure doubled the back-off to 10 s: the
    // next check leaves the harvest alone, the one after brings photos and
    // the show starts.
    std::string page;
    for (const char* tail : {"1/a.jpg", "1/b.jpg"})
        page += "<img src=\"" + ThumbnailPrefix() + tail + "\">";
    server.Serve(gallery, page, "text/html");
    server.Serve("/aviation-photos/photos/.*", "JPEG bytes", "image/jpeg");
    EXPECT_EQ(HarvestBackoffSeconds(), 2 * kBackoffFirstSeconds);
    SetTick(tick + 5001);
    UpdateSlideshow();
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    EXPECT_EQ(server.RequestCount(gallery), 2);
    SetTick(tick + 5001);
    UpdateSlideshow();
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    EXPECT_EQ(server.RequestCount(gallery), 3);
    UpdateSlideshow();
    EXPECT_EQ(SlideState, Showing);
    EXPECT_EQ(PhotoCount(), 2);
}

TEST_F(Scheduler, OnePhotoAloneRetriesTheHarvestToo) {
    const std::string gallery = "/search/photo.search";
    WritePhotos(1);
    ScanCache();
    UpdateSlideshow();
    ASSERT_EQ(SlideState, OnePhoto);
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    EXPECT_EQ(server.RequestCount(gallery), 1);
    UpdateSlideshow();  // arms
    SetTick(tick + 5001);
    UpdateSlideshow();
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    EXPECT_EQ(server.RequestCount(gallery), 2);
    EXPECT_EQ(SlideState, OnePhoto);
}

TEST_F(Scheduler, WithAFolderOfTheUsersNothingIsHarvestedButTheUpdateIsAsked) {
    TempDir user;
    for (int i = 0; i < 3; ++i) WriteFileBytes(user / ("own" + std::to_string(i) + ".jpg"), "jpeg");
    WritePhotos(2);  // the cache's own photos are not shown meanwhile
    struct FolderOff {
        ~FolderOff() { UsePhotoFolder(u""); }
    } off;
    UsePhotoFolder(FromPath(user.path()).value());
    LastRefreshTime = 0;  // never refreshed: the update is due
    ScanCache();
    while (FolderWalkRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    UpdateSlideshow();
    FramesWhileIntroFade();
    // Slides with periodic checks in their display time, and changes.
    int checks = 0;
    for (int i = 0; i < 30; ++i) {
        SetTick(tick + 6000);
        const uint32_t before = Triggers.LastRefreshCheck;
        UpdateSlideshow();
        if (Triggers.LastRefreshCheck != before) ++checks;
        if (SlideState == Fading) {
            FramesWhile(Fading);
            UpdateSlideshow();
        }
    }
    EXPECT_GE(checks, 5);
    ASSERT_TRUE(WaitBackgroundThreads(10000));
    EXPECT_EQ(server.RequestCount("/screensavers/update.php"), 1);
    EXPECT_EQ(server.RequestCount("/search/photo.search"), 0);
    for (const auto& r : server.Requests()) {
        EXPECT_EQ(r.path.find("/aviation-photos/"), std::string::npos) << r.path;
    }
    EXPECT_GE(server.RequestCount("/weather/local/RSXX0091"), 1);
    for (const std::string& load : rec.loads)
        EXPECT_EQ(load.find(":p0"), std::string::npos) << load;
    EXPECT_EQ(PhotoCount(), 3);
    EXPECT_FALSE(NewPhotosFlag);
}
