#include "support/test_photos.h"

#include <algorithm>
#include <cmath>
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

std::vector<unsigned char> PhotoLikePixels(int width, int height, uint32_t seed) {
    constexpr float kTurn = 6.2831853f;
    const float phase = static_cast<float>(seed % 97) * 0.37f;
    // Per column the horizon and a cloud wave, per row the other cloud wave:
    // the inner loop only looks them up.
    std::vector<int> horizon(width);
    std::vector<float> cloudX(width), cloudY(height);
    for (int x = 0; x < width; ++x) {
        const float u = static_cast<float>(x) / width;
        horizon[x] = static_cast<int>(height * (0.6f + 0.06f * std::sin(kTurn * 2 * u + phase) +
                                                0.015f * std::sin(kTurn * 13 * u + 2 * phase)));
        cloudX[x] = std::sin(kTurn * 3 * u + phase) + 0.5f * std::sin(kTurn * 11 * u + 3 * phase);
    }
    for (int y = 0; y < height; ++y) {
        const float v = static_cast<float>(y) / height;
        cloudY[y] = std::sin(kTurn * 2 * v + phase) + 0.5f * std::sin(kTurn * 7 * v);
    }
    // Hard edges: a fuselage and its tail in the sky, two buildings on the ground.
    struct Box {
        float x0, y0, x1, y1;
        Rgb c;
    };
    const float shift = static_cast<float>(seed % 5) * 0.08f;
    const Box boxes[] = {{0.2f + shift, 0.25f, 0.55f + shift, 0.29f, {225, 228, 232}},
                         {0.2f + shift, 0.17f, 0.24f + shift, 0.25f, {180, 30, 40}},
                         {0.62f, 0.5f, 0.7f, 0.8f, {150, 130, 110}},
                         {0.75f, 0.56f, 0.8f, 0.85f, {90, 95, 105}}};
    uint32_t noise = seed * 2654435761u + 1;
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const float v = static_cast<float>(y) / height;
        unsigned char* row = rgb.data() + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>((noise >> 16) % 9) - 4;
            int r, g, b;
            if (y < horizon[x]) {
                const int cloud = static_cast<int>(std::max(0.0f, cloudX[x] * cloudY[y]) * 70);
                r = static_cast<int>(50 + 120 * v) + cloud;
                g = static_cast<int>(100 + 100 * v) + cloud;
                b = static_cast<int>(190 + 50 * v) + cloud / 2;
            } else {
                // Fields in bands, darker towards the front, with grass-like texture.
                const int band = (x * 6 / width + y * 9 / height) % 3;
                const int grass = static_cast<int>((noise >> 8) % 33) - 16 + (x * 3 + y) % 7;
                r = 70 + band * 30 - static_cast<int>(40 * v) + grass;
                g = 110 + band * 15 - static_cast<int>(50 * v) + grass;
                b = 40 + band * 10 + grass / 2;
            }
            const float u = static_cast<float>(x) / width;
            for (const Box& box : boxes) {
                if (u >= box.x0 && u < box.x1 && v >= box.y0 && v < box.y1) {
                    const int shade = static_cast<int>(30 * (v - box.y0) / (box.y1 - box.y0));
                    r = box.c.r - shade;
                    g = box.c.g - shade;
                    b = box.c.b - shade;
                }
            }
            row[3 * x] = Channel(r + grain);
            row[3 * x + 1] = Channel(g + grain);
            row[3 * x + 2] = Channel(b + grain);
        }
    }
    return rgb;
}

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}
