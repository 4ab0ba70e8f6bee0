// The cache as the setup dialog measures and clears it, over real files:
// only the saver's own photos and leftovers go, whatever else the data
// folder holds, and nothing a link names is touched.
#include "photos/photo_cache.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <map>
#include <string>
#include <system_error>

#include "base/process_state.h"
#include "photos/photo_list.h"
#include "photos/photo_source.h"
#include "support/folder_snapshot.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
// True while `link` is a symbolic link, which MinGW's library cannot tell.
bool IsLink(const fs::path& link) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    return fs::is_symlink(link);
#endif
}

// Makes a symbolic link at `link` to `target`; false when this system
// makes none. MinGW's library makes none, so the Win32 build asks the
// system itself, and Wine may report a link it did not make.
bool MakeLink(const fs::path& target, const fs::path& link, bool folder) {
#ifdef _WIN32
    return CreateSymbolicLinkW(link.c_str(), target.c_str(),
                               folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) != 0 &&
           IsLink(link);
#else
    std::error_code ec;
    if (folder)
        fs::create_directory_symlink(target, link, ec);
    else
        fs::create_symlink(target, link, ec);
    return !ec;
#endif
}

class PhotoCacheUsage : public ::testing::Test {
  protected:
    void TearDown() override {
        std::lock_guard<std::mutex> lock(PhotoListLock);
        FreePhotoList(PhotoList);
        PhotoList = nullptr;
    }
    // The saver's files and a few a user or another program may leave.
    void FillFolder() {
        WriteFileBytes(dir / "a.jpg", std::string(1000, 'a'));
        WriteFileBytes(dir / "B.JPG", std::string(24, 'b'));
        WriteFileBytes(dir / "empty.jpg", "");
        WriteFileBytes(dir / "c.jpg.tmp", "partial");
        WriteFileBytes(dir / "D.JPG.TMP", "partial");
        for (const char* kept : {"settings.cfg", "weather.xml", "index.htm", "listing.json",
                                 "notes.txt", "photo.jpeg", "a.jpg.bak", "jpg"})
            WriteFileBytes(dir / kept, kept);
        fs::create_directory(dir / "album.jpg");
        WriteFileBytes(dir / "album.jpg" / "inner.jpg", "inner");
        WriteFileBytes(outside / "mine.jpg", "the user's own photo");
    }
    TempDataFolder dir;
    TempDir outside;
};
}  // namespace

TEST_F(PhotoCacheUsage, MeasureCountsThePhotosTheScanLists) {
    EXPECT_EQ(MeasurePhotoCache().photos, 0);
    EXPECT_EQ(MeasurePhotoCache().bytes, 0u);
    FillFolder();
    CacheUsage usage = MeasurePhotoCache();
    EXPECT_EQ(usage.photos, 2);
    EXPECT_EQ(usage.bytes, 1024u);
    ScanCache();
    EXPECT_EQ(PhotoCount(), usage.photos);
}

TEST_F(PhotoCacheUsage, ClearDeletesOnlyPhotosAndLeftovers) {
    FillFolder();
    auto before = SnapshotFolder(dir.path());
    const auto outsideBefore = SnapshotFolder(outside.path());
    EXPECT_EQ(ClearPhotoCache(), 5);
    for (const char* gone : {"a.jpg", "B.JPG", "empty.jpg", "c.jpg.tmp", "D.JPG.TMP"})
        EXPECT_EQ(before.erase(fs::path(gone).native()), 1u) << gone;
    EXPECT_EQ(SnapshotDifference(before, SnapshotFolder(dir.path())), "");
    EXPECT_EQ(SnapshotDifference(outsideBefore, SnapshotFolder(outside.path())), "");
    EXPECT_EQ(MeasurePhotoCache().photos, 0);
    EXPECT_EQ(ClearPhotoCache(), 0);
}

TEST_F(PhotoCacheUsage, AMissingDataFolderIsAnEmptyCache) {
    DataFolder.Assign(FromPath(outside / "gone").value());
    EXPECT_EQ(MeasurePhotoCache().photos, 0);
    EXPECT_EQ(ClearPhotoCache(), 0);
}

TEST_F(PhotoCacheUsage, LinksAreNeitherCountedNorFollowed) {
    FillFolder();
    if (!MakeLink(outside / "mine.jpg", dir / "link.jpg", false))
        GTEST_SKIP() << "this system makes no links";
    ASSERT_TRUE(MakeLink(outside.path(), dir / "elsewhere.jpg", true));
    ASSERT_TRUE(MakeLink(outside / "nothing.jpg", dir / "dangling.jpg.tmp", false));
    const auto outsideBefore = SnapshotFolder(outside.path());
    EXPECT_EQ(MeasurePhotoCache().photos, 2);
    EXPECT_EQ(ClearPhotoCache(), 5);
    EXPECT_EQ(SnapshotDifference(outsideBefore, SnapshotFolder(outside.path())), "");
    for (const char* link : {"link.jpg", "elsewhere.jpg", "dangling.jpg.tmp"})
        EXPECT_TRUE(IsLink(dir / link)) << link;
}
