// The saver's own photos in the data folder, measured and cleared for the
// setup dialog. A photo is what the cache scan lists: a non-empty "*.jpg"
// file directly in the data folder, never a link or a subfolder. Credits
// live inside the photo files, so a photo and its credit go together.
#pragma once

#include <cstdint>

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
