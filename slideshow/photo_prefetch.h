// Decoding ahead: the next photo is decoded on a background thread while the
// current one is on show, so that the change of slide only paints the canvas
// and uploads. A decoder bound to the main thread (PhotoDecoderRunsOnAnyThread
// false) makes PrefetchPhoto do nothing and ObtainPhoto decode at the change.
#pragma once

#include <cstdint>

#include "base/fixed_text.h"
#include "overlay/canvas.h"
#include "photos/photo_credit.h"

// Starts decoding `path` for a screen of screenWidth x screenHeight on the
// background decoder, and its backdrop (photo_backdrop.h) when `backdrop`.
// A new request replaces one not yet taken; the same request again keeps the
// one running or done. Main thread.
void PrefetchPhoto(const PathText& path, int screenWidth, int screenHeight, bool backdrop = false);

// The photo at `path` decoded for that screen into `out` (an empty picture),
// as DecodePhoto gives it: the prefetched result when there is one for
// exactly this request (waiting for it while it is decoded), else decoded
// here. A prefetched photo whose file has gone since is not shown (false).
// `credit`, when given, receives the credit read with the photo's bytes;
// `backdrop`, when given, the photo's backdrop (made here when the
// prefetch made none). Main thread.
bool ObtainPhoto(const PathText& path, int screenWidth, int screenHeight, Picture& out,
                 uint32_t& width, uint32_t& height, PhotoCredit* credit = nullptr,
                 Picture* backdrop = nullptr);
// Gives the storage of a picture from ObtainPhoto back once it is painted,
// for the next decode to reuse.
void ReturnPhotoStorage(Picture&& picture);
