// Where the background work (harvest, weather checks) and the interludes
// (weather panels, version notice) join the scheduler. slideshow.cpp calls
// these at fixed points; triggers.cpp carries them out.
#pragma once

#include <cstdint>

// What takes a slide's turn instead of the next photo.
enum class Interlude { NextPhoto, CurrentPanel, ForecastPanel, Notice };

// End of every cache scan, before the show restarts from Start.
void AfterCacheScan();
// End of Start, with the photo count read there.
void AfterSlideshowStart(int32_t photoCount);
// Each step while a slide is within its display time.
void WhileSlideOnShow();
// First thing at Advance. True when it rescanned the cache, which restarts
// the show: Advance then stops.
bool RescanBeforeAdvance();
// At Advance, once the slot's texture is renewed: counts the transition and
// says what fills the slot.
Interlude NextInterlude();
// While true (a rescan is pending) the incoming slide is not drawn, so the
// outgoing one fades to black.
bool FadeToBlack();
