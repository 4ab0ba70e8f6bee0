// The setup dialog (setup run mode). Backends: setup_dialog_gtk.cpp and
// setup_dialog_win32.cpp (dialog 101 of skyreel.rc).
#pragma once

#include <cstdint>

// Creates and shows the modeless setup dialog, owned by `parent` when not 0.
bool CreateSetupDialog(uint64_t parent);
// Handles one pending dialog event without blocking; false when none was
// waiting. The dialog's OK and Cancel end in the quit request.
bool PumpSetupDialog();
