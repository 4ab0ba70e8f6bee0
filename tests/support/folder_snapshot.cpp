#include "support/folder_snapshot.h"

#include <system_error>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

FolderSnapshot SnapshotFolder(const fs::path& folder) {
    FolderSnapshot snapshot;
    std::error_code ec;
    for (fs::recursive_directory_iterator
             it(folder, fs::directory_options::skip_permission_denied, ec),
         end;
         !ec && it != end; it.increment(ec)) {
        SnapshotEntry e;
        std::error_code kind;
        e.type = it->symlink_status(kind).type();
        if (e.type == fs::file_type::symlink) {
            e.target = fs::read_symlink(it->path(), kind).string();
        } else {
            e.lastWrite = fs::last_write_time(it->path(), kind);
            if (e.type == fs::file_type::regular) e.bytes = ReadFileBytes(it->path());
        }
        snapshot[it->path().lexically_relative(folder).native()] = std::move(e);
    }
    return snapshot;
}

std::string SnapshotDifference(const FolderSnapshot& before, const FolderSnapshot& after) {
    for (const auto& [name, entry] : before) {
        const std::string shown = fs::path(name).string();
        auto found = after.find(name);
        if (found == after.end()) return "gone: " + shown;
        if (!(found->second == entry)) return "changed: " + shown;
    }
    for (const auto& [name, entry] : after)
        if (!before.count(name)) return "new: " + fs::path(name).string();
    return {};
}
