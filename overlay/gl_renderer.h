// The OpenGL 1.1 renderer every window backend shares: the pixel
// projection, the fixed state, slot textures, the clipped quad and the
// texture uploads with the EXT_bgra source format. The only file with GL
// headers; all of it runs on the main thread with the context current.
//
// Implemented (X11 / Win32): [x]/[x] everything below; the context itself
// comes from the window backend (GLX / WGL).
#pragma once

#include <cstdint>

// Viewport and projection so that one unit is one pixel, origin top left,
// y growing downwards, over the whole window of width x height; the
// model-view matrix is left current and identity.
void GlSetPixelProjection(int width, int height);
// The same over the part (x, y, width, height) of that window, y counted
// from its top: drawing lands only there, with (0, 0) its top-left corner.
void GlUsePixelViewport(int x, int y, int width, int height);
// The fixed state the slideshow draws with: 2-D textures, clear colour
// black with alpha 0.5, no depth test, alpha blending.
void GlSetFixedState();
// Size of the window as GlSetPixelProjection last set it.
void GlWindowSize(int& width, int& height);
// Clears to black and resets the model-view matrix.
void GlClearFrame();

// Draws once with each way the slideshow draws (a clipped photo quad, an
// overlay quad, a stretched backdrop), then clears: a software renderer
// compiles its pipelines at their first use, which would otherwise fall on
// the first photo's frame.
void GlWarmUpPipelines();

uint32_t GlNewTexture();
void GlDeleteTexture(uint32_t texture);

// Where a textured square lands on the screen, in pixels (origin top left).
struct SlotGeometry {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // the whole canvas square
    // Clip planes (a, b, c, d) keeping a*x + b*y + c*z + d >= 0: they cut
    // the canvas down to the picture.
    double planes[4][4] = {};
    // Texture coordinates of the square's corners: the whole texture, or
    // beyond it for a texture that holds only the picture (the planes cut
    // away what lies outside).
    float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
};
// Draws `texture` over the square of `g` with opacity `alpha`, clipped by
// its planes. Texture row 0 is the picture's top row.
void GlDrawClippedQuad(uint32_t texture, float alpha, const SlotGeometry& g);

// Draws the part (0, 0)-(u, v) of `texture`, whose pixels are premultiplied
// by their alpha, over the rectangle (x, y, w, h) with opacity `alpha`.
void GlDrawOverlayQuad(uint32_t texture, float alpha, float x, float y, float w, float h, float u,
                       float v);
// Draws `texture` stretched over (0, 0)-(width, height) with opacity
// `alpha`, taking the part (u0, v0)-(u1, v1) of it; v grows downwards.
void GlDrawTexturedRect(uint32_t texture, float alpha, float width, float height, float u0,
                        float v0, float u1, float v1);

// True when the context takes textures of any size (OpenGL 2.0, or 1.x with
// ARB_texture_non_power_of_two) up to width x height.
bool GlTakesTextureOfSize(int width, int height);
// True when level 0 of `texture` already holds an image of this size in the
// upload's internal format, whose storage an upload can refill (new storage
// is several times slower on a software renderer).
bool TextureHoldsImage(uint32_t texture, int width, int height);
// Loads level 0 of `texture` from width x height opaque BGRA pixels, top row
// first, with linear filters and no mipmaps.
void UploadBgraTexture(uint32_t texture, const uint8_t* pixels, int width, int height);
// Replaces the part (x, y, w, h) of a texture that holds an image of
// width x height, taking it from the same part of such an image in
// `pixels`; y counts from the top row.
void UploadBgraTextureRegion(uint32_t texture, const uint8_t* pixels, int width, int x, int y,
                             int w, int h);
