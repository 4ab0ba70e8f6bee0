// Photo decoding on Linux. JPEGs go through TurboJPEG, which reduces while
// decoding (DCT scaling) at a fraction of the cost of a full decode; the
// header read also gives the size check before any pixel memory is taken.
// Whatever else a ".jpg" holds goes through gdk-pixbuf, flattened on black.
// Both run on any thread: each thread keeps its own decoder and file buffer.
//
// Implemented / Missing (photos/photo_decode.h on TurboJPEG + gdk-pixbuf):
//   [x] DecodePhoto with DCT scaling to the size shown, any other format
//       through gdk-pixbuf; [x] on any thread
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <turbojpeg.h>

#include <string>

#include "base/file_io.h"
#include "photos/photo_decode.h"
#include "photos/photo_fit.h"

namespace {
bool TooLarge(uint64_t width, uint64_t height) {
    return width == 0 || height == 0 || width * height > kMaxPhotoPixels;
}

// The smallest DCT scaling (at most 1/1) that keeps both sides at or above
// the fitted size.
tjscalingfactor ChooseScale(int width, int height, int fitWidth, int fitHeight) {
    tjscalingfactor best{1, 1};
    int count = 0;
    tjscalingfactor* factors = tjGetScalingFactors(&count);
    for (int i = 0; factors && i < count; ++i) {
        const tjscalingfactor f = factors[i];
        if (f.num > f.denom) continue;
        if (TJSCALED(width, f) < fitWidth || TJSCALED(height, f) < fitHeight) continue;
        if (TJSCALED(width, f) < TJSCALED(width, best)) best = f;
    }
    return best;
}

// One decompressor per thread, kept for reuse.
struct Decompressor {
    tjhandle handle = tjInitDecompress();
    ~Decompressor() {
        if (handle) tjDestroy(handle);
    }
};

bool DecodeJpeg(const std::string& file, int screenWidth, int screenHeight, Picture& out,
                uint32_t& width, uint32_t& height) {
    thread_local Decompressor decompressor;
    tjhandle handle = decompressor.handle;
    if (!handle || file.empty()) return false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    const auto size = static_cast<unsigned long>(file.size());
    int w = 0, h = 0, subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(handle, bytes, size, &w, &h, &subsamp, &colorspace) != 0) return false;
    if (TooLarge(static_cast<uint64_t>(w), static_cast<uint64_t>(h))) return false;
    PhotoFit fit = PhotoShownSize(static_cast<uint32_t>(w), static_cast<uint32_t>(h), screenWidth,
                                  screenHeight);
    tjscalingfactor scale =
        ChooseScale(w, h, static_cast<int>(fit.width), static_cast<int>(fit.height));
    const int sw = TJSCALED(w, scale);
    const int sh = TJSCALED(h, scale);
    SizePicturePixels(out, static_cast<size_t>(sw) * static_cast<size_t>(sh));
    // BGRA bytes with alpha 0xFF are the canvas's premultiplied ARGB32.
    if (tjDecompress2(handle, bytes, size, reinterpret_cast<unsigned char*>(out.pixels.data()), sw,
                      sw * 4, sh, TJPF_BGRA, 0) != 0 &&
        tjGetErrorCode(handle) != TJERR_WARNING)
        return false;
    out.width = sw;
    out.height = sh;
    out.opaque = true;
    width = static_cast<uint32_t>(w);
    height = static_cast<uint32_t>(h);
    return true;
}

bool DecodeOther(const std::filesystem::path& file, int screenWidth, int screenHeight, Picture& out,
                 uint32_t& width, uint32_t& height) {
    int w = 0, h = 0;
    if (!gdk_pixbuf_get_file_info(file.c_str(), &w, &h)) return false;
    if (TooLarge(static_cast<uint64_t>(w), static_cast<uint64_t>(h))) return false;
    PhotoFit fit = PhotoShownSize(static_cast<uint32_t>(w), static_cast<uint32_t>(h), screenWidth,
                                  screenHeight);
    GdkPixbuf* pb = gdk_pixbuf_new_from_file_at_scale(file.c_str(), static_cast<int>(fit.width),
                                                      static_cast<int>(fit.height), TRUE, nullptr);
    if (!pb) return false;
    const int pw = gdk_pixbuf_get_width(pb);
    const int ph = gdk_pixbuf_get_height(pb);
    const int channels = gdk_pixbuf_get_n_channels(pb);
    const bool alpha = gdk_pixbuf_get_has_alpha(pb);
    const int stride = gdk_pixbuf_get_rowstride(pb);
    const guchar* src = gdk_pixbuf_read_pixels(pb);
    bool ok = gdk_pixbuf_get_bits_per_sample(pb) == 8 && channels >= 3;
    if (ok) {
        SizePicturePixels(out, static_cast<size_t>(pw) * static_cast<size_t>(ph));
        for (int y = 0; y < ph; ++y) {
            const guchar* p = src + static_cast<size_t>(y) * stride;
            uint32_t* d = out.pixels.data() + static_cast<size_t>(y) * pw;
            // Flattened on the canvas's black: what blending would give.
            for (int x = 0; x < pw; ++x, p += channels) {
                const uint32_t a = alpha ? p[3] : 255;
                const uint32_t r = p[0] * a / 255, g = p[1] * a / 255, b = p[2] * a / 255;
                d[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
            }
        }
        out.width = pw;
        out.height = ph;
        out.opaque = true;
        width = static_cast<uint32_t>(w);
        height = static_cast<uint32_t>(h);
    }
    g_object_unref(pb);
    return ok;
}
}  // namespace

bool DecodePhoto(const std::filesystem::path& file, int screenWidth, int screenHeight, Picture& out,
                 uint32_t& width, uint32_t& height, PhotoCredit* credit) {
    if (credit) *credit = PhotoCredit{};
    // The file's bytes are needed only while it is decoded; kept, a large
    // photo's would stay in memory all through the slide.
    std::string bytes;
    if (!ReadWholeFile(file, bytes, kMaxPhotoFileBytes) || bytes.empty()) return false;
    // A photo from elsewhere may still carry a title of its own.
    if (credit && !ReadPhotoCredit(bytes, *credit)) ReadPhotoTitle(bytes, credit->title);
    // What TurboJPEG cannot take (another format, or a JPEG it does not
    // convert, such as CMYK) may still be a picture gdk-pixbuf reads. Both
    // refuse oversized headers before decoding.
    if (DecodeJpeg(bytes, screenWidth, screenHeight, out, width, height)) return true;
    bytes = std::string();  // gdk-pixbuf reads the file itself
    return DecodeOther(file, screenWidth, screenHeight, out, width, height);
}

bool PhotoDecoderRunsOnAnyThread() {
    return true;
}
