// What the saver left in its data folder, read the way both end-to-end
// tests (Linux and Wine) check it.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/screen_frames.h"
#include "weather/weather_report.h"

// The saver's data folder in the Wine prefix's own My Pictures folder
// (tools/wine-prefix.sh makes the shell folders real folders inside the
// prefix); empty when the prefix has none.
std::filesystem::path DataFolderIn(const std::filesystem::path& prefix);
// The names in `folder` ending in `suffix`.
std::set<std::string> FilesEndingIn(const std::filesystem::path& folder, const std::string& suffix);
// The cached feed scanned as the saver scans it; empty when there is none.
WeatherReport CachedWeather(const std::filesystem::path& folder);
std::u16string FromUtf16Le(const std::string& bytes);
// The value of `key` in key=value lines; empty when the key is missing.
std::u16string SettingValue(std::u16string_view text, std::u16string_view key);
// The kinds of slide seen, for a failure message.
std::string Describe(const std::vector<SlideKind>& kinds);
