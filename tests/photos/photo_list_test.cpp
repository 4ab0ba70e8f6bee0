#include "photos/photo_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "base/clock.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "base/text.h"
#include "photos/photo_source.h"
#include "support/temp_dir.h"

namespace {
class PhotoCache : public ::testing::Test {
  protected:
    void TearDown() override {
        std::lock_guard<std::mutex> lock(PhotoListLock);
        FreePhotoList(PhotoList);
        PhotoList = nullptr;
    }
    // A photo file whose last write lies `age` seconds before a fixed moment.
    void Photo(const std::string& name, int age) {
        WriteFileBytes(dir / name, "jpeg");
        SetFileLastWriteTime(
            dir / name, kFileTimeUnixEpoch + (1'700'000'000LL - age) * kFileTimeTicksPerSecond);
    }
    std::u16string NameAt(int i) const { return PhotoList->Items[i]->Data.name; }
    TempDataFolder dir;
};

FindData Data(int64_t t) {
    FindData d;
    d.name = u"x.jpg";
    d.lastWriteTime = t;
    return d;
}
}  // namespace

TEST_F(PhotoCache, ScanListsJpgOldestFirstAndDeletesLeftovers) {
    Photo("c.jpg", 30);
    Photo("a.jpg", 10);
    Photo("b.jpg", 20);
    WriteFileBytes(dir / "a.jpg.tmp", "partial");
    WriteFileBytes(dir / "notes.txt", "x");
    WriteFileBytes(dir / "index.htm", "x");
    EXPECT_EQ(ScanCache(), 1);
    ASSERT_EQ(PhotoList->Count, 3);
    EXPECT_EQ(PhotoList->Capacity, 200);
    EXPECT_EQ(NameAt(0), u"c.jpg");
    EXPECT_EQ(NameAt(1), u"b.jpg");
    EXPECT_EQ(NameAt(2), u"a.jpg");
    EXPECT_EQ(PhotoList->Items[0]->Path.view(),
              FromPath(dir.path()).value() + kPathSeparator + u"c.jpg");
    EXPECT_FALSE(std::filesystem::exists(dir / "a.jpg.tmp"));
    EXPECT_TRUE(std::filesystem::exists(dir / "notes.txt"));
}

TEST_F(PhotoCache, PatternsMatchWithoutRegardToCase) {
    Photo("C.JPG", 20);
    Photo("d.Jpg", 10);
    WriteFileBytes(dir / "A.JPG.TMP", "partial");
    WriteFileBytes(dir / "b.jpg.Tmp", "partial");
    WriteFileBytes(dir / "e.jpeg", "x");
    EXPECT_EQ(ScanCache(), 1);
    ASSERT_EQ(PhotoList->Count, 2);
    EXPECT_EQ(NameAt(0), u"C.JPG");
    EXPECT_EQ(NameAt(1), u"d.Jpg");
    EXPECT_FALSE(std::filesystem::exists(dir / "A.JPG.TMP"));
    EXPECT_FALSE(std::filesystem::exists(dir / "b.jpg.Tmp"));
    EXPECT_TRUE(std::filesystem::exists(dir / "e.jpeg"));
}

TEST_F(PhotoCache, EmptyOrMissingFolderGivesAnEmptyList) {
    ScanCache();
    EXPECT_EQ(PhotoList->Count, 0);
    EXPECT_EQ(PhotoList->Capacity, 200);
    DataFolder.Assign(FromPath(dir / "missing").value());
    ScanCache();
    EXPECT_EQ(PhotoCount(), 0);
}

TEST_F(PhotoCache, ListGrowsByAThousandAtThe201stAppend) {
    ScanCache();
    for (int i = 0; i < 200; ++i) AppendPhoto(MakePhotoEntry(Data(i)));
    EXPECT_EQ(PhotoList->Capacity, 200);
    AppendPhoto(MakePhotoEntry(Data(200)));
    EXPECT_EQ(PhotoList->Capacity, 1200);
    EXPECT_EQ(PhotoList->Count, 201);
    EXPECT_EQ(PhotoList->Items[200]->Data.lastWriteTime, 200);
    EXPECT_EQ(PhotoList->Items[201], nullptr);
}

TEST_F(PhotoCache, RemoveOldestDeletesTheFileAndKeepsTheOrder) {
    Photo("old.jpg", 30);
    Photo("mid.jpg", 20);
    Photo("new.jpg", 10);
    ScanCache();
    RemoveOldestPhoto();
    ASSERT_EQ(PhotoList->Count, 2);
    EXPECT_EQ(NameAt(0), u"mid.jpg");
    EXPECT_EQ(NameAt(1), u"new.jpg");
    EXPECT_FALSE(std::filesystem::exists(dir / "old.jpg"));
    // A file already gone still leaves the list.
    std::filesystem::remove(dir / "mid.jpg");
    RemoveOldestPhoto();
    ASSERT_EQ(PhotoList->Count, 1);
    EXPECT_EQ(NameAt(0), u"new.jpg");
    PathText p;
    EXPECT_TRUE(PhotoPathAt(0, p));
    EXPECT_FALSE(PhotoPathAt(1, p));
    EXPECT_FALSE(PhotoPathAt(-1, p));
}

TEST_F(PhotoCache, SortHandlesEveryOrderAndTheDepthGuardStopsDeepRanges) {
    ScanCache();
    // Many orders of a small list sort completely.
    for (int seed = 0; seed < 50; ++seed) {
        FreePhotoList(PhotoList);
        PhotoList = new PhotoListRecord{new PhotoEntry*[200](), 0, 200};
        for (int i = 0; i < 37; ++i) AppendPhoto(MakePhotoEntry(Data((i * (seed + 3) * 7) % 41)));
        SortPhotos(PhotoList, 0, PhotoList->Count - 1, ComparePhotoTimes);
        for (int i = 1; i < PhotoList->Count; ++i)
            ASSERT_LE(ComparePhotoTimes(PhotoList->Items[i - 1], PhotoList->Items[i]), 0);
    }
    // An order built so that the middle pivot is always the largest value:
    // each level peels off one entry, so 400 entries need ~400 levels.
    FreePhotoList(PhotoList);
    PhotoList = new PhotoListRecord{new PhotoEntry*[200](), 0, 200};
    const int n = 400;
    std::vector<int> label(n);
    std::vector<int64_t> v(n);
    for (int i = 0; i < n; ++i) label[i] = i;
    for (int r = n - 1; r >= 0; --r) {
        v[label[r / 2]] = r;
        std::swap(label[r / 2], label[r]);
    }
    for (int i = 0; i < n; ++i) AppendPhoto(MakePhotoEntry(Data(v[i])));
    SortPhotos(PhotoList, 0, n - 1, ComparePhotoTimes);  // must return, not overflow
    int inversions = 0;
    for (int i = 1; i < n; ++i)
        inversions += ComparePhotoTimes(PhotoList->Items[i - 1], PhotoList->Items[i]) > 0;
    EXPECT_GT(inversions, 0) << "the guard should have left deep ranges unsorted";
    EXPECT_EQ(PhotoList->Count, n);                   // nothing lost
    SortPhotos(PhotoList, 0, -1, ComparePhotoTimes);  // the empty range is harmless
}

TEST_F(PhotoCache, RemovalRacesAppendsUnderTheLock) {
    for (int i = 0; i < 150; ++i) Photo("p" + std::to_string(i) + ".jpg", 1000 - i);
    ScanCache();
    std::thread harvest([&] {
        for (int i = 0; i < 500; ++i) {
            std::lock_guard<std::mutex> lock(PhotoListLock);
            AppendPhoto(MakePhotoEntry(Data(5000 + i)));
        }
    });
    const int removed = 100;  // fewer than were cached, so the list never runs dry
    for (int r = 0; r < removed; ++r) {
        RemoveOldestPhoto();
        PathText p;
        PhotoPathAt(PhotoCount() - 1, p);
    }
    harvest.join();
    EXPECT_EQ(PhotoCount(), 150 + 500 - removed);
}
