// Photos as slot textures: decoded, fitted into the 2048 x 2048 canvas,
// centred on black and uploaded. Main thread, GL context current.
// The photo comes from the prefetcher (photo_prefetch.h) when it was
// decoded ahead, so that the change of slide only paints and uploads.
#pragma once

#include <cstdint>

#include "base/fixed_text.h"

// The size a photo of width x height occupies on the canvas: its own size,
// or reduced (never enlarged) so that its longer side is the canvas side.
struct PhotoFit {
    float width = 0;
    float height = 0;
};
PhotoFit FitPhotoToCanvas(uint32_t width, uint32_t height);

// The size the photo needs to be decoded at: its size on a screen of
// screenWidth x screenHeight (each capped at the canvas side, filled in one
// direction like the slideshow draws it), never more than FitPhotoToCanvas.
// A screen of 0 x 0 (unknown) gives FitPhotoToCanvas.
PhotoFit PhotoShownSize(uint32_t width, uint32_t height, int screenWidth, int screenHeight);

// Loads the photo at `path` (null for none) into `texture` and records its
// content size and the upload's description in SlideSlots[slot]. A photo
// that carries a credit gets its caption (photo_caption.h) on it. Anything
// that does not decode, or a prefetched photo whose file is gone, gives a
// black texture with content size 0 x 0. The photo is decoded for a screen
// of screenWidth x screenHeight (0 x 0: at its canvas size).
void LoadPhotoTexture(const PathText* path, uint32_t texture, int slot, int screenWidth = 0,
                      int screenHeight = 0);
