#include "slideshow/gl_slideshow_ops.h"

#include "base/clock.h"
#include "base/saver_app.h"
#include "overlay/gl_renderer.h"
#include "overlay/slide_slot.h"
#include "slideshow/photo_caption.h"
#include "slideshow/photo_framing.h"
#include "slideshow/photo_prefetch.h"
#include "slideshow/photo_texture.h"
#include "slideshow/slideshow.h"

namespace {
void RenewTexture(int slot) {
    if (SlideSlots[slot].texture == 0) SlideSlots[slot].texture = GlNewTexture();
}

void DeleteTexture(int slot) {
    GlDeleteTexture(SlideSlots[slot].texture);
    DeleteCaptionTexture(slot);
    GlDeleteTexture(SlideSlots[slot].backdrop);
    SlideSlots[slot] = SlideSlot{};
}

// Photos are decoded for the size they are shown at: the largest viewport's.
void LoadPhoto(const PathText* path, int slot) {
    int width = 0, height = 0;
    PhotoDecodeExtent(width, height);
    LoadPhotoTexture(path, SlideSlots[slot].texture, slot, width, height);
}

void Prefetch(const PathText& path) {
    int width = 0, height = 0;
    PhotoDecodeExtent(width, height);
    PrefetchPhoto(path, width, height, CurrentSlideshowLook().blurEdges);
}

void DrawQuad(int slot, float alpha, const SlotGeometry& g) {
    const SlideSlot& s = SlideSlots[slot];
    if (!s.textureIsContent) {
        GlDrawClippedQuad(s.texture, alpha, g);
        return;
    }
    // The square stands for the whole canvas; the texture spans only the
    // content in its middle.
    SlotGeometry spanned = g;
    const auto side = static_cast<float>(SaverApp.TextureSize);
    const float ex = (side - s.contentWidth) / (2 * s.contentWidth);
    const float ey = (side - s.contentHeight) / (2 * s.contentHeight);
    spanned.u0 = -ex;
    spanned.u1 = 1 + ex;
    spanned.v0 = -ey;
    spanned.v1 = 1 + ey;
    GlDrawClippedQuad(s.texture, alpha, spanned);
}

void DrawCaption(int slot, float alpha, int W, int H) {
    CaptionQuad q;
    if (PlaceCaption(slot, W, H, q))
        GlDrawOverlayQuad(SlideSlots[slot].captionTexture, alpha, q.x, q.y, q.width, q.height, q.u,
                          q.v);
}

void DrawBackdrop(int slot, float alpha, int width, int height, const TextureCrop& crop) {
    GlDrawTexturedRect(SlideSlots[slot].backdrop, alpha, static_cast<float>(width),
                       static_cast<float>(height), crop.u0, crop.v0, crop.u1, crop.v1);
}
}  // namespace

const SlideshowOps kGlSlideshowOps = {RenewTexture, DeleteTexture, LoadPhoto,          Prefetch,
                                      GlWindowSize, GlClearFrame,  GlUsePixelViewport, DrawQuad,
                                      SleepMillis,  DrawCaption,   DrawBackdrop};
