// The slideshow over a folder of the user's own: the real scheduler, the
// saver's triggers, the real folder walk and the real photo decoder, with
// only the GL work recorded. Which photos are decoded into a slot and
// shown, in what order, and that the folder is left exactly as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/process_state.h"
#include "base/saver_app.h"
#include "base/text.h"
#include "harvest/gallery_refresh.h"
#include "host/triggers.h"
#include "net/endpoints.h"
#include "overlay/slide_slot.h"
#include "photos/photo_decode.h"
#include "photos/photo_folder.h"
#include "photos/photo_list.h"
#include "photos/photo_source.h"
#include "settings/settings.h"
#include "slideshow/slideshow.h"
#include "support/folder_snapshot.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"

namespace fs = std::filesystem;

namespace {
constexpr int kFadeFrames = 51;

// What the scheduler did, main thread only: every photo decoded into a
// slot (whether it decoded), the slides shown, and the photos announced
// for decoding ahead.
struct Recording {
    std::vector<std::string> decoded;  // file names that decoded
    std::vector<std::string> failed;   // file names that did not
    std::vector<std::string> prefetched;
};
Recording rec;

std::string NameOf(const PathText& path) {
    return ToPath(path.view()).filename().string();
}

void RecordRenew(int slot) {
    if (SlideSlots[slot].texture == 0) SlideSlots[slot].texture = 10 + slot;
}
void RecordDelete(int slot) {
    SlideSlots[slot] = SlideSlot{};
}
// The photo decoded as the saver decodes it; a slot that got nothing stays 0 x 0.
void RecordLoad(const PathText* path, int slot) {
    Picture picture;
    uint32_t w = 0, h = 0;
    const bool ok = path && DecodePhoto(ToPath(path->view()), 640, 480, picture, w, h);
    if (path) (ok ? rec.decoded : rec.failed).push_back(NameOf(*path));
    SlideSlots[slot].contentWidth = ok ? static_cast<float>(w) : 0.0f;
    SlideSlots[slot].contentHeight = ok ? static_cast<float>(h) : 0.0f;
}
void RecordPrefetch(const PathText& path) {
    rec.prefetched.push_back(NameOf(path));
}
void RecordSize(int& w, int& h) {
    w = 640;
    h = 480;
}
void Nothing() {}
void NoViewport(int, int, int, int) {}
void NoQuad(int, float, const SlotGeometry&) {}
void NoPause(int) {}
void RecordInterlude(Interlude, int slot) {
    SlideSlots[slot].contentWidth = 640.0f;
    SlideSlots[slot].contentHeight = 480.0f;
}

const SlideshowOps kRecordingOps = {RecordRenew, RecordDelete, RecordLoad, RecordPrefetch,
                                    RecordSize,  Nothing,      NoViewport, NoQuad,
                                    NoPause,     nullptr};
const SlideshowHooks kRecordingHooks = [] {
    SlideshowHooks hooks = kTriggerHooks;
    hooks.paintInterlude = RecordInterlude;
    return hooks;
}();

class FolderShow : public ::testing::Test {
  protected:
    void SetUp() override {
        rec = Recording{};
        SlideSlots[0] = SlideSlots[1] = SlideSlot{};
        AttachSlideshow(kRecordingOps, kRecordingHooks);
        SetManualTickCount(tick);
        // Nothing listens there: the weather check and the update query
        // fail at once, and no request leaves the machine.
        ASSERT_TRUE(SetSiteOverride(u"http://127.0.0.1:9"));
        Triggers = TriggerState{};
        NewPhotosFlag = false;
        ResetHarvestBackoff();
        LastRefreshTime = FileTimeNow();
        Settings = SettingsRecord{};
        Settings.show_weather = 0;
        Settings.weather_loc_id.Assign(u"RSXX0091");
        WriteTestJpeg(photoDir / "model.jpg", 64, 48, {200, 40, 160}, {200, 40, 160});
        model = ReadFileBytes(photoDir / "model.jpg");
    }
    void TearDown() override {
        ASSERT_TRUE(WaitForWalks());
        ASSERT_TRUE(WaitBackgroundThreads(10000));
        UsePhotoFolder(u"");
        ResetClocks();
        std::lock_guard<std::mutex> lock(PhotoListLock);
        FreePhotoList(PhotoList);
        PhotoList = nullptr;
    }
    static bool WaitForWalks() {
        for (int i = 0; i < 3000 && FolderWalkRunning(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return !FolderWalkRunning();
    }
    void Photo(const fs::path& file) {
        fs::create_directories(file.parent_path());
        WriteFileBytes(file, model);
    }
    void SetTick(uint32_t t) {
        tick = t;
        SetManualTickCount(t);
    }
    // The show of the folder from its start, once the walk is done.
    void StartShow(const fs::path& folder) {
        UsePhotoFolder(FromPath(folder).value());
        ScanCache();
        ASSERT_TRUE(WaitForWalks());
        UpdateSlideshow();
    }
    // One whole slide change from Showing: display time, cross-fade, Advance.
    void Transition() {
        ASSERT_EQ(SlideState, Showing);
        for (int f = 0; IntroFade && f <= kFadeFrames; ++f) DrawFrame();
        UpdateSlideshow();  // arms ShowStart and announces the next photo
        SetTick(tick + static_cast<uint32_t>(SaverApp.SlideMillis) + 1);
        UpdateSlideshow();
        ASSERT_EQ(SlideState, Fading);
        while (SlideState == Fading) DrawFrame();
        UpdateSlideshow();
        ASSERT_EQ(SlideState, Showing);
    }

    TempDataFolder data;
    TempDir user;
    TempDir photoDir;  // where the model photo is made
    std::string model;
    uint32_t tick = 4321;
};
}  // namespace

TEST_F(FolderShow, EachPhotoShowsOnceBeforeAnyRepeatAndBadFilesAreSkipped) {
    std::vector<std::string> good;
    for (int i = 0; i < 9; ++i) {
        const std::string name = "p" + std::to_string(i) + (i % 3 == 0 ? ".JPG" : ".jpeg");
        Photo(user / ("roll" + std::to_string(i % 3)) / name);
        good.push_back(name);
    }
    WriteFileBytes(user / "corrupt.jpg", "\xFF\xD8\xFF\xE0 not a photo at all");
    std::string huge = model;  // claims 60000 x 60000: refused before any pixel memory
    const size_t sof = huge.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    for (int i : {5, 7}) {
        huge[sof + i] = static_cast<char>(0xEA);
        huge[sof + i + 1] = static_cast<char>(0x60);
    }
    WriteFileBytes(user / "huge.jpg", huge);
    WriteFileBytes(user / "notes.txt", "not a photo");
    const FolderSnapshot before = SnapshotFolder(user.path());

    StartShow(user.path());
    ASSERT_EQ(PhotoCount(), 11);
    ASSERT_EQ(SlideState, Showing);
    for (int i = 0; i < 2 * 9 - 2; ++i) Transition();

    // Two rounds over the nine photos: each photo once per round, and the
    // two bad files were tried and passed over, never shown.
    ASSERT_EQ(rec.decoded.size(), 18u);
    for (int round = 0; round < 2; ++round) {
        std::vector<std::string> shown(rec.decoded.begin() + 9 * round,
                                       rec.decoded.begin() + 9 * (round + 1));
        std::sort(shown.begin(), shown.end());
        std::vector<std::string> expected = good;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(shown, expected) << "round " << round;
    }
    for (const std::string& f : rec.failed) EXPECT_TRUE(f == "corrupt.jpg" || f == "huge.jpg") << f;
    EXPECT_FALSE(rec.failed.empty());

    EXPECT_EQ(SnapshotDifference(before, SnapshotFolder(user.path())), "");
    // Nothing of the harvest: no page, no listing, no photo, no partial download.
    for (const auto& entry : fs::directory_iterator(data.path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_FALSE(name.ends_with(".jpg") || name.ends_with(".tmp") || name == "index.htm" ||
                     name == "listing.json")
            << name;
    }
}

TEST_F(FolderShow, AboveTheCacheLimitNothingOfTheFolderIsDeletedAndThePrefetchIsRight) {
    std::vector<std::string> names;
    for (int i = 0; i < 150; ++i) {
        names.push_back("photo" + std::to_string(i) + ".jpg");
        Photo(user / names.back());
    }
    const FolderSnapshot before = SnapshotFolder(user.path());
    StartShow(user.path());
    ASSERT_EQ(PhotoCount(), 150);
    for (int i = 0; i < 160; ++i) Transition();

    EXPECT_EQ(PhotoCount(), 150);
    EXPECT_EQ(SnapshotDifference(before, SnapshotFolder(user.path())), "");
    // In 150 slides over 150 photos each photo shows once.
    std::vector<std::string> first(rec.decoded.begin(), rec.decoded.begin() + 150);
    std::sort(first.begin(), first.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(first, names);
    // The start announced the second slot's photo, and each slide the
    // photo the next change loaded.
    ASSERT_EQ(rec.prefetched.size(), 161u);
    for (size_t i = 0; i < rec.prefetched.size(); ++i)
        EXPECT_EQ(rec.prefetched[i], rec.decoded[i + 1]) << "change " << i;
}

TEST_F(FolderShow, AMissingFolderShowsBlackUntilItAppearsAndIsWalkedAgain) {
    const fs::path drive = user / "drive";
    StartShow(drive);
    EXPECT_EQ(SlideState, NoPhotos);
    EXPECT_TRUE(rec.decoded.empty());
    EXPECT_TRUE(rec.failed.empty());

    // The drive is plugged in; the periodic check walks the folder again
    // once a minute has passed since the last walk, not before.
    Photo(drive / "a.jpg");
    Photo(drive / "sub" / "b.jpg");
    const uint32_t walked = tick;
    for (int step = 0; step < 70 && PhotoCount() == 0; ++step) {
        SetTick(tick + 1000);
        UpdateSlideshow();
        ASSERT_TRUE(WaitForWalks());
        ASSERT_EQ(SlideState, NoPhotos);
    }
    EXPECT_GE(tick - walked, kEmptyFolderRewalkMillis);
    EXPECT_LE(tick - walked, kEmptyFolderRewalkMillis + 6000u);  // one periodic check later
    UpdateSlideshow();
    EXPECT_EQ(SlideState, Showing);
    EXPECT_EQ(PhotoCount(), 2);
    // The first photo at once, the second after the intro fade.
    EXPECT_EQ(rec.decoded.size(), 1u);
    for (int f = 0; IntroFade && f <= kFadeFrames; ++f) DrawFrame();
    UpdateSlideshow();
    UpdateSlideshow();
    EXPECT_EQ(rec.decoded.size(), 2u);
}
