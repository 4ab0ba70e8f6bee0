// The weather location dialog as a state machine over plain values. A
// backend feeds it the user's acts and the search outcome, shows the view it
// keeps, and starts the search, shows the warning or ends the dialog when a
// step says so. The download itself is RunLocationSearch, on a thread the
// backend starts; the outcome must come back to the main thread.
//
// States: idle (Search enabled, OK disabled) -> searching (Search and OK
// disabled, the list holds the searching line) -> idle with places (OK
// enabled, the first place selected) or idle with a fixed line. OK or Cancel
// close the dialog; nothing changes it after that.
//
// Main thread only.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "setup/location_search.h"

// How the dialog ended: Taken after OK on a place line (PendingLocation
// filled), Cancelled otherwise.
enum class LocationDialogEnd { Taken, Cancelled };
// Runs on the main thread when the user has ended the location dialog.
using LocationDialogDone = std::function<void(LocationDialogEnd)>;

// What the controls show.
struct LocationDialogView {
    std::vector<std::u16string> lines;
    int selected = -1;  // the selected line, -1 for none
    bool searchEnabled = true;
    bool okEnabled = false;
};

struct LocationDialogState {
    enum Phase { Idle, Searching, Closed };
    Phase phase = Idle;
    LocationDialogView view;
    std::vector<FixedText<20>> codes;  // the listed places' codes, when the lines lack them
};

// What the backend does after one step; an input that came too late or
// twice leaves everything false.
struct LocationDialogStep {
    bool viewChanged = false;              // show the state's view again
    bool warnEmptySearch = false;          // show the "Cannot search" warning
    std::optional<std::u16string> query;   // start a search for this text
    std::optional<LocationDialogEnd> end;  // close the dialog
};

// Search pressed with the text of the edit box. The text is cut to 98
// characters and trimmed of leading blanks; an empty one only warns. A press
// while a search runs or after the dialog closed is dropped.
LocationDialogStep PressSearch(LocationDialogState& state, std::u16string_view typed);

// The running search ended. An outcome while no search runs (the dialog
// closed meanwhile) is dropped.
LocationDialogStep SearchEnded(LocationDialogState& state, const SearchOutcome& outcome);

// OK, or a double click, with the selected line (empty for none). A place
// line fills `pending` (for lines without codes: the line as the name and
// the code listed with it) and ends the dialog as Taken; a fixed line or none
// ends it as Cancelled, leaving `pending` unchanged. OK works even while the
// button is disabled, since a double click on a line acts as OK.
LocationDialogStep PressOk(LocationDialogState& state, std::u16string_view selectedLine,
                           PendingLocationRecord& pending);

// Cancel, Esc or the close box.
LocationDialogStep PressCancel(LocationDialogState& state);
