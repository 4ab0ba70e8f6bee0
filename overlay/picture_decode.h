// Decoding the embedded PNG pictures.
//
// Implemented: picture_decode_cairo.cpp (Linux, cairo's PNG reader) and
// picture_decode_gdiplus.cpp (Win32, GDI+ from a stream over global memory).
#pragma once

#include <cstddef>
#include <cstdint>

#include "overlay/canvas.h"

// False when the bytes are not a PNG that decodes.
bool DecodePngPicture(const uint8_t* data, size_t size, Picture& out);
