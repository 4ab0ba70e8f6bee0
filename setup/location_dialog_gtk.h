// The weather location dialog on GTK. It is opened by the setup dialog's
// "Change" button and is modal over it.
//
// Implemented: search text, Search on a thread of its own with the results
//   handed to the main loop, the place list, OK/double click/Cancel, the
//   "Cannot search" warning, Enter/Esc/close box.
// Missing: nothing.
#pragma once

#include <gtk/gtk.h>

#include <functional>

// Opens the dialog over `owner` and returns its window. `done` runs on the
// main thread when the user ends the dialog: true after OK with
// PendingLocation filled, false after Cancel, Esc or the close box. It does
// not run when the dialog is destroyed together with its owner.
GtkWidget* OpenLocationDialog(GtkWindow* owner, std::function<void(bool)> done);
