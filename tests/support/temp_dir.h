// A fresh temporary folder per test, removed afterwards, and helpers for
// real files in it.
#pragma once

#include <filesystem>
#include <string>

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// Makes DataFolder point at a fresh temporary folder for the test's life.
class TempDataFolder : public TempDir {
  public:
    TempDataFolder();
};

void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes);
std::string ReadFileBytes(const std::filesystem::path& p);
