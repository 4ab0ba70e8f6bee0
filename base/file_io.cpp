#include "base/file_io.h"

#include <fstream>
#include <system_error>

#include "base/platform.h"

bool ReadWholeFile(const std::filesystem::path& p, std::string& out, std::size_t limit) {
    out.clear();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(p, ec)) return false;
    auto size = std::filesystem::file_size(p, ec);
    if (ec || size > limit) return false;
    std::ifstream in(p, std::ios::binary);
    if (!in) return false;
    out.assign(static_cast<std::size_t>(size), '\0');
    in.read(out.data(), static_cast<std::streamsize>(size));
    out.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        out.clear();
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::filesystem::path& p, const std::string& bytes) {
    std::filesystem::path temp = p;
    temp += kReplacementSuffix;
    bool written = false;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        written = !out.fail();
    }
    std::error_code ec;
    // The rename replaces the old file at once; without the sync a power
    // cut could still leave the new name on blocks never written.
    if (written && SyncFileToDisk(temp)) std::filesystem::rename(temp, p, ec);
    if (written && !ec) return true;
    std::filesystem::remove(temp, ec);
    return false;
}
