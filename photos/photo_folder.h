// The user's own photo folder as the photo source: its JPEGs, in it and in
// its subfolders, fill the PhotoList instead of the harvested cache. The
// folder is only ever read: nothing in it is created, renamed, deleted or
// changed, and files are opened for reading only.
//
// Threads: the folder is chosen once at start-up, before any other thread
// exists, and read-only afterwards. The walk runs on background threads
// and appends to the PhotoList under PhotoListLock, only to the list it was
// started for (PhotoListRecord::Serial); the walk counters are atomics.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

#include "base/fixed_text.h"

// Bounds of one walk: folders deeper than this below the chosen one are
// not entered, and the walk ends after this many directory entries.
inline constexpr int kFolderWalkDepth = 16;
inline constexpr int32_t kFolderWalkEntries = 100'000;
// A folder that gave no photo is walked again after this long (a drive
// plugged in later); a folder with photos is not walked again.
inline constexpr uint32_t kEmptyFolderRewalkMillis = 60'000;

// Shows the photos of `folder` from now on; empty shows the harvested cache.
// Start-up only.
void UsePhotoFolder(std::u16string_view folder);
bool PhotoFolderInUse();

struct FolderWalkCounts {
    int32_t entries = 0;  // directory entries looked at
    int32_t photos = 0;   // photos passed to the visitor
};
// Called with the full path of each photo found; false ends the walk.
using FolderVisitor = std::function<bool(const PathText& path)>;

// Walks `root` for photos (".jpg" and ".jpeg", any case), within the bounds
// above. Links are never followed, nor is the saver's data folder entered;
// folders that cannot be read, names that are no valid text and paths
// longer than PathText are passed over. Ends early on StopRequested.
FolderWalkCounts WalkPhotoFolder(const std::filesystem::path& root, const FolderVisitor& visit);

// Walks the folder in use on a background thread into the current
// PhotoList: the first photo at once, so the show can begin, then in
// batches. False when no thread could be made.
bool StartFolderWalk();
// True while a walk thread runs.
bool FolderWalkRunning();
// The periodic check while fewer than two photos show: a folder that gave
// none is walked again, at most every kEmptyFolderRewalkMillis. Main thread.
void RewalkEmptyFolder();
