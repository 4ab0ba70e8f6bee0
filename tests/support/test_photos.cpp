#include "support/test_photos.h"

#include <cstdlib>

namespace {
unsigned char Channel(int v) {
    return static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v);
}
}  // namespace

std::vector<unsigned char> TestPhotoPixels(int width, int height, Rgb top, Rgb bottom,
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
    return rgb;
}

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}
