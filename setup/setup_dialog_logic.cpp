// The setup dialog's fill and OK steps, and the photo source and cache
// parts. The version texts go out bare: each backend's layout holds the
// sentence they are put into.
#include "setup/setup_dialog_logic.h"

#include "base/process_state.h"
#include "base/saver_app.h"
#include "base/text.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"
#include "weather/open_meteo.h"
#include "weather/weather_feed.h"

namespace {
// A place chosen with Change replaces the stored one only when it differs.
bool LocationChanged(const PendingLocationRecord& pending) {
    return (!pending.name.empty() &&
            !EqualsNoCase(pending.name.view(), Settings.weather_loc.view())) ||
           (!pending.id.empty() &&
            !EqualsNoCase(pending.id.view(), Settings.weather_loc_id.view()));
}

// `bytes` in whole `unit`s, rounded to the nearest.
uint64_t Nearest(uint64_t bytes, uint64_t unit) {
    return bytes / unit + (bytes % unit >= unit / 2);
}

// `bytes` in `unit`s: with one decimal below 10 units, whole from there on.
std::u16string InUnits(uint64_t bytes, uint64_t unit) {
    const uint64_t tenths = (bytes / unit) * 10 + Nearest((bytes % unit) * 10, unit);
    if (tenths >= 100) return DecimalText(static_cast<int64_t>(Nearest(bytes, unit)));
    return DecimalText(static_cast<int64_t>(tenths / 10)) + u"." +
           DecimalText(static_cast<int64_t>(tenths % 10));
}

std::u16string SizeText(uint64_t bytes) {
    constexpr uint64_t kKilo = 1024, kMega = kKilo * kKilo, kGiga = kMega * kKilo;
    constexpr uint64_t kLargest = 1000;  // of one unit, before the next one takes over
    const uint64_t kb = bytes / kKilo + (bytes % kKilo != 0);
    if (kb < kLargest) return DecimalText(static_cast<int64_t>(kb)) + u" KB";
    if (Nearest(bytes, kMega) < kLargest) return InUnits(bytes, kMega) + u" MB";
    return InUnits(bytes, kGiga) + u" GB";
}

CacheLineView CacheLineNow() {
    const CacheUsage usage = MeasurePhotoCache();
    return {CacheLineText(usage), usage.photos > 0};
}
}  // namespace

std::u16string FolderLabel(std::u16string_view folder) {
    return folder.empty() ? std::u16string(kNoFolderChosenText) : std::u16string(folder);
}

std::u16string_view FolderRefusal(std::u16string_view folder) {
    if (folder.empty()) return kNoFolderText;
    // A control character would be stored as a blank (the settings file is
    // one entry a line): another folder than the one chosen.
    if (folder.size() > PathText::kCapacity || PrintableText(folder) != folder)
        return kFolderUnfitText;
    if (LiesInDataFolder(folder)) return kFolderInDataFolderText;
    return {};
}

std::u16string CacheLineText(const CacheUsage& usage) {
    if (usage.photos <= 0) return u"Cache: empty";
    return u"Cache: " + DecimalText(usage.photos) +
           (usage.photos == 1 ? u" photo, " : u" photos, ") + SizeText(usage.bytes);
}

CacheLineView ClearCacheConfirmed() {
    ClearPhotoCache();
    return CacheLineNow();
}

SetupDialogFill FillSetupDialog() {
    SetupDialogFill fill;
    const Gallery* galleries = ChosenGalleries();
    for (int i = 0; galleries[i].title; ++i) fill.titles.emplace_back(galleries[i].title);
    fill.dloption = Settings.dloption;
    fill.weather_loc = Settings.weather_loc.str();
    // A code of another weather service names no place Open-Meteo knows:
    // the label asks for one instead of naming a place that shows nothing.
    PlaceCoordinates place;
    if (ChosenWeatherProvider == WeatherProvider::OpenMeteo &&
        !PlaceFromCode(Settings.weather_loc_id.view(), place))
        fill.weather_loc = kChoosePlaceText;
    fill.show_weather = Settings.show_weather != 0;
    fill.show_newver = Settings.show_newver != 0;
    fill.show_titles = Settings.show_titles != 0;
    fill.blur_edges = Settings.blur_edges != 0;
    fill.gentle_motion = Settings.gentle_motion != 0;
    fill.locationEnabled = fill.show_weather;
    fill.tempUnit = TemperatureUnit();
    fill.version = SaverApp.Version;
    fill.newerVersion = NewerVersionKnown();
    if (fill.newerVersion) fill.newver = NewVersionText();
    fill.folder = Settings.photo_folder.str();
    fill.useFolder = !fill.folder.empty();
    CacheLineView cache = CacheLineNow();
    fill.cacheLine = std::move(cache.text);
    fill.cacheClearable = cache.clearable;
    fill.downloadAnyway = Settings.download_anyway != 0;
    return fill;
}

std::u16string ApplySetupDialogOk(const SetupDialogChoices& choices,
                                  const PendingLocationRecord& pending) {
    if (choices.useFolder) {
        if (std::u16string_view refusal = FolderRefusal(choices.folder); !refusal.empty())
            return std::u16string(refusal);
        Settings.photo_folder.Assign(choices.folder);
    } else {
        Settings.photo_folder.Clear();
    }
    ApplyGalleryEntry(kGalleryKey, DecimalText(choices.dloption));
    Settings.show_newver = choices.show_newver ? 1 : 0;
    Settings.show_titles = choices.show_titles ? 1 : 0;
    Settings.blur_edges = choices.blur_edges ? 1 : 0;
    Settings.gentle_motion = choices.gentle_motion ? 1 : 0;
    Settings.show_weather = choices.show_weather ? 1 : 0;
    const char16_t unit = TemperatureUnitFrom(std::u16string_view(&choices.tempUnit, 1));
    const bool unitChanged = unit != 0 && unit != TemperatureUnit();
    if (unitChanged) Settings.temp_unit = unit;
    if (choices.downloadAnyway != (Settings.download_anyway != 0)) {
        Settings.download_anyway = choices.downloadAnyway ? 1 : 0;
        Settings.download_anyway_stored = true;
    }
    if (LocationChanged(pending)) {
        DiscardWeatherCache();
        Settings.weather_loc.Assign(pending.name.view());
        Settings.weather_loc_id.Assign(pending.id.view());
    } else if (unitChanged) {
        DiscardWeatherCache();
    }
    if (const std::error_code failed = SaveSettings())
        return kSettingsNotSavedText + (u": " + Utf8ToUtf16(failed.message()));
    return {};
}

std::optional<std::u16string> LocationNameAfterChange(LocationDialogEnd end,
                                                      const PendingLocationRecord& pending) {
    if (end != LocationDialogEnd::Taken) return std::nullopt;
    return pending.name.str();
}
