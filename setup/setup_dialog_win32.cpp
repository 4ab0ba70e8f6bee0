// The setup dialog on Win32.
//
// Implemented / Missing (setup/setup_dialog.h on Win32):
//   [ ] dialog 101 and the location dialog 132: not yet. Setup mode ends at
//       once with exit code 0, leaving the settings as loaded.
#include "base/process_state.h"
#include "setup/setup_dialog.h"

bool CreateSetupDialog(uint64_t) {
    // Without a dialog nothing would ever end the setup loop.
    PostQuit(0, "no setup dialog on this platform yet");
    return false;
}

bool PumpSetupDialog() {
    return false;
}
