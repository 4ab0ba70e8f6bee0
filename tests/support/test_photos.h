// Test photos made on the spot (JPEG through TurboJPEG on Linux, GDI+ on
// Win32), and GL read-back helpers (Linux).
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <vector>

struct Rgb {
    int r = 0, g = 0, b = 0;
};
inline std::ostream& operator<<(std::ostream& o, Rgb c) {
    return o << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// RGB bytes of width x height: the top half `top`, the bottom half
// `bottom`. With `detail`, colour waves and noise over them, as in a real
// photo.
std::vector<unsigned char> TestPhotoPixels(int width, int height, Rgb top, Rgb bottom, bool detail);
// Those pixels as a JPEG file.
void WriteTestJpeg(const std::filesystem::path& file, int width, int height, Rgb top, Rgb bottom,
                   bool detail = false);
// RGB bytes that compress as a landscape photo does: a sky gradient with
// soft clouds over textured fields below a wavy horizon, a few hard-edged
// shapes and sensor grain, laid out in fractions of the size so that every
// size shows the same scene. `seed` varies the scene.
std::vector<unsigned char> PhotoLikePixels(int width, int height, uint32_t seed);
// Those pixels as a camera-like JPEG (4:2:0) of the given quality (Linux).
void WritePhotoLikeJpeg(const std::filesystem::path& file, int width, int height, uint32_t seed,
                        int quality);
// The pixel at (x, y) of the buffer being drawn, y counted from the top.
Rgb ReadPixel(int x, int y, int viewportHeight);
// Level 0 of a 2048 x 2048 texture as BGRA bytes, row 0 first.
std::vector<uint8_t> ReadTexture(uint32_t texture);
// The pixel of that read-back at canvas position (x, y), y from the top
// (textures hold the canvas top row first).
Rgb CanvasPixel(const std::vector<uint8_t>& texture, int x, int y);
bool Near(Rgb a, Rgb b, int tolerance);
