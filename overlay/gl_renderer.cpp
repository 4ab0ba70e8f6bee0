#include "overlay/gl_renderer.h"

#ifdef _WIN32
#include <windows.h>  // the Windows gl.h needs its calling conventions
#endif
#include <GL/gl.h>

#include <cstring>

#ifndef GL_BGRA
#define GL_BGRA 0x80E1  // EXT_bgra; the Windows SDK's gl.h stops at 1.1
#endif

namespace {
constexpr int kClipPlanes = 4;
// OpenGL 1.2's GL_CLAMP_TO_EDGE; a 1.1 renderer refuses it and keeps its
// default, which only matters at a picture's outermost half texel.
constexpr GLint kClampToEdge = 0x812F;
// RGBA takes the BGRA bytes as they are; RGB makes a software renderer
// convert every pixel. The canvas is opaque, so the alpha is 1 throughout.
constexpr GLint kInternalFormat = GL_RGBA;

// The window's size from GlSetPixelProjection. Main thread only.
int g_windowWidth = 0;
int g_windowHeight = 0;

void SetLinearFilters() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // A picture's edge texels must not blend with the opposite edge.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, kClampToEdge);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, kClampToEdge);
}
}  // namespace

void GlSetPixelProjection(int width, int height) {
    g_windowWidth = width;
    g_windowHeight = height;
    GlUsePixelViewport(0, 0, width, height);
}

void GlUsePixelViewport(int x, int y, int width, int height) {
    // GL counts viewport rows from the bottom of the window.
    glViewport(x, g_windowHeight - y - height, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // left, right, bottom, top: one unit is one pixel and y grows downwards.
    glOrtho(0, width, height, 0, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GlSetFixedState() {
    glEnable(GL_TEXTURE_2D);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDepthFunc(GL_LEQUAL);
}

void GlWindowSize(int& width, int& height) {
    width = g_windowWidth;
    height = g_windowHeight;
}

void GlClearFrame() {
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
}

uint32_t GlNewTexture() {
    GLuint t = 0;
    glGenTextures(1, &t);
    return t;
}

void GlDeleteTexture(uint32_t texture) {
    GLuint t = texture;
    if (t != 0) glDeleteTextures(1, &t);
}

void GlDrawClippedQuad(uint32_t texture, float alpha, const SlotGeometry& g) {
    glColor4f(1, 1, 1, alpha);
    glBindTexture(GL_TEXTURE_2D, texture);
    // Given while the model-view matrix is the identity, so in pixels.
    for (int i = 0; i < kClipPlanes; ++i) {
        glClipPlane(GL_CLIP_PLANE0 + i, g.planes[i]);
        glEnable(GL_CLIP_PLANE0 + i);
    }
    // Texture row 0 is the canvas's top row (uploads are top-down, as the
    // canvas keeps its pixels), so it goes on the top edge of the square.
    glBegin(GL_QUADS);
    glTexCoord2f(g.u0, g.v1);
    glVertex2f(g.x0, g.y1);
    glTexCoord2f(g.u1, g.v1);
    glVertex2f(g.x1, g.y1);
    glTexCoord2f(g.u1, g.v0);
    glVertex2f(g.x1, g.y0);
    glTexCoord2f(g.u0, g.v0);
    glVertex2f(g.x0, g.y0);
    glEnd();
    for (int i = kClipPlanes - 1; i >= 0; --i) glDisable(GL_CLIP_PLANE0 + i);
}

void GlDrawOverlayQuad(uint32_t texture, float alpha, float x, float y, float w, float h, float u,
                       float v) {
    // Premultiplied pixels: the colour is scaled by the opacity with the alpha.
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(alpha, alpha, alpha, alpha);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(0, v);
    glVertex2f(x, y + h);
    glTexCoord2f(u, v);
    glVertex2f(x + w, y + h);
    glTexCoord2f(u, 0);
    glVertex2f(x + w, y);
    glTexCoord2f(0, 0);
    glVertex2f(x, y);
    glEnd();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void GlDrawTexturedRect(uint32_t texture, float alpha, float width, float height, float u0,
                        float v0, float u1, float v1) {
    glColor4f(1, 1, 1, alpha);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(u0, v1);
    glVertex2f(0, height);
    glTexCoord2f(u1, v1);
    glVertex2f(width, height);
    glTexCoord2f(u1, v0);
    glVertex2f(width, 0);
    glTexCoord2f(u0, v0);
    glVertex2f(0, 0);
    glEnd();
}

void GlWarmUpPipelines() {
    const uint8_t texel[4] = {0, 0, 0, 0xFF};
    const uint32_t texture = GlNewTexture();
    UploadBgraTexture(texture, texel, 1, 1);
    SlotGeometry g;
    g.x1 = g.y1 = 4;
    for (auto& p : g.planes) p[3] = 1;  // keep everything
    GlDrawClippedQuad(texture, 0.5f, g);
    GlDrawOverlayQuad(texture, 0.5f, 0, 0, 4, 4, 1, 1);
    GlDrawTexturedRect(texture, 0.5f, 4, 4, 0, 0, 1, 1);
    GlDeleteTexture(texture);
    GlClearFrame();
}

bool GlTakesTextureOfSize(int width, int height) {
    GLint most = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
    if (width <= 0 || height <= 0 || width > most || height > most) return false;
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (version && version[0] >= '2' && version[0] <= '9') return true;
    return extensions && std::strstr(extensions, "GL_ARB_texture_non_power_of_two") != nullptr;
}

bool TextureHoldsImage(uint32_t texture, int width, int height) {
    if (texture == 0) return false;
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint w = 0, h = 0, format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    return w == width && h == height && format == kInternalFormat;
}

void UploadBgraTexture(uint32_t texture, const uint8_t* pixels, int width, int height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    if (TextureHoldsImage(texture, width, height)) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, kInternalFormat, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     pixels);
    }
    SetLinearFilters();
}

void UploadBgraTextureRegion(uint32_t texture, const uint8_t* pixels, int width, int x, int y,
                             int w, int h) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, width);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, x);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, y);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    SetLinearFilters();
}
