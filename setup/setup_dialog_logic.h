// What the setup dialog shows and what its OK stores, as plain values, so
// that every backend only moves these values into and out of its controls.
//
// Main thread only: the steps read and write Settings, SaverApp and the
// PendingLocation the location dialog filled.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "photos/photo_cache.h"
#include "setup/location_dialog_logic.h"
#include "setup/location_search.h"

// Everything the dialog shows when it opens.
struct SetupDialogFill {
    std::vector<std::u16string> titles;  // the chosen source's gallery titles, in table order
    int dloption = 0;                    // the selected title
    std::u16string weather_loc;          // the location label
    bool show_weather = false;
    bool show_newver = false;
    bool show_titles = true;
    bool locationEnabled = false;  // the location caption, name, "Change" and the unit
    char16_t tempUnit = u'C';      // the unit selected: the chosen one, else the system's
    std::u16string version;        // the program's version, for the about text
    bool newerVersion = false;     // the new-version icon and message show
    std::u16string newver;         // the newer version, for the message
    bool useFolder = false;        // "Photos from my folder" is chosen, not the gallery list
    std::u16string folder;         // the stored folder; empty when none
    std::u16string cacheLine;      // what the cache holds, e.g. "Cache: 87 photos, 143 MB"
    bool cacheClearable = false;   // "Clear cache" can be pressed: the cache holds a photo
    bool blur_edges = false;
    bool gentle_motion = false;
    bool downloadAnyway = false;  // photos are downloaded on battery and metered links too
};

// The location label when the stored place is none the weather provider knows.
inline constexpr char16_t kChoosePlaceText[] = u"Please, choose a place.";

SetupDialogFill FillSetupDialog();

// The photo source's texts.
inline constexpr char16_t kNoFolderChosenText[] = u"No folder chosen yet.";
inline constexpr char16_t kFolderPickerTitle[] = u"Choose the folder of your photos";
inline constexpr char16_t kSetupMessageCaption[] = u"Skyreel";
inline constexpr char16_t kFolderInDataFolderText[] =
    u"This folder holds the saver's own cache. Please choose another folder.";
inline constexpr char16_t kFolderUnfitText[] =
    u"The saver cannot store the path of this folder: it is too long or holds control "
    u"characters. Please choose another folder.";
inline constexpr char16_t kNoFolderText[] =
    u"Please choose the folder of your photos with \"Choose...\", or choose the gallery.";
inline constexpr char16_t kSettingsNotSavedText[] = u"The settings could not be saved";
inline constexpr char16_t kClearCacheQuestion[] =
    u"Delete the photos the saver has downloaded? It downloads new ones when it shows the "
    u"gallery again. Your own folders are never touched.";

// The folder as the dialog shows it: the path, or kNoFolderChosenText.
std::u16string FolderLabel(std::u16string_view folder);
// Why `folder` cannot be the photo source: the message to show, or empty
// when it can. An empty folder is refused with kNoFolderText.
std::u16string_view FolderRefusal(std::u16string_view folder);

// The cache line: "Cache: empty", "Cache: 1 photo, 12 KB", "Cache: 3 photos,
// 1.2 MB", "Cache: 87 photos, 143 MB". Sizes are in units of 1024 bytes: KB
// below 1000 KB, rounded up (a small photo is never "0 KB"); then MB with
// one decimal below 10 MB, whole MB below 1000 MB, then GB the same way;
// MB and GB rounded to the nearest.
std::u16string CacheLineText(const CacheUsage& usage);

// "Clear cache" confirmed: deletes the saver's own photos (ClearPhotoCache)
// and returns the dialog's new cache line and whether Clear stays enabled.
struct CacheLineView {
    std::u16string text;
    bool clearable = false;
};
CacheLineView ClearCacheConfirmed();

// The values of the controls when OK is pressed.
struct SetupDialogChoices {
    int dloption = 0;  // the selected gallery; -1 when none is, which stores 0
    bool show_weather = false;
    bool show_newver = false;
    bool show_titles = true;
    char16_t tempUnit = 0;    // 'C' or 'F'; 0 keeps the unit shown
    bool useFolder = false;   // "Photos from my folder" is chosen
    std::u16string folder{};  // the folder shown, empty when none
    bool blur_edges = false;
    bool gentle_motion = false;
    bool downloadAnyway = false;  // "Download new photos on battery or metered connections"
};

// OK: stores the choices in Settings and, when `pending` names another place
// than the stored one (by name or id, ignoring case), discards the cached
// weather and stores the place; a unit other than the one shown when the
// dialog opened is stored as chosen and discards the cached weather too (a
// unit never chosen stays unstored, following the system); then saves the
// settings file. The photo folder is stored while "Photos from my folder" is
// chosen and cleared while the gallery list is; the gallery is stored
// either way. "download_anyway" is stored once it differs from the value
// shown, and from then on kept in the file. When the chosen folder is refused (FolderRefusal),
// nothing at all is stored and the refusal is returned: the dialog shows it and stays open. When
// the file cannot be written, the choices stay in Settings and "The settings could not be saved:
// <the system's reason>" is returned: the dialog shows it and stays open, and another OK tries
// again. Returns empty when stored. Cancel has no step: it stores nothing.
std::u16string ApplySetupDialogOk(const SetupDialogChoices& choices,
                                  const PendingLocationRecord& pending);

// "Change" ended: the text the location label shows from now on, or nothing
// when the location dialog ended without a place.
std::optional<std::u16string> LocationNameAfterChange(LocationDialogEnd end,
                                                      const PendingLocationRecord& pending);
