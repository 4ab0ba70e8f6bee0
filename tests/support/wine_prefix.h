// Wine prefixes for the tests that run the Win32 build under Wine (Linux
// side only), made by the project's prefix tool (tools/wine-prefix.sh).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "support/temp_dir.h"

// Makes a fresh prefix at `prefix` with `tool`, on `display` when one is
// given; true when the tool succeeded.
bool MakeWinePrefix(const char* tool, const std::filesystem::path& prefix,
                    const std::string& display = "");

// One prefix for a whole test binary: the caller's $WINEPREFIX, or a fresh
// one of its own (as the test command runs them, so that binaries running
// side by side never share one). The destructor waits for the prefix's
// wineserver to end.
class SuiteWinePrefix {
  public:
    explicit SuiteWinePrefix(const char* tool);
    ~SuiteWinePrefix();
    SuiteWinePrefix(const SuiteWinePrefix&) = delete;
    SuiteWinePrefix& operator=(const SuiteWinePrefix&) = delete;
    bool ok() const { return ok_; }
    const std::string& path() const { return path_; }

  private:
    std::unique_ptr<TempDir> own_;
    std::string path_;
    bool ok_ = true;
};

#ifdef SKYREEL_WINE_PREFIX_TOOL
// A fixture whose tests share the binary's prefix (Prefix()), made once
// before the first test of the suite and kept until its last.
class WinePrefixTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        prefix_ = std::make_unique<SuiteWinePrefix>(SKYREEL_WINE_PREFIX_TOOL);
        ASSERT_TRUE(prefix_->ok());
    }
    static void TearDownTestSuite() { prefix_.reset(); }
    static const std::string& PrefixPath() { return prefix_->path(); }

  private:
    static inline std::unique_ptr<SuiteWinePrefix> prefix_;
};
#endif
