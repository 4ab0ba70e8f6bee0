// PNG files made on the spot for the decoders' tests, without a PNG
// library: stored (uncompressed) deflate blocks, colour type 6.
#pragma once

#include <cstdint>
#include <string>

// Straight (not premultiplied) ARGB pixels, rows of `width`, top row first.
std::string EncodePng(const uint32_t* argb, int width, int height);
