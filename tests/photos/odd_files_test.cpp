// The cache scan over a folder holding what a user or another program may
// leave there: names that are no UTF-8, links out of the folder, folders
// named like photos, empty files. Linux only: these names and links are
// made with POSIX calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "base/process_state.h"
#include "base/text.h"
#include "photos/photo_cache.h"
#include "photos/photo_list.h"
#include "photos/photo_source.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
class OddFiles : public ::testing::Test {
  protected:
    void TearDown() override {
        std::lock_guard<std::mutex> lock(PhotoListLock);
        FreePhotoList(PhotoList);
        PhotoList = nullptr;
    }
    std::set<std::u16string> Listed() const {
        std::set<std::u16string> names;
        for (int32_t i = 0; i < PhotoList->Count; ++i) names.insert(PhotoList->Items[i]->Data.name);
        return names;
    }
    TempDataFolder dir;
    TempDir outside;
};
}  // namespace

TEST_F(OddFiles, ScanSkipsWhatIsNoPhotoOfTheFolderAndDeletesNothingOfIt) {
    WriteFileBytes(dir / "good.jpg", "jpeg");
    WriteFileBytes(dir / "bad\xff.jpg", "jpeg");
    WriteFileBytes(dir / "bad\xfe.jpg.tmp", "partial");
    WriteFileBytes(dir / "empty.jpg", "");
    fs::create_directory(dir / "x.jpg");
    fs::create_directory(dir / "y.jpg.tmp");
    WriteFileBytes(outside / "secret.jpg", "not ours");
    fs::create_symlink(outside / "secret.jpg", dir / "link.jpg");
    fs::create_symlink(outside / "secret.jpg", dir / "link.jpg.tmp");

    ASSERT_NO_THROW(ScanCache());
    EXPECT_EQ(Listed(), std::set<std::u16string>{u"good.jpg"});
    for (const char* kept : {"bad\xff.jpg", "bad\xfe.jpg.tmp", "empty.jpg", "x.jpg", "y.jpg.tmp",
                             "link.jpg", "link.jpg.tmp"})
        EXPECT_TRUE(fs::exists(fs::symlink_status(dir / kept))) << kept;
    EXPECT_EQ(ReadFileBytes(outside / "secret.jpg"), "not ours");

    // A name dropped in while the saver runs is met by the next rescan.
    WriteFileBytes(dir / "late\xc3(.jpg", "jpeg");
    WriteFileBytes(dir / "later.jpg", "jpeg");
    ASSERT_NO_THROW(ScanCache());
    EXPECT_EQ(Listed(), (std::set<std::u16string>{u"good.jpg", u"later.jpg"}));
}

TEST_F(OddFiles, TheHarvestNeverReadsALinkAsAStoredPhoto) {
    WriteFileBytes(outside / "secret.jpg", "not ours");
    fs::create_symlink(outside / "secret.jpg", dir / "link.jpg");
    FindData data;
    EXPECT_FALSE(ReadFindData(u"link.jpg", data));
    EXPECT_FALSE(ReadFindData(u"missing.jpg", data));
    WriteFileBytes(dir / "real.jpg", "jpeg");
    ASSERT_TRUE(ReadFindData(u"real.jpg", data));
    EXPECT_EQ(data.size, 4u);
}

TEST(PathText, NamesThatAreNoTextGiveNothingAndNothingThrows) {
    EXPECT_EQ(FromPath(fs::path("caf\xc3\xa9.jpg")), std::u16string(u"caf\u00e9.jpg"));
    EXPECT_EQ(FromPath(fs::path("bad\xff.jpg")), std::nullopt);
    EXPECT_EQ(FromPath(fs::path("\xc0\xaf.jpg")), std::nullopt);      // an overlong "/"
    EXPECT_EQ(FromPath(fs::path("\xed\xa0\x80.jpg")), std::nullopt);  // a surrogate in UTF-8
    // A lone surrogate of a text becomes U+FFFD in the name instead of throwing.
    const char16_t lone[] = {u'a', 0xD800, u'.', u'j', u'p', u'g', 0};
    fs::path p;
    ASSERT_NO_THROW(p = ToPath(lone));
    EXPECT_EQ(p.native(), "a\xef\xbf\xbd.jpg");
    EXPECT_EQ(FromPath(p), std::u16string(u"a\ufffd.jpg"));
}
