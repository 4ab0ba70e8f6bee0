// Implemented / Missing: see photo_cache.h.
#include "slideshow/photo_cache.h"

#include <string>

#include "slideshow/photo_list.h"

CacheUsage MeasurePhotoCache() {
    CacheUsage usage;
    ForEachDataFile([&usage](const std::u16string& name) {
        FindData data;
        if (!ReadCachedPhoto(name, data)) return;
        ++usage.photos;
        usage.bytes += data.size;
    });
    return usage;
}

int32_t ClearPhotoCache() {
    return DeleteDataFiles({".jpg", ".jpg.tmp"});
}
