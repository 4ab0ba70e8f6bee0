// A COM stream over a copy of bytes in memory, for GDI+ to decode from: the
// resource pictures and the photos read whole. Win32 only.
#pragma once

#include <windows.h>
// The other system headers need windows.h first.
#include <objbase.h>

#include <cstddef>
#include <cstdint>

// The stream frees its block when released; null when it cannot be made.
IStream* StreamOverBytes(const uint8_t* data, std::size_t size);
