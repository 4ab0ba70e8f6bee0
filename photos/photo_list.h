// PhotoList: the cached photos, oldest first by last-write time.
//
// Threads: the main thread scans, reads and removes; the harvest thread
// appends. Every change and every read of Count/Items that can overlap an
// append holds PhotoListLock; use PhotoCount() and PhotoPathAt() from the
// slideshow. ScanCache replaces the list only while no harvest runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "base/fixed_text.h"
#include "base/process_state.h"
#include "base/text.h"

// The directory-search record; only the last-write time is the sort key.
struct FindData {
    std::u16string name;  // file name without folder
    uint64_t size = 0;
    int64_t lastWriteTime = 0;  // UTC file time
};

struct PhotoEntry {
    PathText Path;
    FindData Data;
};

struct PhotoListRecord {
    PhotoEntry** Items = nullptr;
    int32_t Count = 0;
    int32_t Capacity = 0;
    uint32_t Serial = 0;  // new for every ScanCache: a walk appends only to its own list
};

// The current list, absent until the first ScanCache.
extern PhotoListRecord* PhotoList;
// Guards every change of PhotoList and every read that can overlap one.
extern std::mutex PhotoListLock;

// With the user's folder in use (photo_folder.h) the list fills from the
// folder walk on its own thread instead of from the data folder.
int ScanCache();
PhotoEntry* MakePhotoEntry(const FindData& data);
void AppendPhoto(PhotoEntry* entry);
void SortPhotos(PhotoListRecord* list, int32_t first, int32_t last,
                int (*compare)(const PhotoEntry*, const PhotoEntry*));
int ComparePhotoTimes(const PhotoEntry* a, const PhotoEntry* b);
// Only a file of the data folder is deleted: an entry elsewhere leaves the
// list but never the disk.
void RemoveOldestPhoto();
void FreePhotoList(PhotoListRecord* list);

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

// Locked reads for the slideshow: the count, and a copy of entry i's path
// (false when i is outside the list).
int32_t PhotoCount();
bool PhotoPathAt(int32_t i, PathText& out);

// The closing steps of every scan (saved page time, weather check, restart of
// the slideshow), installed by the slideshow; none until then.
void SetScanCacheClosingSteps(void (*steps)());
