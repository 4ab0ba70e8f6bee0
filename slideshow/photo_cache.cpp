// Implemented / Missing: see photo_cache.h.
#include "slideshow/photo_cache.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "base/process_state.h"
#include "base/text.h"
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
    int32_t deleted = 0;
    ForEachDataFile([&deleted](const std::u16string& name) {
        if (!EndsWithNoCase(name, ".jpg") && !EndsWithNoCase(name, ".jpg.tmp")) return;
        PathText path;
        std::error_code ec;
        // Removing a name removes the link itself should one have taken the
        // file's place since the walk looked at it: never what it names.
        if (DataFilePath(name, path) && std::filesystem::remove(ToPath(path.view()), ec)) ++deleted;
    });
    return deleted;
}
