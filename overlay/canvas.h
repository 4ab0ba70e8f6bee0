// Canvas: what the overlay painters (weather panels, version notice) draw
// with. One backend per platform draws it: canvas_cairo.cpp on Linux (cairo
// + pangocairo), canvas_gdiplus.cpp on Win32 (GDI+). Painters never see the
// backend, so the same painter code serves both.
//
// Coordinates are canvas pixels, origin top left, y down. Colours are ARGB
// (0xAARRGGBB). Drawing is anti-aliased.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A decoded picture: premultiplied ARGB32 pixels, native-endian, rows of
// `width` pixels without padding.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    // Every pixel has alpha 255: drawing it may copy instead of blend.
    bool opaque = false;
};

// Gives `picture` room for `count` pixels (whatever they hold where its
// storage is reused). Storage too small is let go first: growing it in place
// would hold the old and the new at once and copy pixels about to be
// overwritten.
inline void SizePicturePixels(Picture& picture, size_t count) {
    if (picture.pixels.capacity() < count) picture.pixels = std::vector<uint32_t>();
    picture.pixels.resize(count);
}

// The overlay font: a family ("Georgia" when the system knows it exactly,
// else the generic sans-serif family) at a size in points at 96 DPI, that
// is three quarters of its size in the canvas's pixels, whatever the
// screen's DPI: text is sized in pixels of the screen it is shown on.
struct OverlayFont {
    std::string family;
    float points = 0;
};
OverlayFont CreateOverlayFont(float points);

enum class TextAlign { Near, Center, Far };

struct CanvasSize {
    float width = 0;
    float height = 0;
};

struct CanvasPoint {
    int x = 0;
    int y = 0;
};

class Canvas {
  public:
    virtual ~Canvas() = default;
    virtual void FillRect(int x, int y, int w, int h, uint32_t argb) = 0;
    // Linear gradient from `topArgb` at y to `bottomArgb` at y + h, repeated
    // (tiled) beyond the rectangle like the brush it is made from.
    virtual void FillVerticalGradient(int x, int y, int w, int h, uint32_t topArgb,
                                      uint32_t bottomArgb) = 0;
    // The picture scaled into the rectangle.
    virtual void DrawPicture(const Picture& picture, int x, int y, int w, int h) = 0;
    // Text in a layout rectangle. It wraps at word boundaries inside `w` and
    // starts at the rectangle's top; a width of 0 means no wrapping, with each
    // line aligned on x (centred on x for Center). Line breaks come from "\n".
    virtual void DrawText(std::u16string_view text, const OverlayFont& font, float x, float y,
                          float w, float h, uint32_t argb, TextAlign align) = 0;
    // The size DrawText fills with `text`: its widest line and all its
    // lines, wrapped as DrawText wraps them inside `w` (0: no wrapping).
    virtual CanvasSize MeasureText(std::u16string_view text, const OverlayFont& font, float w) = 0;
    // One line that never wraps: ended with an ellipsis ("\u2026") where it
    // is wider than `w`, "\n" drawn as no break. Measure and draw lay it out
    // alike (the same layout object, the same string format), so what is
    // drawn at (x, y) stays inside the measured size. Empty when no font
    // can draw it.
    virtual CanvasSize MeasureTextLine(std::u16string_view text, const OverlayFont& font,
                                       float w) = 0;
    virtual void DrawTextLine(std::u16string_view text, const OverlayFont& font, float x, float y,
                              float w, uint32_t argb) = 0;
    // A cardinal spline through the points with tension 0.5.
    virtual void DrawCurve(const CanvasPoint* points, int count, float penWidth, uint32_t argb) = 0;
};
