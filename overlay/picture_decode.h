// Decoding the embedded PNG pictures.
//
// Implemented (Linux): picture_decode_cairo.cpp (cairo's PNG reader).
// Missing: Win32.
#pragma once

#include <cstddef>
#include <cstdint>

#include "overlay/canvas.h"

// False when the bytes are not a PNG that decodes.
bool DecodePngPicture(const uint8_t* data, size_t size, Picture& out);
