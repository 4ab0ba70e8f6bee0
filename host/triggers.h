// Background triggers and interludes: what the slideshow adds to its steps
// for the harvest, the weather check, the rescan after new photos, and the
// pictures painted in a photo's place every twentieth transition.
//
// Main thread only, like the scheduler that calls these at its hooks. The
// decisions are plain functions over the state below, so the schedule is
// tested without GL; kTriggerHooks carries them out.
#pragma once

#include <cstdint>

#include "slideshow/slideshow_hooks.h"

// Scheduler state added to the slideshow's (main thread only).
struct TriggerState {
    int32_t TransitionCount = 0;     // completed transitions since Start
    uint32_t LastRefreshCheck = 0;   // tick of the last periodic check; 0 = not yet, never reset
    bool NoticeQueued = false;       // the slot filled last holds the version notice,
    bool FirstPanelQueued = false;   // the current-conditions panel,
    bool SecondPanelQueued = false;  // or the forecast panel
};
extern TriggerState Triggers;

// Interludes every this many transitions; harvest at Start below this many photos.
inline constexpr int32_t kInterludeEvery = 20;
inline constexpr int32_t kHarvestBelowPhotos = 20;
inline constexpr uint32_t kPeriodicCheckMillis = 5000;

// --- decisions -----------------------------------------------------------
// At Start: reset the count and the queued flags.
void ResetTriggersAtStart();
// Whether Start asks for a harvest, given the photo count read there.
bool HarvestWantedAtStart(int32_t photoCount);
// The periodic check while a slide is on show: true when it fires now
// (the first call only arms it; then more than 5000 ms apart).
bool PeriodicCheckFires(uint32_t now);
// After the outgoing slot's texture was recreated at Advance: counts the
// transition and says what fills the slot.
Interlude ChooseInterlude(bool showWeather, bool showNewVersion, bool newerVersionKnown);

// --- effects ---------------------------------------------------------------
// The slideshow's hooks over the decisions above: harvest and weather
// checks, the rescan after new photos, and the interludes painted into a
// slot's texture (sized for the screen of the saver window).
extern const SlideshowHooks kTriggerHooks;
