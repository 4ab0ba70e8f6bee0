// Where a photo's pixels go: its size on the canvas all slides are painted
// on, and the smaller size a screen needs, which the decoders aim at.
#pragma once

#include <cstdint>

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
