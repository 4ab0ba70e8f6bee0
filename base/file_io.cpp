#include "base/file_io.h"

#include <cerrno>
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

std::error_code WriteWholeFile(const std::filesystem::path& p, const std::string& bytes) {
    // The C library's reason for a stream that failed; any failure has one.
    auto lastError = [] {
        return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
    };
    std::filesystem::path temp = p;
    temp += kReplacementSuffix;
    std::error_code failed;
    errno = 0;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return lastError();
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (out.fail()) failed = lastError();
    }
    // The rename replaces the old file at once; without the sync a power
    // cut could still leave the new name on blocks never written.
    if (!failed && !SyncFileToDisk(temp)) failed = lastError();
    if (!failed) std::filesystem::rename(temp, p, failed);
    if (!failed) return {};
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    return failed;
}
