// Implemented / Missing: see photo_cache.h.
#include "photos/photo_cache.h"

#include <string>

#include "photos/photo_list.h"

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
