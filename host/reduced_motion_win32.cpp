// Implemented / Missing (host/reduced_motion.h on Win32): the client-area
// animations switch of the accessibility settings. Missing: nothing.
#include <windows.h>

#include "host/reduced_motion.h"

bool DesktopWantsReducedMotion() {
    BOOL animate = TRUE;
    if (!SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &animate, 0)) return false;
    return !animate;
}
