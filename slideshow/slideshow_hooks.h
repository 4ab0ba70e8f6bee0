// Where the background work (harvest, weather checks) and the interludes
// (weather panels, version notice) join the scheduler. slideshow.cpp calls
// these at fixed points; the host installs the saver's triggers
// (host/triggers.cpp), so the slideshow knows nothing of what they start.
#pragma once

#include <cstdint>

// What takes a slide's turn instead of the next photo.
enum class Interlude { NextPhoto, CurrentPanel, ForecastPanel, Notice };

struct SlideshowHooks {
    // End of every cache scan, before the show restarts from Start.
    void (*afterCacheScan)();
    // End of Start, with the photo count read there.
    void (*afterStart)(int32_t photoCount);
    // Each step while a slide is within its display time.
    void (*whileOnShow)();
    // Each step of NoPhotos and OnePhoto that leaves the state as it is:
    // fewer than two photos, so no slide changes and whileOnShow never runs.
    void (*whileTooFewPhotos)();
    // First thing at Advance. True when it rescanned the cache, which
    // restarts the show: Advance then stops.
    bool (*rescanBeforeAdvance)();
    // At Advance, once the slot's texture is renewed: counts the transition
    // and says what fills the slot.
    Interlude (*nextInterlude)();
    // Paints a weather panel or the version notice into the slot's texture.
    void (*paintInterlude)(Interlude what, int slot);
    // While true (a rescan is pending) the incoming slide is not drawn, so
    // the outgoing one fades to black.
    bool (*fadeToBlack)();
};
