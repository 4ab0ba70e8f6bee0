// Until the background work and the interludes are wired in here, the show
// runs on cached photos alone.
#include "slideshow/slideshow_hooks.h"

void AfterCacheScan() {}
void AfterSlideshowStart(int32_t) {}
void WhileSlideOnShow() {}
bool RescanBeforeAdvance() {
    return false;
}
bool FillInterlude(int) {
    return false;
}
bool FadeToBlack() {
    return false;
}
