// Everything a folder holds, to show that a run left it exactly as it was:
// every entry below it (links not followed) with its kind, its last-write
// time and, for files, its bytes.
#pragma once

#include <filesystem>
#include <map>
#include <string>

struct SnapshotEntry {
    std::filesystem::file_type type = std::filesystem::file_type::none;
    std::filesystem::file_time_type lastWrite;
    std::string bytes;   // files only
    std::string target;  // links only
    bool operator==(const SnapshotEntry&) const = default;
};
// Keyed by the native path relative to the folder.
using FolderSnapshot = std::map<std::filesystem::path::string_type, SnapshotEntry>;

FolderSnapshot SnapshotFolder(const std::filesystem::path& folder);
// The first difference between two snapshots, for a failure message; empty
// when they are equal.
std::string SnapshotDifference(const FolderSnapshot& before, const FolderSnapshot& after);
