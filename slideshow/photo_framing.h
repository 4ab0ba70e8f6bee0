// How a photo is framed on one monitor: fitted with black beside it (the
// default), filled when a crop to the monitor's shape costs little, or fitted
// over a blurred backdrop of itself; and the gentle motion of a slide.
//
// Motion is one slow move per slide over its whole time on screen, fades
// included, eased in and out and timed by the clock (never by frames). It
// zooms between 1.00 and kMotionZoom, in and out by turns; the other end of
// the move looks at a random point near the centre, but never so far that a
// filled monitor would show an edge of the photo. Portrait photos only zoom,
// a little, around a point 40 % from their top, so heads stay on.
// Main thread only.
#pragma once

#include <cstdint>

struct SlideshowLook {
    bool blurEdges = false;     // backdrop or fill instead of black beside the photo
    bool gentleMotion = false;  // the slow zoom and pan
};
void SetSlideshowLook(const SlideshowLook& look);
const SlideshowLook& CurrentSlideshowLook();

// Fill when cropping the w x h photo to a W x H monitor loses at most this
// share of its area.
inline constexpr float kMostCropForFill = 0.12f;
bool PhotoFillsMonitor(float w, float h, int W, int H);

// The part of a backdrop (texture coordinates 0..1 over the whole photo)
// that fills a W x H monitor: its centre, in the monitor's shape.
struct TextureCrop {
    float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
};
TextureCrop BackdropCrop(float w, float h, int W, int H);

inline constexpr float kMotionZoom = 1.08f;
inline constexpr float kPortraitMotionZoom = 1.04f;
inline constexpr float kMostPanPerWidth = 0.06f;
inline constexpr float kPortraitFocusFromTop = 0.4f;

// A slide's move, chosen when its photo is loaded.
struct SlideMotion {
    bool zoomIn = true;
    float angle = 0;  // radians: which way the zoomed end looks from the centre
    float reach = 1;  // 0.5..1 of the farthest it may look
};
// The next slide's move from a random 32-bit number; zooms alternate.
SlideMotion NextSlideMotion(uint32_t random, bool zoomIn);

// Where the photo lands at one moment: a screen point q of the unmoved
// photo goes to q * zoom + (tx, ty).
struct MotionPose {
    float zoom = 1, tx = 0, ty = 0;
    bool operator==(const MotionPose&) const = default;
};
// The pose at `progress` (0..1 of the slide's time on screen) for a photo
// shown dw x dh, centred on a W x H monitor; `portrait` for a photo taller
// than wide.
MotionPose MotionPoseAt(const SlideMotion& motion, float progress, float dw, float dh, int W, int H,
                        bool portrait);
