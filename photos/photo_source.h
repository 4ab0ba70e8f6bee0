// Where the photos come from: the saver's own cache in the data folder, or
// the user's folder when one is in use (photo_folder.h). ScanCache is the
// one place that chooses, so the list, the cache and the walk know nothing
// of each other's existence beyond the PhotoList they share.
#pragma once

// Starts a new PhotoList and fills it: from the data folder at once, or
// from the user's folder on the walk's own thread. Main thread; always 1.
int ScanCache();

// The closing steps of every scan (saved page time, weather check, restart of
// the slideshow), installed by the slideshow; none until then.
void SetScanCacheClosingSteps(void (*steps)());
