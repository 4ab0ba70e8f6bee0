// Settings: the persisted user settings, one process-wide record, and the
// "settings.cfg" file in the data folder (UTF-16LE key=value entries).
//
// Threads: LoadSettings runs before any worker exists. Afterwards the only
// field written while other threads run is `newver` (by the harvest thread's
// update query), so every read or write of `newver`, and every save, goes
// through SettingsLock; use NewVersionText()/StoreNewVersion().
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "base/fixed_text.h"

struct SettingsRecord {
    int32_t dloption = 0;
    FixedText<40> guid;
    FixedText<10> newver;
    int32_t show_weather = 1;
    FixedText<20> weather_loc_id;
    FixedText<100> weather_loc;
    int32_t show_newver = 1;
    char16_t temp_unit = 0;   // 'C' or 'F' once the user chose; 0 follows the system
    PathText photo_folder;    // the user's own photos; empty shows the harvested cache
    int32_t show_titles = 1;  // the caption names the photo; stored only when 0
    // Switches off by default, stored only while on.
    int32_t blur_edges = 0;     // a blurred backdrop (or a fill) instead of black beside photos
    int32_t gentle_motion = 0;  // the slow zoom and pan of each photo
    // Photos are downloaded on battery and on metered links too (1); by
    // default they wait. Written only once the file held it or it was changed.
    int32_t download_anyway = 0;
    bool download_anyway_stored = false;
};

extern SettingsRecord Settings;
extern std::mutex SettingsLock;

// The key of the chosen gallery's index.
inline constexpr char16_t kGalleryKey[] = u"dloption";

inline constexpr char16_t kDefaultLocationId[] = u"RSXX0091";
inline constexpr char16_t kDefaultLocationName[] = u"Saint-Petersburg, Russia";
// A location id as it is kept. Versions that wrote numbers in the user's
// locale stored a place as "52,5244,13,4105" under a comma locale; with
// four decimals on both sides it reads one way only, and comes back as
// "52.5244,13.4105". Any other id stays as it is.
std::u16string StoredLocationId(std::u16string_view id);

// The temperature unit of the weather, 'C' or 'F': the chosen one, else
// the system's (SystemUsesUsUnits).
char16_t TemperatureUnit();
// 'C' or 'F' for a stored "temp_unit" value (any case), 0 for anything else.
char16_t TemperatureUnitFrom(std::u16string_view value);

void LoadSettings();
// Writes the settings file (WriteSettings with the gallery). Empty when it
// was written, else why not.
std::error_code SaveSettings();

// The reader's scan of a whole file's text into Settings (the text ends at
// its first zero code unit); true when a "guid" entry was seen.
bool ApplySettingsText(std::u16string_view text);

// The writer: the passed pairs first, then every standard key not passed.
// Returns false when the file could not be written, and `why` (when given)
// says why.
bool WriteSettings(const std::vector<std::pair<std::u16string, std::u16string>>& pairs,
                   std::error_code* why = nullptr);

// If `key` is "dloption" (any case): parse `value`, replace a result outside
// 0..4 by 0, store it and copy the gallery's refresh interval into SaverApp.
void ApplyGalleryEntry(std::u16string_view key, std::u16string_view value);

// `newver` as one consistent copy / replaced as a whole.
std::u16string NewVersionText();
void StoreNewVersion(std::u16string_view v);

// A newer version is known when `newver` is not empty and differs from the
// program's version without regard to case.
bool NewerVersionKnown();
