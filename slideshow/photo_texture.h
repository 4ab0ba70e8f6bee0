// Photos as slot textures: decoded, fitted into the 2048 x 2048 canvas,
// centred on black and uploaded. Main thread, GL context current.
// The photo comes from the prefetcher (photo_prefetch.h) when it was
// decoded ahead, so that the change of slide only paints and uploads.
#pragma once

#include <cstdint>

#include "base/fixed_text.h"

// Loads the photo at `path` (null for none) into `texture` and records its
// content size and the upload's description in SlideSlots[slot]. A photo
// that carries a credit or a title gets its caption (photo_caption.h)
// in the slot's caption texture. Anything
// that does not decode, or a prefetched photo whose file is gone, gives a
// black texture with content size 0 x 0. The photo is decoded for a screen
// of screenWidth x screenHeight (0 x 0: at its canvas size).
void LoadPhotoTexture(const PathText* path, uint32_t texture, int slot, int screenWidth = 0,
                      int screenHeight = 0);
