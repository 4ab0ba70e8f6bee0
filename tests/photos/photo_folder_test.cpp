// The walk of the user's photo folder over real folders, the walk thread
// filling the photo list, the trimming that never reaches the folder, and
// the shuffled deck the photos are shown from.
#include "photos/photo_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "base/text.h"
#include "photos/photo_list.h"
#include "photos/photo_source.h"
#include "slideshow/shuffle_deck.h"
#include "support/folder_snapshot.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
std::u16string Text(const fs::path& p) {
    return FromPath(p).value();
}

std::set<std::u16string> Walked(const fs::path& root, FolderWalkCounts* counts = nullptr) {
    std::set<std::u16string> found;
    FolderWalkCounts c = WalkPhotoFolder(root, [&](const PathText& p) {
        found.insert(p.str());
        return true;
    });
    if (counts) *counts = c;
    return found;
}

std::set<std::u16string> Listed() {
    std::set<std::u16string> paths;
    std::lock_guard<std::mutex> lock(PhotoListLock);
    for (int32_t i = 0; PhotoList && i < PhotoList->Count; ++i)
        paths.insert(PhotoList->Items[i]->Path.str());
    return paths;
}

bool WaitForWalks() {
    for (int i = 0; i < 3000 && FolderWalkRunning(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !FolderWalkRunning();
}

// `count` small files in ten subfolders; returns their paths.
std::set<std::u16string> ManyPhotos(const fs::path& root, int count) {
    std::set<std::u16string> paths;
    for (int i = 0; i < count; ++i) {
        const fs::path folder = root / ("roll" + std::to_string(i % 10));
        fs::create_directories(folder);
        const fs::path file = folder / ("img" + std::to_string(i) + ".jpg");
        WriteFileBytes(file, "j");
        paths.insert(Text(file));
    }
    return paths;
}

class PhotoFolder : public ::testing::Test {
  protected:
    void TearDown() override {
        ASSERT_TRUE(WaitForWalks());
        ASSERT_TRUE(WaitBackgroundThreads(10000));
        UsePhotoFolder(u"");
        StopRequested = false;
        std::lock_guard<std::mutex> lock(PhotoListLock);
        FreePhotoList(PhotoList);
        PhotoList = nullptr;
    }
    TempDataFolder data;
    TempDir user;
};
}  // namespace

TEST_F(PhotoFolder, TheWalkFindsJpegsOfAnyCaseInEveryFolderAndNothingElse) {
    fs::create_directories(user / "2024" / "summer");
    fs::create_directories(user / "folder.jpg");
    WriteFileBytes(user / "a.jpg", "j");
    WriteFileBytes(user / "B.JPG", "j");
    WriteFileBytes(user / "c.Jpeg", "j");
    WriteFileBytes(user / "notes.txt", "t");
    WriteFileBytes(user / "d.jpg.txt", "t");
    WriteFileBytes(user / "jpg", "t");
    WriteFileBytes(user / "2024" / "e.JPEG", "j");
    WriteFileBytes(user / "2024" / "summer" / "f.jpg", "j");
    WriteFileBytes(user / "folder.jpg" / "g.jpg", "j");
    FolderWalkCounts counts;
    EXPECT_EQ(Walked(user.path(), &counts),
              (std::set<std::u16string>{Text(user / "a.jpg"), Text(user / "B.JPG"),
                                        Text(user / "c.Jpeg"), Text(user / "2024" / "e.JPEG"),
                                        Text(user / "2024" / "summer" / "f.jpg"),
                                        Text(user / "folder.jpg" / "g.jpg")}));
    EXPECT_EQ(counts.photos, 6);
    EXPECT_EQ(counts.entries, 12);

    // A folder that is missing or a file gives nothing, and throws nothing.
    EXPECT_TRUE(Walked(user / "missing").empty());
    EXPECT_TRUE(Walked(user / "a.jpg").empty());
    // The visitor ends the walk.
    int seen = 0;
    WalkPhotoFolder(user.path(), [&](const PathText&) { return ++seen < 2; });
    EXPECT_EQ(seen, 2);
}

TEST_F(PhotoFolder, TheWalkGoesSixteenLevelsDownAndLeavesTheDataFolderOut) {
    fs::path folder = user.path();
    for (int level = 0; level <= 18; ++level) {
        WriteFileBytes(folder / "p.jpg", "j");
        folder /= "d";
        fs::create_directory(folder);
    }
    std::set<std::u16string> found = Walked(user.path());
    EXPECT_EQ(found.size(), size_t(kFolderWalkDepth + 1));
    EXPECT_TRUE(found.count(Text(user / "p.jpg")));

    // The saver's own cache inside the chosen folder is not the user's.
    TempDir pictures;
    const fs::path cache = pictures / "Velmora" / "SkyreelSaver";
    fs::create_directories(cache);
    DataFolder.Assign(Text(cache));
    WriteFileBytes(cache / "12_345.jpg", "j");
    WriteFileBytes(pictures / "mine.jpg", "j");
    EXPECT_EQ(Walked(pictures.path()), std::set<std::u16string>{Text(pictures / "mine.jpg")});
    // Named with a final separator it is still left out; a folder that only
    // shares its name is the user's.
    DataFolder.Assign(Text(cache) + kPathSeparator);
    fs::create_directories(pictures / "Other" / "SkyreelSaver");
    WriteFileBytes(pictures / "Other" / "SkyreelSaver" / "theirs.jpg", "j");
    EXPECT_EQ(Walked(pictures.path()),
              (std::set<std::u16string>{Text(pictures / "mine.jpg"),
                                        Text(pictures / "Other" / "SkyreelSaver" / "theirs.jpg")}));
}

TEST_F(PhotoFolder, StopRequestedEndsTheWalkAtOnce) {
    ManyPhotos(user.path(), 50);
    StopRequested = true;
    FolderWalkCounts counts;
    EXPECT_TRUE(Walked(user.path(), &counts).empty());
    EXPECT_LE(counts.entries, 1);
}

TEST_F(PhotoFolder, TenThousandPhotosAllReachTheListAndTheFolderStaysAsItWas) {
    const std::set<std::u16string> photos = ManyPhotos(user.path(), 10000);
    WriteFileBytes(user / "leftover.jpg.tmp", "partial");  // not the saver's to clean up
    WriteFileBytes(data / "old.jpg.tmp", "partial");       // the saver's own
    const FolderSnapshot before = SnapshotFolder(user.path());
    UsePhotoFolder(Text(user.path()));
    ASSERT_TRUE(PhotoFolderInUse());
    ScanCache();
    ASSERT_TRUE(WaitForWalks());
    EXPECT_EQ(PhotoCount(), 10000);
    EXPECT_EQ(Listed(), photos);
    EXPECT_EQ(SnapshotDifference(before, SnapshotFolder(user.path())), "");
    EXPECT_FALSE(fs::exists(data / "old.jpg.tmp"));

    // A rescan while a walk runs: the old walk stops adding to the new list,
    // so each photo is listed once.
    ScanCache();
    ScanCache();
    ASSERT_TRUE(WaitForWalks());
    EXPECT_EQ(PhotoCount(), 10000);
    EXPECT_EQ(Listed(), photos);
}

TEST_F(PhotoFolder, AnEmptyFolderIsWalkedAgainOnlyAfterAMinute) {
    UsePhotoFolder(Text(user / "drive"));  // not plugged in yet
    SetManualTickCount(1000);
    ScanCache();
    ASSERT_TRUE(WaitForWalks());
    EXPECT_EQ(PhotoCount(), 0);
    fs::create_directory(user / "drive");
    WriteFileBytes(user / "drive" / "a.jpg", "j");
    SetManualTickCount(1000 + kEmptyFolderRewalkMillis - 1);
    RewalkEmptyFolder();
    ASSERT_TRUE(WaitForWalks());
    EXPECT_EQ(PhotoCount(), 0);
    SetManualTickCount(1000 + kEmptyFolderRewalkMillis);
    RewalkEmptyFolder();
    ASSERT_TRUE(WaitForWalks());
    EXPECT_EQ(PhotoCount(), 1);
    // A folder with photos is not walked again.
    WriteFileBytes(user / "drive" / "b.jpg", "j");
    SetManualTickCount(1000 + 5 * kEmptyFolderRewalkMillis);
    RewalkEmptyFolder();
    ASSERT_TRUE(WaitForWalks());
    EXPECT_EQ(PhotoCount(), 1);
    ResetClocks();
}

TEST_F(PhotoFolder, TrimmingNeverDeletesAFileOutsideTheDataFolder) {
    WriteFileBytes(user / "mine.jpg", "j");
    WriteFileBytes(data / "cached.jpg", "j");
    ScanCache();
    {
        std::lock_guard<std::mutex> lock(PhotoListLock);
        FindData d;
        PhotoEntry* e = MakePhotoEntry(d);
        e->Path.Assign(Text(user / "mine.jpg"));
        PhotoList->Items[PhotoList->Count++] = PhotoList->Items[0];
        PhotoList->Items[0] = e;
    }
    RemoveOldestPhoto();  // the user's photo leaves the list, not the disk
    EXPECT_TRUE(fs::exists(user / "mine.jpg"));
    EXPECT_EQ(PhotoCount(), 1);
    RemoveOldestPhoto();  // the cache's own photo goes
    EXPECT_FALSE(fs::exists(data / "cached.jpg"));
    EXPECT_EQ(PhotoCount(), 0);
}

TEST(ShuffleDeck, EveryPhotoOnceBeforeAnyRepeatAndNoRepeatAcrossRounds) {
    for (uint64_t seed = 1; seed <= 200; ++seed) {
        ShuffleDeck deck;
        ResetDeck(deck, seed);
        const int32_t n = 2 + static_cast<int32_t>(seed % 40);
        int32_t last = -1;
        for (int round = 0; round < 3; ++round) {
            std::set<int32_t> drawn;
            for (int32_t i = 0; i < n; ++i) {
                const int32_t d = DrawDeck(deck, n);
                ASSERT_TRUE(d >= 0 && d < n);
                ASSERT_NE(d, last) << "seed " << seed;
                drawn.insert(d);
                last = d;
            }
            ASSERT_EQ(drawn.size(), size_t(n)) << "seed " << seed << " round " << round;
        }
    }
}

TEST(ShuffleDeck, PhotosAddedWhileDrawingJoinTheRoundAndPeekIsTheNextDraw) {
    ShuffleDeck deck;
    ResetDeck(deck, 7);
    EXPECT_EQ(PeekDeck(deck, 0), -1);
    EXPECT_EQ(DrawDeck(deck, 0), -1);
    std::set<int32_t> drawn;
    for (int i = 0; i < 5; ++i) drawn.insert(DrawDeck(deck, 10));
    const int32_t next = PeekDeck(deck, 10);
    EXPECT_EQ(PeekDeck(deck, 25), next);  // the growth does not change the choice made
    EXPECT_EQ(DrawDeck(deck, 25), next);
    drawn.insert(next);
    for (int i = 0; i < 19; ++i) drawn.insert(DrawDeck(deck, 25));
    EXPECT_EQ(drawn.size(), 25u);
    // A shorter list (a rescan) starts a new deck over it.
    std::set<int32_t> small;
    for (int i = 0; i < 4; ++i) small.insert(DrawDeck(deck, 4));
    EXPECT_EQ(small, (std::set<int32_t>{0, 1, 2, 3}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(DrawDeck(deck, 1), 0);
}
