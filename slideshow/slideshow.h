// The slideshow scheduler: one step per idle turn, one frame per step.
//
// State (process-wide, main thread only; the hooks of slideshow_hooks.h
// may read and set it from inside the steps):
#pragma once

#include <cstdint>

#include "slideshow/slideshow_hooks.h"
#include "slideshow/slideshow_ops.h"
#include "slideshow/viewports.h"

enum SlideStateValue : int32_t {
    Start = 0,
    NoPhotos = 1,
    OnePhoto = 2,
    Showing = 3,
    Fading = 4,
    Advance = 5
};

extern int32_t SlideState;
extern int FrontSlot;       // the slot on show; the other holds the next slide
extern int32_t PhotoIndex;  // list index of the photo most recently loaded
extern float FadeLevel;     // 0..1, shared by the intro fade and the cross-fades
extern bool IntroFade;      // the first slide after Start is still fading in
extern uint32_t ShowStart;  // tick count when the slide's display time began; 0 = not yet

// Installs the GL work (or a test's recording of it) and the hooks, and makes
// every cache scan restart the show. Called by InitGlState before the first
// scan. Both records must outlive the show.
void AttachSlideshow(const SlideshowOps& ops, const SlideshowHooks& hooks);

void UpdateSlideshow();
// Draws one frame into the back buffer and pauses 20 ms; false when the
// frame equals the one last presented and need not be shown again.
int DrawFrame();
// Draws slot `slot` with opacity `alpha` in a viewport of W x H: scaled to
// fill the viewport in one direction, centred, clipped to the picture. A
// slot of 0 x 0 draws nothing.
void DrawSlot(int slot, float alpha, int W, int H);

// The viewports every frame draws the slots into, each fitted on its own;
// a list of none (the start) means the whole window, whatever its size.
// Set by the window backend when it opens the window.
void SetSlideshowViewports(const ViewportList& viewports);
// The viewports of the next frame, in window coordinates.
ViewportList SlideshowViewports();
// The size photos are decoded for: the largest viewport's width and height.
void PhotoDecodeExtent(int& width, int& height);

// After a spell without steps or frames (the display was off): the changes
// that fell due by the tick count meanwhile are made, all but the last
// without loading anything, the photo due is loaded, any fade or intro fade
// is finished, and the next frame is presented whatever it shows. So the
// first frame shows the slide due now, never black.
void CatchUpSlideshow();

// Whether the frame last presented shows a photo (not only black or panels).
bool PresentedFrameShowsPhoto();
// The next frame is drawn and presented even if it equals the last one
// (the window was exposed or resized).
void RequestRedraw();
// Deletes both slot textures (before a rescan; Start makes new ones).
void ReleaseSlotTextures();
