// GL read-back for the tests that draw (Linux, under Xvfb).
#include <GL/gl.h>

#include "support/test_photos.h"

namespace {
constexpr int kCanvasSide = 2048;
}  // namespace

Rgb ReadPixel(int x, int y, int viewportHeight) {
    unsigned char p[4] = {};
    glReadPixels(x, viewportHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

std::vector<uint8_t> ReadTexture(uint32_t texture) {
    std::vector<uint8_t> pixels(static_cast<size_t>(kCanvasSide) * kCanvasSide * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, 0x80E1 /* GL_BGRA */, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Rgb CanvasPixel(const std::vector<uint8_t>& texture, int x, int y) {
    const uint8_t* p = texture.data() + (static_cast<size_t>(y) * kCanvasSide + x) * 4;
    return {p[2], p[1], p[0]};
}
