// Pictures folder on Linux: XDG_PICTURES_DIR from user-dirs.dirs, with
// $HOME expanded, else ~/Pictures.
//
// Implemented / Missing (base/platform.h, paths, on Linux):
//   [x] PicturesFolder  [x] CreateFolderTree (std::filesystem)
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/platform.h"
#include "base/text.h"

namespace {
// One line of user-dirs.dirs: XDG_PICTURES_DIR="$HOME/Pictures". Only the
// quoted form with an absolute path or a $HOME prefix is accepted, as the
// file's own format allows no other.
std::optional<std::string> ParsePicturesLine(const std::string& line, const std::string& home) {
    static const std::string kKey = "XDG_PICTURES_DIR=\"";
    std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, kKey.size(), kKey) != 0) return {};
    std::size_t open = start + kKey.size();
    std::size_t close = line.find('"', open);
    if (close == std::string::npos) return {};
    std::string value = line.substr(open, close - open);
    if (value.rfind("$HOME", 0) == 0) {
        value = home + value.substr(5);
    } else if (value.empty() || value[0] != '/') {
        return {};
    }
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    return value;
}
}  // namespace

std::optional<std::u16string> PicturesFolder() {
    const char* homeEnv = std::getenv("HOME");
    if (!homeEnv || homeEnv[0] != '/') return {};
    std::string home = homeEnv;
    const char* cfg = std::getenv("XDG_CONFIG_HOME");
    std::string dirs =
        (cfg && cfg[0] == '/' ? std::string(cfg) : home + "/.config") + "/user-dirs.dirs";
    std::optional<std::string> found;
    std::ifstream in(dirs);
    std::string line;
    while (std::getline(in, line)) {
        if (auto v = ParsePicturesLine(line, home)) found = v;
    }
    return Utf8ToUtf16(found.value_or(home + "/Pictures"));
}

bool CreateFolderTree(std::u16string_view path) {
    std::error_code ec;
    const std::filesystem::path p = ToPath(path);
    std::filesystem::create_directories(p, ec);
    return std::filesystem::is_directory(p, ec);
}
