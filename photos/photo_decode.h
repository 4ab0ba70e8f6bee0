// Photo decoding backend.
//
// Implemented: photo_decode_turbojpeg.cpp (Linux): JPEG through TurboJPEG
// with DCT scaling, on any thread; any other format a ".jpg" really holds
// through gdk-pixbuf. photo_decode_gdiplus.cpp (Win32): Gdiplus::Bitmap,
// reduced to the size shown, on the main thread only; JPEG, PNG, GIF and
// BMP, whose headers can be sized first.
#pragma once

#include <cstdint>
#include <filesystem>

#include "overlay/canvas.h"
#include "photos/photo_credit.h"

// A photo whose header claims more pixels is treated as undecodable: it
// could only be a decompression bomb.
constexpr uint64_t kMaxPhotoPixels = 100'000'000;
// Larger files are not read into memory at all.
constexpr uint64_t kMaxPhotoFileBytes = 256ull << 20;

// Decodes the photo in `file` into `out` (opaque pixels) at the smallest size
// the decoder makes cheaply that is not below PhotoShownSize of its own size
// on a screen of screenWidth x screenHeight (the caller scales the rest of
// the way). `width` and `height` receive the photo's own size. `out` keeps
// its storage across calls. False when the file cannot be read or decoded.
// `credit`, when given, receives the credit the file carries (ReadPhotoCredit
// over the bytes read for decoding), else just the title of a photo from
// elsewhere (ReadPhotoTitle), else an empty one.
bool DecodePhoto(const std::filesystem::path& file, int screenWidth, int screenHeight, Picture& out,
                 uint32_t& width, uint32_t& height, PhotoCredit* credit = nullptr);

// True when DecodePhoto may run on any thread; a decoder bound to the main
// thread makes the slideshow decode there, at the change of slide.
bool PhotoDecoderRunsOnAnyThread();
