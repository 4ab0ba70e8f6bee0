// Drives the real GTK dialogs in tests: a private Xvfb server for the test
// binary, widget lookup by the ids of the .ui files, the main loop and
// screenshots.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

// The visible top-level window with this title, or null.
GtkWindow* FindWindow(const char* title);
// The widget of `root` (or below it) created from the .ui id `id`, or null.
GtkWidget* FindById(GtkWidget* root, const char* id);

// Runs the main loop until nothing is pending.
void PumpEvents();
// Runs the main loop until `done` holds; false when it still does not after `ms`.
bool PumpUntil(const std::function<bool()>& done, int ms = 10000);

std::vector<std::string> ListLines(GtkWidget* treeView);
std::string SelectedLine(GtkWidget* treeView);

// Sends a key press to the window as the keyboard would.
void PressKey(GtkWindow* window, guint keyval);
// Reads the window back from the X server and writes it as a PNG file under
// the build folder; the caller owns the returned picture (null on failure).
GdkPixbuf* SaveScreenshot(GtkWindow* window, const std::string& fileName);
// Pixels of `area` whose red, green and blue values satisfy `match`.
int CountPixels(GdkPixbuf* shot, GdkRectangle area,
                const std::function<bool(int, int, int)>& match);
