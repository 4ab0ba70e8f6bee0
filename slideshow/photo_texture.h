// Photos as slot textures: decoded, fitted into the 2048 x 2048 canvas,
// centred on black and uploaded. Main thread, GL context current.
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

// Loads the photo at `path` (null for none) into `texture` and records its
// content size and the upload's description in SlideSlots[slot]. Anything
// that does not decode gives a black texture with content size 0 x 0.
void LoadPhotoTexture(const PathText* path, uint32_t texture, int slot);
