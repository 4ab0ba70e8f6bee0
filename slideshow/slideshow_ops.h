// The GL work of the slideshow behind a small seam, so that tests can run
// the real scheduler without a GL context and record what went where.
//
// Implemented: kGlSlideshowOps in slideshow_ops_gl.cpp (OpenGL 1.1, shared
// by every window backend). Missing: nothing.
#pragma once

#include "base/fixed_text.h"
#include "slideshow/slideshow_hooks.h"

// Where a slot lands on the screen, in pixels (origin top left).
struct SlotGeometry {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // the whole canvas square
    // Clip planes (a, b, c, d) keeping a*x + b*y + c*z + d >= 0: they cut
    // the canvas down to the picture.
    double planes[4][4] = {};
};

// The scale, centring and clipping of a slot whose picture is w x h on the
// canvas, in a W x H viewport, in 32-bit float arithmetic. False when the
// slot has no picture (0 x 0) or the viewport is empty: nothing to draw.
bool ComputeSlotGeometry(float w, float h, int W, int H, SlotGeometry& out);

struct SlideshowOps {
    // Gives the slot a texture to fill. A slot that has one keeps it, so
    // its storage is refilled instead of made anew (fresh texture storage
    // costs tens of milliseconds on a software renderer).
    void (*renewTexture)(int slot);
    void (*deleteTexture)(int slot);
    // LoadPhotoTexture into the slot's texture; `path` null for no photo.
    void (*loadPhoto)(const PathText* path, int slot);
    // Paints a weather panel or the version notice into the slot's texture.
    void (*paintInterlude)(Interlude what, int slot);
    void (*viewportSize)(int& width, int& height);
    // Clears to black and resets the model-view matrix.
    void (*clear)();
    void (*drawQuad)(int slot, float alpha, const SlotGeometry& g);
    void (*pause)(int ms);
};

extern const SlideshowOps kGlSlideshowOps;
