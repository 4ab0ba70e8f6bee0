#include "support/test_photos.h"

#include <GL/gl.h>
#include <turbojpeg.h>

#include <cstdlib>
#include <fstream>

namespace {
constexpr int kCanvasSide = 2048;
constexpr int kQuality = 95;

unsigned char Channel(int v) {
    return static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v);
}
}  // namespace

void WriteTestJpeg(const std::filesystem::path& file, int width, int height, Rgb top, Rgb bottom,
                   bool detail) {
    uint32_t noise = 12345;
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const Rgb& c = y < height / 2 ? top : bottom;
        unsigned char* row = rgb.data() + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            int d = 0;
            if (detail) {
                noise = noise * 1103515245u + 12345u;
                d = static_cast<int>((x * 7 + y * 3) % 64) + static_cast<int>((noise >> 16) % 24) -
                    40;
            }
            row[3 * x] = Channel(c.r + d);
            row[3 * x + 1] = Channel(c.g + d);
            row[3 * x + 2] = Channel(c.b + d);
        }
    }
    tjhandle h = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(h, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_444, kQuality, 0);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<char*>(jpeg), size);
    tjFree(jpeg);
    tjDestroy(h);
}

Rgb ReadPixel(int x, int y, int viewportHeight) {
    unsigned char p[4] = {};
    glReadPixels(x, viewportHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

std::vector<uint8_t> ReadTexture(uint32_t texture) {
    std::vector<uint8_t> pixels(static_cast<size_t>(kCanvasSide) * kCanvasSide * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, 0x80E1 /* GL_BGRA */, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Rgb CanvasPixel(const std::vector<uint8_t>& texture, int x, int y) {
    const uint8_t* p = texture.data() + (static_cast<size_t>(y) * kCanvasSide + x) * 4;
    return {p[2], p[1], p[0]};
}

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}
