// OverlayTexture: the 2048 x 2048 canvas that photos and painted overlays
// share on their way into a slot's texture, and the upload.
//
// The canvas is made once and kept for the life of the process, and its
// pixels go into the texture as they are (top row first, no second copy):
// filling fresh memory costs about 3 ms per MiB on these machines, against a
// fraction of that for memory already in use. Likewise only the parts that
// can differ are cleared and uploaded:
// the canvas remembers where it was drawn on, and each texture where its
// picture lies; the rest of both is black already.
// Main thread only, with the GL context current.
#pragma once

#include <memory>

#include "overlay/image_canvas.h"
#include "overlay/slide_slot.h"

// Paints an overlay: black canvas, content rectangle centred and sized like
// the screen of screenWidth x screenHeight (each side capped at 2048), the
// painter, then the upload into SlideSlots[slotIndex].texture with content
// size and description recorded.
void MakeOverlayTexture(int slotIndex, int screenWidth, int screenHeight, OverlayPainter painter);

// A part of the canvas, right and bottom exclusive.
struct CanvasRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
};

// The shared canvas filled with opaque black, or null when the canvas or
// its pixel copy cannot be made.
ImageCanvas* ClearedTextureCanvas();
// Uploads the shared canvas into `texture` and records content size and
// bitmap description in SlideSlots[slot]. `drawn` is where the caller drew
// since ClearedTextureCanvas (everything when left out). Without a canvas
// it is EmptySlotTexture.
void UploadTextureCanvas(int slot, uint32_t texture, float contentWidth, float contentHeight,
                         CanvasRect drawn = {0, 0, 1 << 30, 1 << 30});

// Gives `texture` a single black texel and SlideSlots[slot] a content size
// of 0 x 0, which draws nothing.
void EmptySlotTexture(int slot, uint32_t texture);
// Uploads `picture` as the whole of `texture`, at its own size and without
// the canvas, and records it in SlideSlots[slot] as content of its size on a
// texture that holds only the content. False (nothing done) when the
// renderer takes no texture of that size or it is larger than the canvas;
// the caller then draws it on the canvas.
bool UploadPictureTexture(int slot, uint32_t texture, const Picture& picture);

// Test seam: makes the shared canvas with `maker` from now on (null
// restores CreateImageCanvas) and drops the one made so far. A maker that
// returns null stands for a canvas that cannot be made.
void SetTextureCanvasMaker(std::unique_ptr<ImageCanvas> (*maker)(int width, int height));
