#include "e2e/data_folder.h"

#include <algorithm>
#include <cstdint>

#include "support/temp_dir.h"
#include "weather/weather_scanner.h"

namespace fs = std::filesystem;

fs::path DataFolderIn(const fs::path& prefix) {
    std::error_code ec;
    for (const auto& user : fs::directory_iterator(prefix / "drive_c" / "users", ec)) {
        if (user.path().filename() == "Public") continue;
        fs::path pictures = user.path() / "Pictures";
        if (fs::is_directory(pictures, ec)) return pictures / "Velmora" / "SkyreelSaver";
    }
    return {};
}

std::set<std::string> FilesEndingIn(const fs::path& folder, const std::string& suffix) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        std::string name = e.path().filename().string();
        if (name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            names.insert(name);
    }
    return names;
}

WeatherReport CachedWeather(const fs::path& folder) {
    WeatherReport report;
    std::error_code ec;
    if (!fs::exists(folder / "weather.xml", ec)) return report;
    WeatherScanner scanner;
    FeedWeatherBytes(scanner, report, ReadFileBytes(folder / "weather.xml"));
    return report;
}

std::u16string FromUtf16Le(const std::string& bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = char16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8);
    return text;
}

std::u16string SettingValue(std::u16string_view text, std::u16string_view key) {
    while (!text.empty()) {
        size_t end = std::min(text.find(u'\n'), text.size());
        std::u16string_view line = text.substr(0, end);
        if (line.size() > key.size() && line.substr(0, key.size()) == key &&
            line[key.size()] == u'=')
            return std::u16string(line.substr(key.size() + 1));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return {};
}

std::string Describe(const std::vector<SlideKind>& kinds) {
    std::string s;
    for (SlideKind k : kinds) s += std::string(s.empty() ? "" : ", ") + SlideKindName(k);
    return s.empty() ? "nothing" : s;
}
