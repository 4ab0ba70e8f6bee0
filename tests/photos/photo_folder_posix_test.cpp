// The walk of the user's folder over what POSIX lets a folder hold: links
// in a loop and out of the folder, a folder without permission, names that
// are no UTF-8, paths longer than the saver's paths. Nothing of it is
// changed by the walk.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "base/text.h"
#include "photos/photo_folder.h"
#include "support/folder_snapshot.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
std::u16string Text(const fs::path& p) {
    return FromPath(p).value();
}

std::set<std::u16string> Walked(const fs::path& root) {
    std::set<std::u16string> found;
    WalkPhotoFolder(root, [&](const PathText& p) {
        found.insert(p.str());
        return true;
    });
    return found;
}

// Puts a folder's permission back even when an assertion fails.
struct LockedFolder {
    fs::path path;
    explicit LockedFolder(fs::path p) : path(std::move(p)) { chmod(path.c_str(), 0); }
    ~LockedFolder() { chmod(path.c_str(), 0755); }
    // Root reads a folder whatever its permission says.
    bool denies() const { return access(path.c_str(), R_OK) != 0; }
};
}  // namespace

TEST(PhotoFolderWalk, FollowsNoLinkSurvivesLoopsAndOddNamesAndChangesNothing) {
    TempDir user, outside;
    TempDataFolder data;
    WriteFileBytes(outside / "secret.jpg", "not the user's show");
    fs::create_directories(user / "trip" / "day1");
    WriteFileBytes(user / "trip" / "day1" / "a.jpg", "j");
    fs::create_directory_symlink(user / "trip", user / "trip" / "day1" / "loop");
    fs::create_directory_symlink(user.path(), user / "root-loop");
    fs::create_directory_symlink(outside.path(), user / "elsewhere");
    fs::create_symlink(outside / "secret.jpg", user / "linked.jpg");
    fs::create_symlink(user / "gone.jpg", user / "dangling.jpg");
    WriteFileBytes(user / "bad\xff.jpg", "j");  // no UTF-8: it could name no file we can say
    WriteFileBytes(user / "caf\xc3\xa9.jpg", "j");
    // A path longer than 259 characters is passed over, never cut short
    // into the name of another file.
    fs::path deep = user.path();
    while (deep.native().size() < 300) deep /= std::string(40, 'x');
    fs::create_directories(deep);
    WriteFileBytes(deep / "long.jpg", "j");
    const fs::path cut = ToPath(FixedText<260>(Text(deep / "long.jpg")).view());
    fs::create_directories(cut.parent_path());

    const FolderSnapshot before = SnapshotFolder(user.path());
    EXPECT_EQ(Walked(user.path()), (std::set<std::u16string>{Text(user / "trip" / "day1" / "a.jpg"),
                                                             Text(user / "caf\xc3\xa9.jpg")}));
    EXPECT_EQ(SnapshotDifference(before, SnapshotFolder(user.path())), "");
    EXPECT_EQ(ReadFileBytes(outside / "secret.jpg"), "not the user's show");
}

TEST(PhotoFolderWalk, AFolderWithoutPermissionIsPassedOver) {
    TempDir user;
    fs::create_directory(user / "private");
    WriteFileBytes(user / "private" / "hidden.jpg", "j");
    WriteFileBytes(user / "open.jpg", "j");
    std::set<std::u16string> found;
    {
        LockedFolder locked(user / "private");
        if (!locked.denies()) GTEST_SKIP() << "running as root: chmod 000 denies nothing here";
        found = Walked(user.path());
        // Locked as the root of the walk too.
        LockedFolder top(user.path());
        EXPECT_TRUE(Walked(user.path()).empty());
    }
    EXPECT_EQ(found, std::set<std::u16string>{Text(user / "open.jpg")});
    EXPECT_EQ(ReadFileBytes(user / "private" / "hidden.jpg"), "j");
}
