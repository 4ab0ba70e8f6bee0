// Implemented / Missing: see photo_cache.h.
#include "photos/photo_cache.h"

#include <algorithm>
#include <mutex>
#include <string>

#include "base/platform.h"

bool ReadFindData(const std::u16string& name, FindData& out) {
    PathText path;
    if (!DataFilePath(name, path)) return false;
    std::error_code ec;
    auto p = ToPath(path.view());
    // Only a file of the folder itself: a link could name anything anywhere.
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(p, ec))) return false;
    out.name = name;
    out.size = std::filesystem::file_size(p, ec);
    if (ec) out.size = 0;
    out.lastWriteTime = 0;
    FileLastWriteTime(p, out.lastWriteTime);
    return true;
}

bool ReadCachedPhoto(const std::u16string& name, FindData& out) {
    // An empty file is no photo: it would only show as a black slide.
    return EndsWithNoCase(name, ".jpg") && ReadFindData(name, out) && out.size > 0;
}

int32_t DeleteDataFiles(std::initializer_list<std::string_view> tails) {
    int32_t deleted = 0;
    ForEachDataFile([&](const std::u16string& name) {
        if (std::none_of(tails.begin(), tails.end(),
                         [&](std::string_view tail) { return EndsWithNoCase(name, tail); }))
            return;
        PathText path;
        std::error_code ec;
        // Removing a name removes the link itself should one have taken the
        // file's place since the walk looked at it: never what it names.
        if (DataFilePath(name, path) && std::filesystem::remove(ToPath(path.view()), ec)) ++deleted;
    });
    return deleted;
}

int32_t ListCachedPhotos() {
    ForEachDataFile([](const std::u16string& name) {
        FindData data;
        if (!ReadCachedPhoto(name, data)) return;
        std::lock_guard<std::mutex> lock(PhotoListLock);
        AppendPhoto(MakePhotoEntry(data));
    });
    std::lock_guard<std::mutex> lock(PhotoListLock);
    SortPhotos(PhotoList, 0, PhotoList->Count - 1, ComparePhotoTimes);
    return PhotoList->Count;
}

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
