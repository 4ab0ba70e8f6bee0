// Photo decoding: any bytes in a ".jpg" either fail to decode or give a
// picture whose pixel buffer matches its size, from a photo within the
// pixel limit.
#include <filesystem>
#include <string>

#include "fuzz_support.h"
#include "overlay/canvas.h"
#include "photos/photo_decode.h"

namespace {
std::filesystem::path g_folder;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_folder = MakeFuzzDataFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path file = g_folder / "photo.jpg";
    WriteBytes(file, Bytes(data, size));
    Picture out;
    uint32_t width = 0, height = 0;
    // A screen of 1920 x 1080: large photos take the screen-sized decode path.
    if (DecodePhoto(file, 1920, 1080, out, width, height)) {
        Require(out.opaque, "decoded photos are opaque");
        Require(out.width > 0 && out.height > 0, "a decoded picture has a size");
        Require(out.pixels.size() == static_cast<std::size_t>(out.width) * out.height,
                "the pixels fill the picture");
        Require(width > 0 && height > 0 && uint64_t{width} * height <= kMaxPhotoPixels,
                "the photo is within the pixel limit");
    }
    return 0;
}
