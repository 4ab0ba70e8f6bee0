// Test photos as JPEG files through GDI+'s JPEG encoder (Win32; the test's
// GDI+ session is running).
#include <windows.h>
// The other system headers need windows.h first.
#include <gdiplus.h>

#include <vector>

#include "support/test_photos.h"

namespace {
constexpr ULONG kQuality = 95;

bool JpegEncoder(CLSID& clsid) {
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::vector<char> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i)
        if (lstrcmpW(encoders[i].MimeType, L"image/jpeg") == 0) {
            clsid = encoders[i].Clsid;
            return true;
        }
    return false;
}
}  // namespace

void WriteTestJpeg(const std::filesystem::path& file, int width, int height, Rgb top, Rgb bottom,
                   bool detail) {
    std::vector<unsigned char> rgb = TestPhotoPixels(width, height, top, bottom, detail);
    // GDI+'s 24-bit rows are blue, green, red, each row padded to 4 bytes.
    const int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> bgr(static_cast<size_t>(stride) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                bgr[static_cast<size_t>(y) * stride + 3 * x + c] =
                    rgb[(static_cast<size_t>(y) * width + x) * 3 + 2 - c];
    Gdiplus::Bitmap bitmap(width, height, stride, PixelFormat24bppRGB, bgr.data());
    CLSID jpeg;
    if (!JpegEncoder(jpeg)) return;
    ULONG quality = kQuality;
    Gdiplus::EncoderParameters params{};
    params.Count = 1;
    params.Parameter[0].Guid = Gdiplus::EncoderQuality;
    params.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
    params.Parameter[0].NumberOfValues = 1;
    params.Parameter[0].Value = &quality;
    bitmap.Save(file.c_str(), &jpeg, &params);
}
