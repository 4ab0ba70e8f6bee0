// What the setup dialog shows and what its OK stores, as plain values, so
// that every backend only moves these values into and out of its controls.
//
// Main thread only: the steps read and write Settings, SaverApp and the
// PendingLocation the location dialog filled.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "setup/location_dialog_logic.h"
#include "setup/location_search.h"

// Everything the dialog shows when it opens.
struct SetupDialogFill {
    std::vector<std::u16string> titles;  // the chosen source's gallery titles, in table order
    int dloption = 0;                    // the selected title
    std::u16string weather_loc;          // the location label
    bool show_weather = false;
    bool show_newver = false;
    bool locationEnabled = false;  // the location caption, name, "Change" and the unit
    char16_t tempUnit = u'C';      // the unit selected: the chosen one, else the system's
    std::u16string version;        // the program's version, for the about text
    bool newerVersion = false;     // the new-version icon and message show
    std::u16string newver;         // the newer version, for the message
};

// The location label when the stored place is none the weather provider knows.
inline constexpr char16_t kChoosePlaceText[] = u"Please, choose a place.";

SetupDialogFill FillSetupDialog();

// The values of the controls when OK is pressed.
struct SetupDialogChoices {
    int dloption = 0;  // the selected gallery; -1 when none is, which stores 0
    bool show_weather = false;
    bool show_newver = false;
    char16_t tempUnit = 0;  // 'C' or 'F'; 0 keeps the unit shown
};

// OK: stores the choices in Settings and, when `pending` names another place
// than the stored one (by name or id, ignoring case), discards the cached
// weather and stores the place; a unit other than the one shown when the
// dialog opened is stored as chosen and discards the cached weather too (a
// unit never chosen stays unstored, following the system); then saves the
// settings file. Cancel has no
// step: it stores nothing.
void ApplySetupDialogOk(const SetupDialogChoices& choices, const PendingLocationRecord& pending);

// "Change" ended: the text the location label shows from now on, or nothing
// when the location dialog ended without a place.
std::optional<std::u16string> LocationNameAfterChange(LocationDialogEnd end,
                                                      const PendingLocationRecord& pending);
