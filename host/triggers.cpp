#include "host/triggers.h"

#include <algorithm>
#include <string>

#include "base/clock.h"
#include "base/event_log.h"
#include "harvest/gallery_refresh.h"
#include "harvest/photo_source_commons.h"
#include "host/saver_window.h"
#include "overlay/overlay_texture.h"
#include "photos/photo_folder.h"
#include "photos/photo_list.h"
#include "photos/photo_source.h"
#include "settings/settings.h"
#include "slideshow/slideshow.h"
#include "update/version_notice.h"
#include "weather/weather_feed.h"
#include "weather/weather_panels.h"

TriggerState Triggers;

void ResetTriggersAtStart() {
    Triggers.TransitionCount = 0;
    Triggers.NoticeQueued = Triggers.FirstPanelQueued = Triggers.SecondPanelQueued = false;
}

bool HarvestWantedAtStart(int32_t photoCount) {
    return photoCount < kHarvestBelowPhotos;
}

bool PeriodicCheckFires(uint32_t now) {
    if (Triggers.LastRefreshCheck == 0) {
        Triggers.LastRefreshCheck = now;
        return false;
    }
    if (static_cast<int32_t>(now - Triggers.LastRefreshCheck) <=
        static_cast<int32_t>(kPeriodicCheckMillis))
        return false;
    Triggers.LastRefreshCheck = now;
    return true;
}

Interlude ChooseInterlude(bool showWeather, bool showNewVersion, bool newerVersionKnown) {
    TriggerState& t = Triggers;
    t.NoticeQueued = false;
    ++t.TransitionCount;
    bool notice = newerVersionKnown && showNewVersion;
    if (t.SecondPanelQueued) {
        t.FirstPanelQueued = t.SecondPanelQueued = false;
        if (notice) {
            t.NoticeQueued = true;
            return Interlude::Notice;
        }
    }
    if (t.FirstPanelQueued) {
        t.FirstPanelQueued = false;
        t.SecondPanelQueued = true;
        return Interlude::ForecastPanel;
    }
    if (t.TransitionCount % kInterludeEvery == 0) {
        if (showWeather) {
            t.FirstPanelQueued = true;
            t.SecondPanelQueued = false;
            return Interlude::CurrentPanel;
        }
        if (notice) {
            t.NoticeQueued = true;
            return Interlude::Notice;
        }
    }
    return Interlude::NextPhoto;
}

namespace {
void AfterCacheScan() {
    NoteSavedPage();
    WeatherCheck();
}

// The harvest picks its thumbnail width by the largest monitor.
void NoteMonitorsForHarvest() {
    int width = 0, height = 0;
    PhotoDecodeExtent(width, height);
    SetLargestMonitorExtent(std::max(width, height));
}

// With the user's folder in use the harvest pass asks only for the update
// (gallery_refresh.h), when the refresh interval says so; its photos never
// count as too few.
void AfterSlideshowStart(int32_t photoCount) {
    ResetTriggersAtStart();
    NoteMonitorsForHarvest();
    if (PhotoFolderInUse() ? RefreshDue() : HarvestWantedAtStart(photoCount)) StartHarvest();
    WeatherCheck();
}

void WhileSlideOnShow() {
    if (!PeriodicCheckFires(TickCount())) return;
    if (RefreshDue()) StartHarvest();
    WeatherCheck();
}

// Fewer than two photos: a failed harvest (no network yet at the first
// start) stamped the page as refreshed, so RefreshDue would wait a week;
// the same check asks for the harvest whatever the page's age. The user's
// folder is walked again instead while it gave no photo.
void WhileTooFewPhotos() {
    if (!PeriodicCheckFires(TickCount())) return;
    if (PhotoFolderInUse()) {
        RewalkEmptyFolder();
    } else {
        LogEvent("periodic check: fewer than two photos, harvest again");
        StartHarvest();
    }
    WeatherCheck();
}

bool RescanBeforeAdvance() {
    if (!NewPhotosFlag.load()) return false;
    NewPhotosFlag = false;
    ReleaseSlotTextures();
    ScanCache();  // its closing steps send the show back to Start
    return true;
}

const char* InterludeName(Interlude what) {
    switch (what) {
        case Interlude::CurrentPanel:
            return "current conditions panel";
        case Interlude::ForecastPanel:
            return "forecast panel";
        case Interlude::Notice:
            return "new-version notice";
        case Interlude::NextPhoto:
            break;
    }
    return "photo";
}

// The event log's line for a slide that an interlude could have taken.
void LogInterlude(Interlude what, bool afterPanels, bool showWeather, bool newerKnown) {
    if (what != Interlude::NextPhoto) {
        LogEvent(std::string("interlude: ") + InterludeName(what));
        return;
    }
    if (!afterPanels && Triggers.TransitionCount % kInterludeEvery != 0) return;
    std::string why = "interlude skipped:";
    if (!afterPanels)
        why += !showWeather ? " weather panels off;" : " no current conditions in the report;";
    // A newer version known at this slide would have brought the notice
    // unless notices are off.
    why += newerKnown ? " notices off" : " no newer version known";
    LogEvent(why);
}

Interlude NextInterlude() {
    int32_t showWeather, showNewVersion;
    {
        std::lock_guard<std::mutex> lock(SettingsLock);
        showWeather = Settings.show_weather;
        showNewVersion = Settings.show_newver;
    }
    // Panels without current conditions would show invented weather (a
    // storm picture, 0 degrees, an empty heading): the pair is left out, as
    // when the panels are switched off.
    const bool weatherKnown = WeatherReportComplete(CurrentWeatherReport());
    const bool newerKnown = NewerVersionKnown();
    const bool afterPanels = Triggers.SecondPanelQueued;
    Interlude what =
        ChooseInterlude(showWeather != 0 && weatherKnown, showNewVersion != 0, newerKnown);
    LogInterlude(what, afterPanels, showWeather != 0, newerKnown);
    return what;
}

bool FadeToBlack() {
    return NewPhotosFlag.load();
}

void PaintInterlude(Interlude what, int slotIndex) {
    ScreenExtent screen = ScreenSize();
    switch (what) {
        case Interlude::CurrentPanel:
            MakeOverlayTexture(slotIndex, screen.width, screen.height, DrawCurrentPanel);
            break;
        case Interlude::ForecastPanel:
            MakeOverlayTexture(slotIndex, screen.width, screen.height, DrawForecastPanel);
            break;
        case Interlude::Notice:
            DrawVersionNotice(slotIndex, screen.width, screen.height);
            break;
        case Interlude::NextPhoto:
            break;
    }
}
}  // namespace

const SlideshowHooks kTriggerHooks = {AfterCacheScan,    AfterSlideshowStart, WhileSlideOnShow,
                                      WhileTooFewPhotos, RescanBeforeAdvance, NextInterlude,
                                      PaintInterlude,    FadeToBlack};
