#include "harvest/gallery_refresh.h"

#include <mutex>
#include <string>

#include "base/clock.h"
#include "base/event_log.h"
#include "base/fixed_text.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "base/saver_app.h"
#include "base/text.h"
#include "harvest/photo_harvest.h"
#include "net/endpoints.h"
#include "net/http_fetcher.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"
#include "update/update_query.h"

std::atomic<int64_t> LastRefreshTime{0};
std::atomic<bool> NewPhotosFlag{false};
std::mutex HarvestStartLock;

namespace {
constexpr char16_t kPageName[] = u"index.htm";

// The running mark: set by StartHarvest under HarvestStartLock before the
// thread exists, cleared by the thread as its last action.
std::atomic<bool> g_harvestRunning{false};

void HarvestThread() {
    QueryUpdate();
    RefreshGallery();
    g_harvestRunning = false;
}
}  // namespace

bool RefreshDue() {
    int64_t age = (FileTimeNow() - LastRefreshTime.load()) / kFileTimeTicksPerSecond;
    return age > SaverApp.RefreshSeconds;
}

bool HarvestRunning() {
    return g_harvestRunning.load();
}

void StartHarvest() {
    if (g_harvestRunning.load()) return;
    std::lock_guard<std::mutex> lock(HarvestStartLock);
    if (g_harvestRunning.exchange(true)) return;
    // Without a thread the next trigger tries again.
    if (!StartBackgroundThread(HarvestThread)) g_harvestRunning = false;
}

void RefreshGallery() {
    PathText pagePath;
    bool pathFits = DataFilePath(kPageName, pagePath);
    std::u16string url = GalleryUrl(Settings.dloption);
    NewPhotoCount = 0;
    std::string page;
    bool fetched = pathFits && FetchIntoMemory(url, pagePath.view(), page,
                                               ServiceBodyLimit(Service::PhotoSite));
    if (fetched) HarvestPhotos(page.c_str());
    LastRefreshTime = FileTimeNow();
    LogEvent(std::string("harvest pass: ") +
             (fetched ? "gallery page fetched, " : "no gallery page, ") +
             std::to_string(NewPhotoCount.load()) + " new photos");
    if (NewPhotoCount.load() > 0) NewPhotosFlag = true;
}

void NoteSavedPage() {
    PathText pagePath;
    if (!DataFilePath(kPageName, pagePath)) return;
    int64_t written = 0;
    if (FileLastWriteTime(ToPath(pagePath.view()), written)) LastRefreshTime = written;
}
