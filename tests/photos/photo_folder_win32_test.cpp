// The walk of the user's folder over Windows links: a folder link back into
// the folder, one out of it and a photo's link out of it are not followed
// (the standard library there reports a link as what it points to).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <set>
#include <string>

#include "base/text.h"
#include "photos/photo_folder.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
bool Link(const fs::path& link, const fs::path& target, DWORD kind) {
    constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    return CreateSymbolicLinkW(link.c_str(), target.c_str(), kind | kUnprivileged) ||
           CreateSymbolicLinkW(link.c_str(), target.c_str(), kind);
}
}  // namespace

TEST(PhotoFolderWalk, FolderLinksAreNotFollowed) {
    TempDir user, outside;
    WriteFileBytes(user / "a.jpg", "j");
    WriteFileBytes(outside / "secret.jpg", "j");
    if (!Link(user / "loop", user.path(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        !Link(user / "out", outside.path(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        !Link(user / "linked.jpg", outside / "secret.jpg", 0))
        GTEST_SKIP() << "the system made no link (error " << GetLastError() << ")";
    // Wine 8 reports the link made but leaves nothing there.
    std::error_code ec;
    if (!fs::exists(user / "loop" / "a.jpg", ec) || !fs::exists(user / "linked.jpg", ec))
        GTEST_SKIP() << "the system reported the links made, but they lead nowhere";
    std::set<std::u16string> found;
    WalkPhotoFolder(user.path(), [&](const PathText& p) {
        found.insert(p.str());
        return true;
    });
    EXPECT_EQ(found, std::set<std::u16string>{FromPath(user / "a.jpg").value()});
    RemoveDirectoryW((user / "loop").c_str());
    RemoveDirectoryW((user / "out").c_str());
    DeleteFileW((user / "linked.jpg").c_str());
}
