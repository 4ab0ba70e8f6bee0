// Gallery page refresh and the harvest thread. The slideshow asks RefreshDue
// and calls StartHarvest on the drawing thread; HarvestThread runs the update
// query, then one RefreshGallery pass: download the chosen gallery's page
// into "index.htm", harvest its photos, stamp the refresh time.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

// Time of the last refresh as UTC file time; 0 before any. Written by the
// harvest thread (end of a pass) and by NoteSavedPage (drawing thread), read
// by RefreshDue; a single value read and written whole.
extern std::atomic<int64_t> LastRefreshTime;
// Held around the creation of the harvest thread.
extern std::mutex HarvestStartLock;
// Raised by a pass that stored a photo; cleared by the slideshow.
extern std::atomic<bool> NewPhotosFlag;

// True when the chosen gallery's page is older than SaverApp.RefreshSeconds
// (a page from the future, after the clock was set back, is never stale).
bool RefreshDue();
// Starts HarvestThread unless one runs. Drawing thread only.
void StartHarvest();
// True from StartHarvest until the harvest thread's last action.
bool HarvestRunning();
// One refresh pass (runs on HarvestThread; callable directly by tests).
void RefreshGallery();
// After a cache scan: LastRefreshTime becomes the last-write time of
// "index.htm" when that file exists.
void NoteSavedPage();
