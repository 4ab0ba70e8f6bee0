// The slideshow's GL work on the shared OpenGL 1.1 renderer.
#include "slideshow/slideshow_ops.h"

#include "base/clock.h"
#include "overlay/gl_renderer.h"
#include "overlay/slide_slot.h"
#include "slideshow/photo_texture.h"

namespace {
void RenewTexture(int slot) {
    if (SlideSlots[slot].texture == 0) SlideSlots[slot].texture = GlNewTexture();
}

void DeleteTexture(int slot) {
    GlDeleteTexture(SlideSlots[slot].texture);
    SlideSlots[slot] = SlideSlot{};
}

void LoadPhoto(const PathText* path, int slot) {
    LoadPhotoTexture(path, SlideSlots[slot].texture, slot);
}

void DrawQuad(int slot, float alpha, const SlotGeometry& g) {
    GlDrawClippedQuad(SlideSlots[slot].texture, alpha, g);
}
}  // namespace

const SlideshowOps kGlSlideshowOps = {RenewTexture, DeleteTexture, LoadPhoto,  GlViewportSize,
                                      GlClearFrame, DrawQuad,      SleepMillis};
