// Loading canvas pixels into a GL texture.
//
// Implemented: texture_upload_gl.cpp (OpenGL 1.1 with the BGRA source
// format, any window backend). Missing: nothing.
#pragma once

#include <cstdint>

// Loads level 0 of `texture` as GL_RGB from width x height BGRA pixels,
// bottom row first, with linear filters and no mipmaps. A texture that
// already holds an image of this size keeps its storage and gets new
// contents (new storage is several times slower on a software renderer).
void UploadBgraTexture(uint32_t texture, const uint8_t* pixels, int width, int height);
