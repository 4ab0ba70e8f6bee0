// The weather location dialog on GTK. It is opened by the setup dialog's
// "Change" button and is modal over it. Its states and decisions are in
// location_dialog_logic; this backend shows the view and runs the search.
//
// Implemented: search text, Search on a thread of its own with the outcome
//   handed to the main loop, the place list, OK/double click/Cancel, the
//   "Cannot search" warning, Enter/Esc/close box.
// Missing: nothing.
#pragma once

#include <gtk/gtk.h>

#include "setup/location_dialog_logic.h"

// Opens the dialog over `owner` and returns its window. `done` runs on the
// main thread when the user ends the dialog. It does not run when the dialog
// is destroyed together with its owner.
GtkWidget* OpenLocationDialog(GtkWindow* owner, LocationDialogDone done);
