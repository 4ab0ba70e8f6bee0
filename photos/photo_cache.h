// The saver's own photos in the data folder: listed into the PhotoList for
// the cache scan, measured and cleared for the setup dialog, listed with
// their credits for --credits. A photo is a non-empty "*.jpg" file (any
// case) directly in the data folder, never a link or a subfolder. Credits
// live inside the photo files, so a photo and its credit go together.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "base/process_state.h"
#include "base/text.h"
#include "photos/photo_list.h"

struct CacheUsage {
    int32_t photos = 0;
    uint64_t bytes = 0;  // the photos' sizes added up
};

CacheUsage MeasurePhotoCache();

// Deletes the photos ("*.jpg", empty ones too) and the leftovers of
// interrupted downloads ("*.jpg.tmp") directly in the data folder; a link is
// passed over and its target never touched. Every other file stays: the
// settings, the weather caches, the saved gallery page. Returns the number
// of files deleted.
int32_t ClearPhotoCache();

// Reads the directory entry of a regular file in the data folder; false when
// absent, or a link or anything else.
bool ReadFindData(const std::u16string& name, FindData& out);
// ReadFindData for a photo the scan lists: a non-empty "*.jpg" file.
bool ReadCachedPhoto(const std::u16string& name, FindData& out);

// Calls `visit` with the name of every regular file directly in the data
// folder. Links, folders and names that are no valid text are passed over,
// and nothing the folder holds can throw out of the walk.
template <typename Visit>
void ForEachDataFile(Visit visit) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::directory_iterator it(ToPath(DataFolder.view()), ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code kind;
        if (!fs::is_regular_file(it->symlink_status(kind))) continue;
        if (std::optional<std::u16string> name = FromPath(it->path().filename())) visit(*name);
    }
}

// Deletes every regular file directly in the data folder whose name ends in
// one of `tails` (any case); links are passed over, their targets never
// touched. Returns how many went.
int32_t DeleteDataFiles(std::initializer_list<std::string_view> tails);

// Fills the current PhotoList with the photos of the data folder, oldest
// first; returns how many.
int32_t ListCachedPhotos();
