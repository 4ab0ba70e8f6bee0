// The walk of the user's folder over Windows links: a folder link back into
// the folder and one out of it are not followed (the standard library
// there reports a link as the folder it points to).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <set>
#include <string>

#include "base/text.h"
#include "slideshow/photo_folder.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
bool FolderLink(const fs::path& link, const fs::path& target) {
    constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    return CreateSymbolicLinkW(link.c_str(), target.c_str(),
                               SYMBOLIC_LINK_FLAG_DIRECTORY | kUnprivileged) ||
           CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
}
}  // namespace

TEST(PhotoFolderWalk, FolderLinksAreNotFollowed) {
    TempDir user, outside;
    WriteFileBytes(user / "a.jpg", "j");
    WriteFileBytes(outside / "secret.jpg", "j");
    if (!FolderLink(user / "loop", user.path()) || !FolderLink(user / "out", outside.path()))
        GTEST_SKIP() << "the system made no folder link (error " << GetLastError() << ")";
    // Wine 8 reports the link made but leaves nothing there.
    std::error_code ec;
    if (!fs::exists(user / "loop" / "a.jpg", ec))
        GTEST_SKIP() << "the system reported a folder link made, but it leads nowhere";
    std::set<std::u16string> found;
    WalkPhotoFolder(user.path(), [&](const PathText& p) {
        found.insert(p.str());
        return true;
    });
    EXPECT_EQ(found, std::set<std::u16string>{FromPath(user / "a.jpg").value()});
    RemoveDirectoryW((user / "loop").c_str());
    RemoveDirectoryW((user / "out").c_str());
}
