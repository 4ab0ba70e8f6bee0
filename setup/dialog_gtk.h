// What the two GTK dialogs share: layouts loaded from the embedded .ui
// files, Win32 dialog keyboard rules and the tab order of the layout.
//
// Implemented: layouts from the embedded resources, the program icon with a
//   themed fallback, Enter/Esc/close box handling, tab order from the .ui.
// Missing: nothing.
#pragma once

#include <gtk/gtk.h>

// A builder holding the named layout of the embedded resources
// ("setup_dialog.ui", "location_dialog.ui"); never null.
GtkBuilder* LoadDialogLayout(const char* name);
GtkWidget* LayoutWidget(GtkBuilder* builder, const char* id);

// The program icon at `size` pixels (16, 24, 32, 48 or 256) when it is
// embedded, else null.
GdkPixbuf* ProgramIcon(int size);
// The themed icon shown when the program icon is not embedded.
inline constexpr char kFallbackIconName[] = "preferences-desktop-screensaver";

// Keyboard and close box as in a Win32 dialog: Esc and the close box press
// `cancel`; Enter presses `ok` unless a push button has the focus (that
// button is pressed instead). Tab moves through the children of `layout` in
// the order the .ui file lists them.
void AttachDialogKeys(GtkWindow* window, GtkButton* ok, GtkButton* cancel, GtkContainer* layout);

// Replaces the first "%s" of a label's text from the .ui file with `value`.
void FillLabelTemplate(GtkLabel* label, const char* value);
