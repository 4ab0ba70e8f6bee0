// The weather location dialog on Win32: dialog 132, opened modally by the
// setup dialog's "Change". Its states and decisions are in
// location_dialog_logic; this backend shows the view and runs the search.
//
// Implemented: search text, Search on a thread of its own with the outcome
//   posted back to the dialog, the place list, OK/double click/Cancel, the
//   "Cannot search" warning, Enter/Esc/close box (the dialog manager's).
// Missing: nothing.
#pragma once

#include <windows.h>

#include "setup/location_dialog_logic.h"

// Runs the dialog over `owner` until the user ends it. Taken means that
// PendingLocation holds the chosen place.
LocationDialogEnd RunLocationDialog(HWND owner);

// Private messages of the setup dialogs.
// The search thread's outcome: lParam is a SearchOutcome the receiver deletes.
inline constexpr UINT kSearchEndedMessage = WM_APP + 1;
