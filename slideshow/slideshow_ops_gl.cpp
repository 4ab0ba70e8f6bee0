// The slideshow's GL work in OpenGL 1.1: slot textures and the clipped quad.
#include <GL/gl.h>

#include "base/clock.h"
#include "overlay/slide_slot.h"
#include "slideshow/photo_texture.h"
#include "slideshow/slideshow_ops.h"
#include "slideshow/triggers.h"

namespace {
void RenewTexture(int slot) {
    if (SlideSlots[slot].texture == 0) glGenTextures(1, &SlideSlots[slot].texture);
}

void DeleteTexture(int slot) {
    SlideSlot& s = SlideSlots[slot];
    if (s.texture != 0) glDeleteTextures(1, &s.texture);
    s = SlideSlot{};
}

void LoadPhoto(const PathText* path, int slot) {
    LoadPhotoTexture(path, SlideSlots[slot].texture, slot);
}

void ViewportSize(int& width, int& height) {
    GLint v[4] = {};
    glGetIntegerv(GL_VIEWPORT, v);
    width = v[2];
    height = v[3];
}

void Clear() {
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
}

void DrawQuad(int slot, float alpha, const SlotGeometry& g) {
    glColor4f(1, 1, 1, alpha);
    glBindTexture(GL_TEXTURE_2D, SlideSlots[slot].texture);
    // Given while the model-view matrix is the identity, so in pixels.
    for (int i = 0; i < 4; ++i) {
        glClipPlane(GL_CLIP_PLANE0 + i, g.planes[i]);
        glEnable(GL_CLIP_PLANE0 + i);
    }
    // Texture row 0 is the picture's bottom row (uploads are bottom-up).
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(g.x0, g.y1);
    glTexCoord2f(1, 0);
    glVertex2f(g.x1, g.y1);
    glTexCoord2f(1, 1);
    glVertex2f(g.x1, g.y0);
    glTexCoord2f(0, 1);
    glVertex2f(g.x0, g.y0);
    glEnd();
    for (int i = 3; i >= 0; --i) glDisable(GL_CLIP_PLANE0 + i);
}
}  // namespace

const SlideshowOps kGlSlideshowOps = {RenewTexture, DeleteTexture, LoadPhoto, PaintInterlude,
                                      ViewportSize, Clear,         DrawQuad,  SleepMillis};
