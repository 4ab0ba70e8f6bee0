// The GL work of the slideshow behind a small seam, so that tests can run
// the real scheduler without a GL context and record what went where.
//
// Implemented: kGlSlideshowOps (gl_slideshow_ops.h), on the OpenGL 1.1
// renderer every window backend shares. Missing: nothing.
#pragma once

#include "base/fixed_text.h"
#include "overlay/gl_renderer.h"
#include "slideshow/photo_framing.h"

// The scale, centring and clipping of a slot whose picture is w x h on the
// canvas, in a W x H viewport, in 32-bit float arithmetic: fitted inside it,
// or with `fill` covering it (the viewport cuts the rest). False when the
// slot has no picture (0 x 0) or the viewport is empty: nothing to draw.
bool ComputeSlotGeometry(float w, float h, int W, int H, SlotGeometry& out, bool fill = false);
// The geometry moved by a pose of the gentle motion, clip planes included.
void MoveSlotGeometry(SlotGeometry& g, const MotionPose& pose);

struct SlideshowOps {
    // Gives the slot a texture to fill. A slot that has one keeps it, so
    // its storage is refilled instead of made anew (fresh texture storage
    // costs tens of milliseconds on a software renderer).
    void (*renewTexture)(int slot);
    void (*deleteTexture)(int slot);
    // LoadPhotoTexture into the slot's texture; `path` null for no photo.
    void (*loadPhoto)(const PathText* path, int slot);
    // The photo the next change will load, so that it can be decoded ahead.
    void (*prefetchPhoto)(const PathText& path);
    // Size of the whole drawing surface (the window).
    void (*windowSize)(int& width, int& height);
    // Clears the whole window to black and resets the model-view matrix.
    void (*clear)();
    // Draws from now on into the part (x, y, width, height) of the window,
    // y from its top, with its own pixel projection.
    void (*useViewport)(int x, int y, int width, int height);
    void (*drawQuad)(int slot, float alpha, const SlotGeometry& g);
    void (*pause)(int ms);
    // Draws the caption of the slot's photo with opacity `alpha` in its
    // corner of a W x H viewport (photo_caption.h); null draws none.
    void (*drawCaption)(int slot, float alpha, int W, int H) = nullptr;
    // Draws the slot's backdrop (the photo blurred) over the whole viewport
    // of width x height, taking the part `crop` of it.
    void (*drawBackdrop)(int slot, float alpha, int width, int height,
                         const TextureCrop& crop) = nullptr;
    // Readies the renderer for its first frame (a software renderer's first
    // draw and present cost it 100 ms or more) and presents black; called
    // once per attach, while the first photo decodes ahead. Null for none.
    void (*warmUp)() = nullptr;
};
