#include "base/file_io.h"

#include <fstream>
#include <system_error>

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
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}
