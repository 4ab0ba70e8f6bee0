#include "harvest/gallery_refresh.h"

#include <algorithm>
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
#include "harvest/photo_source_commons.h"
#include "net/endpoints.h"
#include "net/http_fetcher.h"
#include "photos/photo_folder.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"
#include "update/update_query.h"

std::atomic<int64_t> LastRefreshTime{0};
std::atomic<bool> NewPhotosFlag{false};
std::mutex HarvestStartLock;

namespace {
// The running mark: set by StartHarvest under HarvestStartLock before the
// thread exists, cleared by the thread as its last action.
std::atomic<bool> g_harvestRunning{false};

// The back-off: written by the harvest thread at the end of a pass, before
// it clears the running mark; read by StartHarvest only after it saw the
// mark clear, so a pass's two values are read together.
std::atomic<int32_t> g_backoffSeconds{0};
std::atomic<uint32_t> g_backoffFrom{0};  // tick count at the end of that pass
// A held pass waits for its retry: written like the back-off.
std::atomic<bool> g_heldRetry{false};
std::atomic<uint32_t> g_heldFrom{0};

bool BackoffHolds(uint32_t now) {
    const int32_t seconds = g_backoffSeconds.load();
    return seconds > 0 && static_cast<int32_t>(now - g_backoffFrom.load()) < seconds * 1000;
}

bool HeldRetryWaits(uint32_t now) {
    return g_heldRetry.load() &&
           static_cast<int32_t>(now - g_heldFrom.load()) < kHeldPassRetrySeconds * 1000;
}

bool PageStale() {
    int64_t age = (FileTimeNow() - LastRefreshTime.load()) / kFileTimeTicksPerSecond;
    return age > SaverApp.RefreshSeconds;
}

void NoteBackoff(bool stored) {
    g_backoffSeconds = NextBackoffSeconds(g_backoffSeconds.load(), stored);
    g_backoffFrom = TickCount();
}

const char16_t* SavedListingName() {
    return ChosenPhotoSource == PhotoSource::Commons ? kCommonsListingName : kSitePageName;
}

void HarvestThread() {
    // A held pass asked for the update already.
    const bool retry = g_heldRetry.exchange(false);
    if (UpdateServiceConfigured() && (!retry || PageStale())) QueryUpdate();
    if (PhotoFolderInUse()) {
        LastRefreshTime = FileTimeNow();
    } else {
        RefreshGallery();
    }
    g_harvestRunning = false;
}
}  // namespace

bool RefreshDue() {
    return g_heldRetry.load() || PageStale();
}

bool HarvestRunning() {
    return g_harvestRunning.load();
}

int32_t HarvestBackoffSeconds() {
    return g_backoffSeconds.load();
}

void ResetHarvestBackoff() {
    g_backoffSeconds = 0;
    g_heldRetry = false;
}

void StartHarvest() {
    const uint32_t now = TickCount();
    if (g_harvestRunning.load() || BackoffHolds(now) || HeldRetryWaits(now)) return;
    std::lock_guard<std::mutex> lock(HarvestStartLock);
    if (g_harvestRunning.exchange(true)) return;
    // Without a thread the next trigger tries again.
    if (!StartBackgroundThread(HarvestThread)) g_harvestRunning = false;
}

void RefreshGallery() {
    BeginPass();
    const bool commons = ChosenPhotoSource == PhotoSource::Commons;
    const bool listed = commons ? HarvestFromCommons() : HarvestFromSite();
    LastRefreshTime = FileTimeNow();
    const int32_t stored = NewPhotoCount.load();
    if (PassHeld()) {
        g_heldFrom = TickCount();
        g_heldRetry = true;
        // A pass held before its first download says nothing of the network.
        if (stored == 0) return;
    }
    NoteBackoff(stored > 0);
    const char* listing = commons ? (listed ? "Commons listing fetched" : "no Commons listing")
                                  : (listed ? "gallery page fetched" : "no gallery page");
    LogEvent(std::string("harvest pass: ") + listing + ", " + std::to_string(stored) +
             " new photos" +
             (stored > 0 ? "" : ", back-off " + std::to_string(HarvestBackoffSeconds()) + " s"));
    if (stored > 0) NewPhotosFlag = true;
}

void NoteSavedPage() {
    PathText pagePath;
    if (!DataFilePath(SavedListingName(), pagePath)) return;
    int64_t written = 0;
    if (FileLastWriteTime(ToPath(pagePath.view()), written)) LastRefreshTime = written;
}
