// PhotoList: the cached photos, oldest first by last-write time.
//
// Threads: the main thread scans, reads and removes; the harvest thread
// appends. Every change and every read of Count/Items that can overlap an
// append holds PhotoListLock; use PhotoCount() and PhotoPathAt() from the
// slideshow. ScanCache (photo_source.h) replaces the list only while no
// harvest runs.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "base/fixed_text.h"

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

// Replaces the list with a new empty one of a new Serial; main thread.
void StartNewPhotoList();
// An entry for `data`, a file directly in the data folder.
PhotoEntry* MakePhotoEntry(const FindData& data);
void AppendPhoto(PhotoEntry* entry);
void SortPhotos(PhotoListRecord* list, int32_t first, int32_t last,
                int (*compare)(const PhotoEntry*, const PhotoEntry*));
int ComparePhotoTimes(const PhotoEntry* a, const PhotoEntry* b);
// Only a file of the data folder is deleted: an entry elsewhere leaves the
// list but never the disk.
void RemoveOldestPhoto();
void FreePhotoList(PhotoListRecord* list);

// Locked reads for the slideshow: the count, and a copy of entry i's path
// (false when i is outside the list).
int32_t PhotoCount();
bool PhotoPathAt(int32_t i, PathText& out);
