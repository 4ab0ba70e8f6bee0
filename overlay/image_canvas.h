// A Canvas over pixels in memory: what the overlay painters and the photos
// draw into before the upload.
//
// Implemented: canvas_cairo.cpp (Linux, cairo + pangocairo) and
// canvas_gdiplus.cpp (Win32, GDI+). Missing: nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "overlay/canvas.h"

class ImageCanvas : public Canvas {
  public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Premultiplied ARGB32, native-endian (bytes blue, green, red, alpha on
    // little-endian machines), top row first, Width() pixels per row
    // without padding. Valid until the next drawing call.
    virtual const uint32_t* Pixels() = 0;
    // Replaces every pixel of the rectangle with `argb`.
    virtual void ClearRect(int x, int y, int w, int h, uint32_t argb) = 0;
};

// Null when the pixels or the drawing context cannot be made.
std::unique_ptr<ImageCanvas> CreateImageCanvas(int width, int height);
