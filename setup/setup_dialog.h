// The setup dialog (setup run mode). Backends: setup_dialog_gtk.cpp;
// setup_dialog_win32.cpp, which has no dialog yet and ends setup mode.
#pragma once

#include <cstdint>

// Creates and shows the modeless setup dialog, owned by `parent` when not 0.
bool CreateSetupDialog(uint64_t parent);
// Handles pending dialog events without blocking; false when none was waiting.
bool PumpSetupDialog();
