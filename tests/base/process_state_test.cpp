#include "base/process_state.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
std::u16string U(const fs::path& p) {
    return *FromPath(p);
}
}  // namespace

// The user's photo folder is never the data folder, whatever way it is named.
TEST(DataFolderGuard, RefusesTheDataFolderAndEverythingInside) {
    TempDataFolder dir;
    const fs::path data = dir.path();
    fs::create_directories(data / "sub" / "deeper");
    fs::create_directories(data.parent_path() / (data.filename().string() + "-photos"));

    EXPECT_TRUE(LiesInDataFolder(U(data)));
    EXPECT_TRUE(LiesInDataFolder(U(data) + u"/"));
    EXPECT_TRUE(LiesInDataFolder(U(data / "sub" / "deeper")));
    EXPECT_TRUE(LiesInDataFolder(U(data / "sub" / ".." / "sub")));
    EXPECT_TRUE(LiesInDataFolder(U(data / "not-yet-made")));
    EXPECT_TRUE(LiesInDataFolder(ToUpperAscii(U(data))));
#ifndef _WIN32
    const fs::path link = data.parent_path() / (data.filename().string() + "-link");
    fs::create_directory_symlink(data / "sub", link);
    EXPECT_TRUE(LiesInDataFolder(U(link)));
    fs::remove(link);
#endif

    // A sibling whose name only begins like the data folder's, and its parent.
    EXPECT_FALSE(LiesInDataFolder(U(data.parent_path() / (data.filename().string() + "-photos"))));
    EXPECT_FALSE(LiesInDataFolder(U(data.parent_path())));
    EXPECT_FALSE(LiesInDataFolder(U(data / "..")));
    fs::remove_all(data.parent_path() / (data.filename().string() + "-photos"));
}
