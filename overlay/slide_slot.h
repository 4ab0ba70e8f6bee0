// SlideSlot: one of the slideshow's two display slots.
#pragma once

#include <cstdint>

struct BitmapDescription {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bytesPerRow = 0;
    int32_t bitsPerPixel = 0;
};

struct SlideSlot {
    uint32_t texture = 0;    // GL texture name, made by the slideshow
    float contentWidth = 0;  // picture size on the 2048 x 2048 canvas, or of the texture
    float contentHeight = 0;
    BitmapDescription bitmap;  // of the last upload
    // The texture holds only the content (contentWidth x contentHeight),
    // not the whole canvas with the content in its middle.
    bool textureIsContent = false;
    // The photo's caption (slideshow/photo_caption.h): its own texture,
    // the caption's size in it, the margin it keeps from the monitor's
    // edges and the monitor height it was painted for; 0 x 0 for none.
    uint32_t captionTexture = 0;
    int captionWidth = 0;
    int captionHeight = 0;
    int captionMargin = 0;
    int captionMonitorHeight = 0;
    uint32_t backdrop = 0;     // GL texture of the photo's blurred backdrop, made on first use
    bool hasBackdrop = false;  // `backdrop` holds the backdrop of the photo in `texture`
};

extern SlideSlot SlideSlots[2];

// A painter draws inside the content rectangle of the canvas.
class Canvas;
using OverlayPainter = void (*)(Canvas& canvas, int left, int top, int right, int bottom);
