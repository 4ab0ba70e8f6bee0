// The saver window as the host sees it (Saver and Preview modes): the
// backend's window and context, then the cache scan and the fixed GL state;
// at the end the window, the slot textures and the photo list go.
#pragma once

#include "host/saver_window.h"

struct HostOptions;

// Opens the window (context current, pixel projection) and runs
// InitGlState. 0 on failure, after releasing whatever was made.
int CreateSaverWindow(const HostOptions& options);
// Releases the window and its context, then the photo list.
void DestroySaverWindow();
// Installs the slideshow's GL work and triggers, scans the cache into the
// photo list, then sets the fixed GL state. 0 when the scan fails.
int InitGlState();
