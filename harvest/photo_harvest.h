// The photo site's harvest, and the rules every source's pass shares.
//
// HarvestFromSite downloads the chosen gallery's page into "index.htm" and
// turns it into new photos in the cache folder. Thumbnail links (ThumbnailPrefix, net/endpoints.h)
// are read in page order; each photo the cache lacks is downloaded from PhotoPrefix + the same tail
// into a flat name (every "/" of the tail becomes "-") and appended to the PhotoList. At most
// kHarvestPhotosPerPass per pass, with a pause of kHarvestPauseSteps x 100 ms after every attempt.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/fixed_text.h"

inline constexpr int32_t kHarvestPhotosPerPass = 20;
inline constexpr int kHarvestPauseSteps = 20;
inline constexpr int kHarvestPauseStepMillis = 100;

// Photos stored by the current pass. Written by the harvest thread (reset by
// RefreshGallery before each pass); read by it and by tests.
extern std::atomic<int32_t> NewPhotoCount;

// The photo site's saved gallery page; its last-write time is the refresh
// time a later start finds.
inline constexpr char16_t kSitePageName[] = u"index.htm";

// One pass over the photo site: the page, then HarvestPhotos over it. True
// when the page arrived.
bool HarvestFromSite();

// --- shared by every source's pass (harvest thread) ----------------------
// After a photo was stored under `name` in the data folder: counts it and
// appends it to the PhotoList, so the slideshow can show it at once.
void AnnounceStoredPhoto(const std::u16string& name);
// The pause after a download attempt: kHarvestPauseSteps steps, ended at
// once by StopRequested.
void PauseAfterAttempt();
// Asked before every gallery page, listing and photo download: true when
// downloads must wait, because the link is metered or the machine runs on
// battery (net/link_state.h) and "download_anyway" is off. The first true
// of a pass logs why and holds the rest of the pass (PassHeld); the pass
// is then tried again within kHeldPassRetrySeconds (gallery_refresh.h).
bool DownloadsHeld();
// True once DownloadsHeld held this pass; BeginPass clears it.
bool PassHeld();
void BeginPass();

// `page`: the zero-terminated 8-bit text of a gallery page. Runs on the
// harvest thread; returns at the end of the page, after the 20th stored
// photo, or soon after StopRequested.
void HarvestPhotos(const char* page);

// One thumbnail link of a page and what the harvest would make of it.
struct PhotoLink {
    bool closed = false;  // the tail ends at a double quote
    bool usable = false;  // the tail passed the checks; url, name and path are set
    PathText url;         // PhotoPrefix + tail
    std::u16string name;  // the flat cache name
    PathText path;        // DataFolder + separator + name
};

// The walk over one page: each call finds the next link. Every byte of the
// page is looked at a bounded number of times, so a pass takes time linear
// in the page whatever it holds.
struct PhotoLinkScan {
    explicit PhotoLinkScan(std::string_view text);  // reads the endpoint table
    std::string_view page;
    std::string thumbnailPrefix;
    std::u16string photoPrefix;
    std::size_t maxTail = 0;  // the longest tail whose photo URL fits in 259 characters
    std::size_t from = 0;     // where the next link is searched
    std::size_t quote = std::string_view::npos;  // a double quote found earlier, if any
    bool ended = false;  // a link without closing quote: no later link can close
};

// The next link of the page into `out`; false at the end of the page.
bool NextPhotoLink(PhotoLinkScan& scan, PhotoLink& out);

// Tests shorten the pause step so that passes of many links stay quick; the
// real saver always uses kHarvestPauseStepMillis.
void SetHarvestPauseStepMillis(int ms);
