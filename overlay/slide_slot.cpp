#include "overlay/slide_slot.h"

// Main thread only: filled by the photo and overlay uploads, textures made
// and deleted by the slideshow.
SlideSlot SlideSlots[2];
