#include "support/wine_prefix.h"

#include <cstdlib>

bool MakeWinePrefix(const char* tool, const std::filesystem::path& prefix,
                    const std::string& display) {
    std::string command = "WINEPREFIX='" + prefix.string() + "'";
    if (!display.empty()) command += " DISPLAY=" + display;
    command += " '" + std::string(tool) + "'";
    return std::system(command.c_str()) == 0;
}

SuiteWinePrefix::SuiteWinePrefix(const char* tool) {
    if (const char* given = std::getenv("WINEPREFIX"); given && *given) {
        path_ = given;
        return;
    }
    own_ = std::make_unique<TempDir>();
    path_ = (own_->path() / "prefix").string();
    ok_ = MakeWinePrefix(tool, path_);
}

SuiteWinePrefix::~SuiteWinePrefix() {
    const std::string wait = "WINEPREFIX='" + path_ + "' wineserver -w";
    std::system(wait.c_str());
}
