#include "photos/photo_source.h"

#include <string>

#include "base/event_log.h"
#include "photos/photo_cache.h"
#include "photos/photo_folder.h"
#include "photos/photo_list.h"

namespace {
void (*g_closingSteps)() = nullptr;
}  // namespace

void SetScanCacheClosingSteps(void (*steps)()) {
    g_closingSteps = steps;
}

int ScanCache() {
    // Leftovers of interrupted downloads never carry a photo's final name.
    DeleteDataFiles({".jpg.tmp"});
    StartNewPhotoList();
    if (PhotoFolderInUse()) {
        // The walk fills the list on its own thread; the show starts with
        // whatever it has found and takes the rest as it comes.
        LogEvent("photo folder walk started");
        StartFolderWalk();
    } else {
        LogEvent("cache scan: " + std::to_string(ListCachedPhotos()) + " photos");
    }
    if (g_closingSteps) g_closingSteps();
    return 1;
}
