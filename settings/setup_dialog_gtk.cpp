// Placeholder until the GTK dialog arrives.
#include "settings/setup_dialog.h"

bool CreateSetupDialog(uint64_t) { return false; }
bool PumpSetupDialog() { return false; }
