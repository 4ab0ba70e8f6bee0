// The photo harvest: turns a downloaded gallery page into new photos in the
// cache folder. Thumbnail links (ThumbnailPrefix, net/endpoints.h) are read
// in page order; each photo the cache lacks is downloaded from PhotoPrefix +
// the same tail into a flat name (every "/" of the tail becomes "-") and
// appended to the PhotoList. At most kHarvestPhotosPerPass per pass, with a
// pause of kHarvestPauseSteps x 100 ms after every attempt.
#pragma once

#include <atomic>
#include <cstdint>

inline constexpr int32_t kHarvestPhotosPerPass = 20;
inline constexpr int kHarvestPauseSteps = 20;
inline constexpr int kHarvestPauseStepMillis = 100;

// Photos stored by the current pass. Written by the harvest thread (reset by
// RefreshGallery before each pass); read by it and by tests.
extern std::atomic<int32_t> NewPhotoCount;

// `page`: the zero-terminated 8-bit text of a gallery page. Runs on the
// harvest thread; returns at the end of the page, after the 20th stored
// photo, or soon after StopRequested.
void HarvestPhotos(const char* page);

// Tests shorten the pause step so that passes of many links stay quick; the
// real saver always uses kHarvestPauseStepMillis.
void SetHarvestPauseStepMillis(int ms);
