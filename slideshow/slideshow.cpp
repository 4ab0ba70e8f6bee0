// Placeholder until the scheduler arrives.
#include "slideshow/slideshow.h"

#include "base/clock.h"

void UpdateSlideshow() {}
int DrawFrame() {
    SleepMillis(20);
    return 0;
}
