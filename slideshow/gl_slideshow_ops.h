// The slideshow's GL work on the OpenGL 1.1 renderer every window backend
// shares; tests put their own SlideshowOps in its place.
#pragma once

#include "slideshow/slideshow_ops.h"

extern const SlideshowOps kGlSlideshowOps;
