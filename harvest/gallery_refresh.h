// Gallery refresh and the harvest thread. The slideshow asks RefreshDue
// and calls StartHarvest on the drawing thread; HarvestThread runs the update
// query (where an update service is configured), then one RefreshGallery
// pass over the chosen photo source: list the gallery, store up to 20 new
// photos, stamp the refresh time. With the user's own photo folder in use
// (photos/photo_folder.h) nothing is harvested: the pass is the update
// query and the stamp alone.
//
// Back-off, for every source: a pass that fails or stores nothing holds
// StartHarvest back for 5 s, then twice as long after each such pass up to
// 30 minutes; a pass that stores a photo ends the back-off. An empty
// gallery is then asked again at that pace, not at every periodic check.
//
// Held passes: on a metered link or on battery (DownloadsHeld,
// photo_harvest.h) a pass downloads nothing more, and the update query still
// runs. Such a pass leaves the back-off as it was and is tried again
// kHeldPassRetrySeconds later (RefreshDue says so, StartHarvest waits that
// long), so downloads start soon after the cable or an unmetered network is
// back; the retry asks for the update only when the refresh interval says so.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "base/backoff.h"

// Time of the last refresh as UTC file time; 0 before any. Written by the
// harvest thread (end of a pass) and by NoteSavedPage (drawing thread), read
// by RefreshDue; a single value read and written whole.
extern std::atomic<int64_t> LastRefreshTime;
// Held around the creation of the harvest thread.
extern std::mutex HarvestStartLock;
// Raised by a pass that stored a photo; cleared by the slideshow.
extern std::atomic<bool> NewPhotosFlag;
// A held pass is tried again after this long.
inline constexpr int32_t kHeldPassRetrySeconds = 30;

// True when the chosen gallery's page is older than SaverApp.RefreshSeconds
// (a page from the future, after the clock was set back, is never stale),
// or when the last pass was held.
bool RefreshDue();
// Starts HarvestThread unless one runs or the back-off holds. Drawing
// thread only.
void StartHarvest();
// True from StartHarvest until the harvest thread's last action.
bool HarvestRunning();
// One refresh pass (runs on HarvestThread; callable directly by tests).
void RefreshGallery();
// After a cache scan: LastRefreshTime becomes the last-write time of the
// chosen source's saved listing ("index.htm", "listing.json") when it exists.
void NoteSavedPage();

// The back-off the last pass left, in seconds; 0 when none holds.
int32_t HarvestBackoffSeconds();
// Tests start each case without back-off.
void ResetHarvestBackoff();
