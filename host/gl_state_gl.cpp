// The GL state every window backend sets up the same way: the pixel
// projection and the fixed state the slideshow draws with.
#include <GL/gl.h>

#include "host/saver_window.h"
#include "slideshow/photo_list.h"
#include "slideshow/slideshow.h"
#include "slideshow/slideshow_ops.h"

void SetPixelProjection(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // left, right, bottom, top: one unit is one pixel and y grows downwards.
    glOrtho(0, width, height, 0, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

int InitGlState() {
    AttachSlideshow(kGlSlideshowOps);
    if (!ScanCache()) return 0;
    glEnable(GL_TEXTURE_2D);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDepthFunc(GL_LEQUAL);
    return 1;
}
