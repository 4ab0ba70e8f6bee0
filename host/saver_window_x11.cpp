// Placeholder until the X11 window arrives: saver and preview modes end at once.
#include "host/saver_window.h"

int CreateSaverWindow(const HostOptions&) { return 0; }
void DestroySaverWindow() {}
bool PumpSaverWindow() { return false; }
void PresentFrame() {}
