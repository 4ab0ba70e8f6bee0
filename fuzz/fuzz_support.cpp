#include "fuzz_support.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "base/process_state.h"
#include "base/text.h"

std::filesystem::path MakeFuzzDataFolder() {
    // A memory-backed folder where there is one: targets that write real
    // files (the settings file is synced to disk on every save) would
    // otherwise spend their time waiting for the disk, not fuzzing.
    std::error_code ec;
    const std::filesystem::path shm("/dev/shm");
    const std::filesystem::path base =
        std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
    std::string pattern = (base / "skyreel-fuzz-XXXXXX").string();
    Require(mkdtemp(pattern.data()) != nullptr, "a temporary folder");
    std::filesystem::path folder(pattern);
    DataFolder.Assign(FromPath(folder).value());
    return folder;
}

std::string FolderListing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string out;
    for (const auto& n : names) out += n + "\n";
    return out;
}

void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    Require(!out.fail(), "the input file is written");
}

std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
