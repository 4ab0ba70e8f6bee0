// A settings save that cannot be written whole: the file-size limit of the
// process stands in for a disk that fills up part-way. Linux only
// (setrlimit).
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "base/file_io.h"
#include "settings/settings.h"
#include "support/temp_dir.h"

namespace {
// Lowers the process's file-size limit for the life of the object. Writes
// past it fail with EFBIG instead of raising SIGXFSZ, which is ignored.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit low = saved_;
        low.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &low) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

  private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

class SettingsWriteFailure : public ::testing::Test {
  protected:
    void SetUp() override {
        Settings = SettingsRecord{};
        LoadSettings();  // a complete file of the defaults
        saved = ReadFileBytes(File());
        ASSERT_EQ(saved.size(), 298u);
    }
    std::filesystem::path File() const { return dir / "settings.cfg"; }
    TempDataFolder dir;
    std::string saved;
};
}  // namespace

TEST_F(SettingsWriteFailure, AWriteCutShortLeavesTheOldFileAsItWas) {
    Settings.weather_loc.Assign(u"A place whose name makes the file longer than before");
    Settings.show_weather = 0;
    {
        FileSizeLimit limit(100);
        ASSERT_TRUE(limit.ok());
        EXPECT_FALSE(WriteSettings({{u"dloption", u"2"}}));
    }
    EXPECT_EQ(ReadFileBytes(File()), saved);
    EXPECT_FALSE(std::filesystem::exists(dir / (std::string("settings.cfg") + kReplacementSuffix)));

    // The next start reads the old settings back and writes nothing new.
    const std::u16string guid = Settings.guid.str();
    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(Settings.guid.view(), guid);
    EXPECT_EQ(Settings.show_weather, 1);
    EXPECT_EQ(ReadFileBytes(File()), saved);

    // Once there is room again the same save goes through whole.
    Settings.show_weather = 0;
    EXPECT_TRUE(WriteSettings({{u"dloption", u"2"}}));
    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(Settings.dloption, 2);
    EXPECT_EQ(Settings.show_weather, 0);
    EXPECT_EQ(Settings.guid.view(), guid);
}

TEST_F(SettingsWriteFailure, AFolderThatRefusesTheTemporaryFileKeepsTheOldFile) {
    // The temporary name is taken by a folder: it cannot be created, and the
    // old file is neither truncated nor replaced.
    std::filesystem::create_directory(dir / (std::string("settings.cfg") + kReplacementSuffix));
    Settings.show_newver = 0;
    EXPECT_FALSE(WriteSettings({{u"dloption", u"1"}}));
    EXPECT_EQ(ReadFileBytes(File()), saved);
}
