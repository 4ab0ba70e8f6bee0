// Test photos as JPEG files through TurboJPEG (Linux).
#include <turbojpeg.h>

#include <fstream>

#include "support/test_photos.h"

namespace {
constexpr int kQuality = 95;

void WriteJpeg(const std::filesystem::path& file, const std::vector<unsigned char>& rgb, int width,
               int height, int subsampling, int quality) {
    tjhandle h = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(h, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, subsampling, quality, 0);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<char*>(jpeg), size);
    tjFree(jpeg);
    tjDestroy(h);
}
}  // namespace

void WriteTestJpeg(const std::filesystem::path& file, int width, int height, Rgb top, Rgb bottom,
                   bool detail) {
    WriteJpeg(file, TestPhotoPixels(width, height, top, bottom, detail), width, height, TJSAMP_444,
              kQuality);
}

void WritePhotoLikeJpeg(const std::filesystem::path& file, int width, int height, uint32_t seed,
                        int quality) {
    WriteJpeg(file, PhotoLikePixels(width, height, seed), width, height, TJSAMP_420, quality);
}
