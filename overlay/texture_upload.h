// Loading canvas pixels into a GL texture.
//
// Implemented: texture_upload_gl.cpp (OpenGL 1.1 with the BGRA source
// format, any window backend). Missing: nothing.
#pragma once

#include <cstdint>

// True when level 0 of `texture` already holds a GL_RGB image of this size,
// whose storage an upload can refill (new storage is several times slower
// on a software renderer).
bool TextureHoldsImage(uint32_t texture, int width, int height);
// Loads level 0 of `texture` as GL_RGB from width x height BGRA pixels,
// bottom row first, with linear filters and no mipmaps.
void UploadBgraTexture(uint32_t texture, const uint8_t* pixels, int width, int height);
// Replaces the part (x, y, w, h) of a texture that holds an image of
// width x height, taking it from the same part of such an image in
// `pixels`; y counts from the bottom row.
void UploadBgraTextureRegion(uint32_t texture, const uint8_t* pixels, int width, int x, int y,
                             int w, int h);
