// Photo decoding on Win32 with a Gdiplus::Bitmap. The file is read whole
// (at most kMaxPhotoFileBytes) and its header sized here first: a decoder
// may decode the whole image as soon as it is opened, so a header that
// claims more than kMaxPhotoPixels never reaches GDI+. GDI+ then reduces
// the photo to its fitted size while drawing it into the result.
//
// Implemented / Missing (photos/photo_decode.h on GDI+):
//   [x] JPEG, PNG, GIF and BMP, sized from their headers before decoding
//   [ ] other formats GDI+ knows (TIFF, icons, metafiles): refused, as their
//       size cannot be checked before decoding
#include <windows.h>
// The other system headers need windows.h first.
#include <gdiplus.h>
#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "base/file_io.h"
#include "overlay/memory_stream_win32.h"
#include "photos/photo_decode.h"
#include "photos/photo_fit.h"

namespace {
uint32_t Be16(const uint8_t* p) {
    return (uint32_t{p[0]} << 8) | p[1];
}
uint32_t Le16(const uint8_t* p) {
    return (uint32_t{p[1]} << 8) | p[0];
}
uint32_t Be32(const uint8_t* p) {
    return (Be16(p) << 16) | Be16(p + 2);
}
int32_t Le32(const uint8_t* p) {
    return static_cast<int32_t>((Le16(p + 2) << 16) | Le16(p));
}

// The frame size of a JPEG: the first start-of-frame segment.
bool JpegSize(const uint8_t* d, size_t n, uint32_t& w, uint32_t& h) {
    if (n < 4 || d[0] != 0xFF || d[1] != 0xD8) return false;
    size_t at = 2;
    while (at + 4 <= n) {
        if (d[at] != 0xFF) return false;
        const uint8_t marker = d[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
            at += 2;
            continue;
        }
        const size_t length = Be16(d + at + 2);
        if (length < 2) return false;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7 || at + 9 > n) return false;
            h = Be16(d + at + 5);
            w = Be16(d + at + 7);
            return true;
        }
        if (marker == 0xD9 || marker == 0xDA) return false;  // no frame before the data
        at += 2 + length;
    }
    return false;
}

// The size a picture's header claims; false for a format sized nowhere.
bool HeaderSize(const std::string& bytes, uint32_t& w, uint32_t& h) {
    const auto* d = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t n = bytes.size();
    if (JpegSize(d, n, w, h)) return true;
    if (n >= 24 && std::memcmp(d, "\x89PNG\r\n\x1A\n", 8) == 0 &&
        std::memcmp(d + 12, "IHDR", 4) == 0) {
        w = Be32(d + 16);
        h = Be32(d + 20);
        return true;
    }
    if (n >= 10 && (std::memcmp(d, "GIF87a", 6) == 0 || std::memcmp(d, "GIF89a", 6) == 0)) {
        w = Le16(d + 6);
        h = Le16(d + 8);
        return true;
    }
    if (n >= 26 && d[0] == 'B' && d[1] == 'M') {
        if (Le32(d + 14) == 12) {  // the old core header: 16-bit sides
            w = Le16(d + 18);
            h = Le16(d + 20);
        } else {
            const int64_t sw = Le32(d + 18), sh = Le32(d + 22);
            w = static_cast<uint32_t>(sw < 0 ? -sw : sw);
            h = static_cast<uint32_t>(sh < 0 ? -sh : sh);  // negative: top-down rows
        }
        return true;
    }
    return false;
}

bool TooLarge(uint64_t width, uint64_t height) {
    return width == 0 || height == 0 || width * height > kMaxPhotoPixels;
}

// Drawn at the size shown, onto opaque black: the pixels are then what the
// canvas would show of them, and opaque.
bool DrawFitted(Gdiplus::Bitmap& photo, uint32_t w, uint32_t h, int screenWidth, int screenHeight,
                Picture& out) {
    const PhotoFit fit = PhotoShownSize(w, h, screenWidth, screenHeight);
    const int fw = static_cast<int>(fit.width) > 0 ? static_cast<int>(fit.width) : 1;
    const int fh = static_cast<int>(fit.height) > 0 ? static_cast<int>(fit.height) : 1;
    SizePicturePixels(out, static_cast<size_t>(fw) * fh);
    std::fill(out.pixels.begin(), out.pixels.end(), 0xFF000000u);
    Gdiplus::Bitmap target(fw, fh, fw * 4, PixelFormat32bppPARGB,
                           reinterpret_cast<BYTE*>(out.pixels.data()));
    if (target.GetLastStatus() != Gdiplus::Ok) return false;
    Gdiplus::Graphics g(&target);
    if (g.GetLastStatus() != Gdiplus::Ok) return false;
    const bool same = static_cast<uint32_t>(fw) == w && static_cast<uint32_t>(fh) == h;
    g.SetInterpolationMode(same ? Gdiplus::InterpolationModeNearestNeighbor
                                : Gdiplus::InterpolationModeHighQualityBilinear);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    const Gdiplus::Status drawn =
        g.DrawImage(&photo, Gdiplus::Rect(0, 0, fw, fh), 0, 0, static_cast<INT>(w),
                    static_cast<INT>(h), Gdiplus::UnitPixel, &attributes);
    if (drawn != Gdiplus::Ok) return false;
    out.width = fw;
    out.height = fh;
    out.opaque = true;
    return true;
}
}  // namespace

bool DecodePhoto(const std::filesystem::path& file, int screenWidth, int screenHeight, Picture& out,
                 uint32_t& width, uint32_t& height, PhotoCredit* credit) {
    if (credit) *credit = PhotoCredit{};
    static std::string bytes;  // main thread only, reused
    if (!ReadWholeFile(file, bytes, kMaxPhotoFileBytes) || bytes.empty()) return false;
    // A photo from elsewhere may still carry a title of its own.
    if (credit && !ReadPhotoCredit(bytes, *credit)) ReadPhotoTitle(bytes, credit->title);
    uint32_t w = 0, h = 0;
    if (!HeaderSize(bytes, w, h) || TooLarge(w, h)) return false;
    IStream* stream = StreamOverBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (!stream) return false;
    bool ok = false;
    {
        Gdiplus::Bitmap photo(stream, FALSE);
        const bool loaded = photo.GetLastStatus() == Gdiplus::Ok;
        // GDI+ may read a size other than the header's first claim (a JPEG
        // whose frame size comes later); the limit holds for that one too.
        const uint32_t pw = loaded ? photo.GetWidth() : 0;
        const uint32_t ph = loaded ? photo.GetHeight() : 0;
        if (loaded && !TooLarge(pw, ph) &&
            DrawFitted(photo, pw, ph, screenWidth, screenHeight, out)) {
            width = pw;
            height = ph;
            ok = true;
        }
    }
    stream->Release();
    return ok;
}

// GDI+ is used on the main thread only.
bool PhotoDecoderRunsOnAnyThread() {
    return false;
}
