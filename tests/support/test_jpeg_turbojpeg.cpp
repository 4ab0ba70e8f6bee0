// Test photos as JPEG files through TurboJPEG (Linux).
#include <turbojpeg.h>

#include <fstream>

#include "support/test_photos.h"

namespace {
constexpr int kQuality = 95;
}  // namespace

void WriteTestJpeg(const std::filesystem::path& file, int width, int height, Rgb top, Rgb bottom,
                   bool detail) {
    std::vector<unsigned char> rgb = TestPhotoPixels(width, height, top, bottom, detail);
    tjhandle h = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(h, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_444, kQuality, 0);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<char*>(jpeg), size);
    tjFree(jpeg);
    tjDestroy(h);
}
