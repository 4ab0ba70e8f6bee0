// The saver window as the host sees it (Saver and Preview modes): the
// backend's window and context, then the cache scan and the fixed GL state;
// at the end the window, the slot textures and the photo list go.
#pragma once

#include "host/saver_window.h"

struct HostOptions;

// Runs InitGlState, then opens the window (context current, pixel
// projection) and sets the fixed GL state. 0 on failure; the photo list is
// then released by DestroySaverWindow.
int CreateSaverWindow(const HostOptions& options);
// Releases the window and its context, then the photo list.
void DestroySaverWindow();
// Installs the slideshow's GL work and triggers and scans the cache into the
// photo list. 0 when the scan fails.
int InitGlState();
