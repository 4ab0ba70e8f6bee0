// PNG pictures through GDI+: the bytes are copied into a movable global
// memory block, read through a COM stream over it and converted to the
// canvas's premultiplied ARGB32.
//
// Implemented / Missing (overlay/picture_decode.h on GDI+):
//   [x] DecodePngPicture, after a check of the PNG's chunk structure (GDI+
//       would show a cut file as far as it goes)
#include <windows.h>
// The other system headers need windows.h first.
#include <gdiplus.h>
#include <objbase.h>

#include <cstring>
#include <memory>

#include "overlay/memory_stream_win32.h"
#include "overlay/picture_decode.h"

namespace {
constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Signature, IHDR first, every chunk inside the bytes, IEND last.
bool WholePng(const uint8_t* data, size_t size) {
    if (size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        return false;
    size_t at = sizeof kSignature;
    bool first = true;
    while (size - at >= 12) {
        const uint64_t length = BigEndian32(data + at);
        const uint8_t* type = data + at + 4;
        if (length > size - at - 12) return false;
        if (first && std::memcmp(type, "IHDR", 4) != 0) return false;
        first = false;
        at += 12 + static_cast<size_t>(length);
        if (std::memcmp(type, "IEND", 4) == 0) return at == size;
    }
    return false;
}
}  // namespace

bool DecodePngPicture(const uint8_t* data, size_t size, Picture& out) {
    if (!data || !WholePng(data, size)) return false;
    IStream* stream = StreamOverBytes(data, size);
    if (!stream) return false;
    bool ok = false;
    {
        Gdiplus::Bitmap bitmap(stream, FALSE);
        const bool loaded = bitmap.GetLastStatus() == Gdiplus::Ok;
        const int w = loaded ? static_cast<int>(bitmap.GetWidth()) : 0;
        const int h = loaded ? static_cast<int>(bitmap.GetHeight()) : 0;
        Gdiplus::BitmapData locked{};
        Gdiplus::Rect all(0, 0, w, h);
        if (w > 0 && h > 0 &&
            bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &locked) ==
                Gdiplus::Ok) {
            out.width = w;
            out.height = h;
            out.pixels.resize(static_cast<size_t>(w) * h);
            const auto* rows = static_cast<const uint8_t*>(locked.Scan0);
            for (int y = 0; y < h; ++y)
                std::memcpy(out.pixels.data() + static_cast<size_t>(y) * w,
                            rows + static_cast<ptrdiff_t>(y) * locked.Stride,
                            static_cast<size_t>(w) * 4);
            bitmap.UnlockBits(&locked);
            ok = true;
        }
    }
    stream->Release();
    return ok;
}
