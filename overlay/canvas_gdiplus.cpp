// Canvas operations in GDI+ terms. The canvas owns its pixels (premultiplied
// ARGB32, top row first), and every drawing call wraps them in a
// Gdiplus::Bitmap and a graphics context made and released within the call,
// so nothing of GDI+ outlives GdiplusShutdown. Text sizes are points at 96
// DPI turned into pixels, so the DPI of the screen never scales them again;
// curves are GDI+'s cardinal splines.
//
// Implemented / Missing (overlay/image_canvas.h on GDI+):
//   [x] every Canvas operation, ImageCanvas pixels and ClearRect
//   [x] a canvas that GDI+ cannot draw on (not started, no memory) is not made
//   [x] one-line text with ellipsis trimming (StringFormatFlagsNoWrap,
//       StringTrimmingEllipsisCharacter), the same format measuring and drawing
#include <windows.h>
// The other system headers need windows.h first.
#include <gdiplus.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "overlay/image_canvas.h"

namespace {
constexpr float kDpi = 96.0f;
constexpr float kPointsPerInch = 72.0f;
constexpr float kCurveTension = 0.5f;

Gdiplus::Color ToColor(uint32_t argb) {
    return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb));
}

Gdiplus::StringAlignment ToAlignment(TextAlign a) {
    switch (a) {
        case TextAlign::Center:
            return Gdiplus::StringAlignmentCenter;
        case TextAlign::Far:
            return Gdiplus::StringAlignmentFar;
        default:
            return Gdiplus::StringAlignmentNear;
    }
}

// Premultiplied ARGB of a straight ARGB colour.
uint32_t Premultiplied(uint32_t argb) {
    const uint32_t a = argb >> 24;
    const uint32_t r = ((argb >> 16) & 0xFF) * a / 255;
    const uint32_t g = ((argb >> 8) & 0xFF) * a / 255;
    const uint32_t b = (argb & 0xFF) * a / 255;
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Pictures and canvases share one pixel layout; GDI+ only reads the source.
std::unique_ptr<Gdiplus::Bitmap> WrapPixels(const uint32_t* pixels, int width, int height) {
    auto* scan0 = reinterpret_cast<BYTE*>(const_cast<uint32_t*>(pixels));
    auto bitmap =
        std::make_unique<Gdiplus::Bitmap>(width, height, width * 4, PixelFormat32bppPARGB, scan0);
    if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
    bitmap->SetResolution(kDpi, kDpi);
    return bitmap;
}

class GdiplusCanvas : public ImageCanvas {
  public:
    GdiplusCanvas(int width, int height, std::unique_ptr<uint32_t[]> pixels)
        : width_(width), height_(height), pixels_(std::move(pixels)) {}

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    const uint32_t* Pixels() override { return pixels_.get(); }

    void ClearRect(int x, int y, int w, int h, uint32_t argb) override {
        const int left = std::clamp(x, 0, width_), right = std::clamp(x + w, 0, width_);
        const int top = std::clamp(y, 0, height_), bottom = std::clamp(y + h, 0, height_);
        const uint32_t value = Premultiplied(argb);
        for (int row = top; row < bottom; ++row) {
            uint32_t* line = pixels_.get() + static_cast<size_t>(row) * width_;
            std::fill(line + left, line + right, value);
        }
    }

    void FillRect(int x, int y, int w, int h, uint32_t argb) override {
        Session s(*this);
        if (!s.ok()) return;
        Gdiplus::SolidBrush brush(ToColor(argb));
        s.graphics->FillRectangle(&brush, x, y, w, h);
    }

    void FillVerticalGradient(int x, int y, int w, int h, uint32_t topArgb,
                              uint32_t bottomArgb) override {
        if (h <= 0) return;
        Session s(*this);
        if (!s.ok()) return;
        // Tiled beyond its two points, the brush's default wrap mode.
        Gdiplus::LinearGradientBrush brush(Gdiplus::Point(0, y), Gdiplus::Point(0, y + h),
                                           ToColor(topArgb), ToColor(bottomArgb));
        s.graphics->FillRectangle(&brush, x, y, w, h);
    }

    void DrawPicture(const Picture& picture, int x, int y, int w, int h) override {
        if (picture.width <= 0 || picture.height <= 0 || w <= 0 || h <= 0) return;
        if (picture.pixels.size() < static_cast<size_t>(picture.width) * picture.height) return;
        Session s(*this);
        if (!s.ok()) return;
        auto source = WrapPixels(picture.pixels.data(), picture.width, picture.height);
        if (!source) return;
        // At its own size a picture is copied pixel for pixel; scaled, the
        // edges repeat outwards instead of fading into transparency.
        const bool same = w == picture.width && h == picture.height;
        s.graphics->SetInterpolationMode(same ? Gdiplus::InterpolationModeNearestNeighbor
                                              : Gdiplus::InterpolationModeHighQualityBilinear);
        s.graphics->SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        Gdiplus::ImageAttributes attributes;
        attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        s.graphics->DrawImage(source.get(), Gdiplus::Rect(x, y, w, h), 0, 0, picture.width,
                              picture.height, Gdiplus::UnitPixel, &attributes);
    }

    void DrawText(std::u16string_view text, const OverlayFont& font, float x, float y, float w,
                  float h, uint32_t argb, TextAlign align) override {
        if (text.empty()) return;
        Session s(*this);
        if (!s.ok()) return;
        std::unique_ptr<Gdiplus::Font> f = MakeFont(font);
        if (!f) return;
        Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
        PrepareFormat(format, align);
        // A side of 0 is unbounded: no wrapping without a width, and the
        // lines then align on x itself.
        Gdiplus::RectF layout(x, y, w > 0 ? w : 0, w > 0 && h > 0 ? h : 0);
        Gdiplus::SolidBrush brush(ToColor(argb));
        std::wstring wide(text.begin(), text.end());
        s.graphics->DrawString(wide.c_str(), static_cast<INT>(wide.size()), f.get(), layout,
                               &format, &brush);
    }

    CanvasSize MeasureText(std::u16string_view text, const OverlayFont& font, float w) override {
        if (text.empty()) return {};
        Session s(*this);
        if (!s.ok()) return {};
        std::unique_ptr<Gdiplus::Font> f = MakeFont(font);
        if (!f) return {};
        Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
        PrepareFormat(format, TextAlign::Near);
        Gdiplus::RectF bounds;
        std::wstring wide(text.begin(), text.end());
        s.graphics->MeasureString(wide.c_str(), static_cast<INT>(wide.size()), f.get(),
                                  Gdiplus::RectF(0, 0, w > 0 ? w : 0, 0), &format, &bounds);
        return {bounds.Width, bounds.Height};
    }

    CanvasSize MeasureTextLine(std::u16string_view text, const OverlayFont& font,
                               float w) override {
        if (text.empty()) return {};
        Session s(*this);
        if (!s.ok()) return {};
        std::unique_ptr<Gdiplus::Font> f = MakeFont(font);
        if (!f) return {};
        Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
        PrepareLineFormat(format);
        Gdiplus::RectF bounds;
        std::wstring wide = LineText(text);
        s.graphics->MeasureString(wide.c_str(), static_cast<INT>(wide.size()), f.get(),
                                  LineRect(0, 0, w, *f, s), &format, &bounds);
        if (!(bounds.Width > 0) || !(bounds.Height > 0)) return {};
        return {bounds.Width, bounds.Height};
    }

    void DrawTextLine(std::u16string_view text, const OverlayFont& font, float x, float y, float w,
                      uint32_t argb) override {
        if (text.empty()) return;
        Session s(*this);
        if (!s.ok()) return;
        std::unique_ptr<Gdiplus::Font> f = MakeFont(font);
        if (!f) return;
        Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
        PrepareLineFormat(format);
        Gdiplus::SolidBrush brush(ToColor(argb));
        std::wstring wide = LineText(text);
        s.graphics->DrawString(wide.c_str(), static_cast<INT>(wide.size()), f.get(),
                               LineRect(x, y, w, *f, s), &format, &brush);
    }

    void DrawCurve(const CanvasPoint* points, int count, float penWidth, uint32_t argb) override {
        if (!points || count < 2) return;
        Session s(*this);
        if (!s.ok()) return;
        std::unique_ptr<Gdiplus::Point[]> p(new (std::nothrow) Gdiplus::Point[count]);
        if (!p) return;
        for (int i = 0; i < count; ++i) p[i] = Gdiplus::Point(points[i].x, points[i].y);
        Gdiplus::Pen pen(ToColor(argb), penWidth);
        pen.SetLineJoin(Gdiplus::LineJoinRound);
        // Round ends reach the end points themselves, whatever the direction.
        pen.SetStartCap(Gdiplus::LineCapRound);
        pen.SetEndCap(Gdiplus::LineCapRound);
        s.graphics->DrawCurve(&pen, p.get(), count, kCurveTension);
    }

  private:
    // The bitmap and graphics context of one drawing call.
    struct Session {
        explicit Session(GdiplusCanvas& c) {
            bitmap = WrapPixels(c.pixels_.get(), c.width_, c.height_);
            if (!bitmap) return;
            graphics = std::make_unique<Gdiplus::Graphics>(bitmap.get());
            if (graphics->GetLastStatus() != Gdiplus::Ok) {
                graphics.reset();
                return;
            }
            graphics->SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
            graphics->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
        }
        bool ok() const { return graphics != nullptr; }
        std::unique_ptr<Gdiplus::Bitmap> bitmap;
        std::unique_ptr<Gdiplus::Graphics> graphics;
    };

    // The typographic format: no padding of a sixth of an em around the
    // text, so that lines start, end and centre where the painter says;
    // its flags are cleared so that the layout rectangle clips.
    static void PrepareFormat(Gdiplus::StringFormat& format, TextAlign align) {
        format.SetFormatFlags(0);
        format.SetAlignment(ToAlignment(align));
    }

    // One line: no wrapping, an ellipsis where it is too long; the same
    // format measures and draws it.
    static void PrepareLineFormat(Gdiplus::StringFormat& format) {
        format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
        format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
        format.SetAlignment(Gdiplus::StringAlignmentNear);
    }

    // Line breaks would start a second line: they show as blanks.
    static std::wstring LineText(std::u16string_view text) {
        std::wstring wide(text.begin(), text.end());
        for (wchar_t& c : wide)
            if (c == L'\n' || c == L'\r') c = L' ';
        return wide;
    }

    // The rectangle a line is measured and drawn in: `w` wide (0: as wide
    // as it needs) and two lines high, room for the one line whatever the
    // rounding, so that trimming has a bound.
    static Gdiplus::RectF LineRect(float x, float y, float w, const Gdiplus::Font& font,
                                   const Session& s) {
        const float lineHeight = font.GetHeight(s.graphics.get());
        return Gdiplus::RectF(x, y, w > 0 ? w : 0, w > 0 ? 2 * lineHeight : 0);
    }

    // Pixels, not points: a point's size would follow the DPI GDI+ finds
    // (the bitmap's or the screen's), and text would be scaled twice on a
    // screen at 150 %.
    static float PixelSize(const OverlayFont& font) { return font.points * kDpi / kPointsPerInch; }

    // The family the overlay font names, falling back to the generic
    // sans-serif family when it or the font made from it is not available.
    static std::unique_ptr<Gdiplus::Font> MakeFont(const OverlayFont& font) {
        std::unique_ptr<Gdiplus::Font> f;
        if (font.family != "sans-serif") {
            std::wstring name(font.family.begin(), font.family.end());
            Gdiplus::FontFamily family(name.c_str());
            if (family.GetLastStatus() == Gdiplus::Ok)
                f = std::make_unique<Gdiplus::Font>(&family, PixelSize(font),
                                                    Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
        }
        if (!f || f->GetLastStatus() != Gdiplus::Ok) {
            const Gdiplus::FontFamily* fallback = Gdiplus::FontFamily::GenericSansSerif();
            if (!fallback || fallback->GetLastStatus() != Gdiplus::Ok) return nullptr;
            f = std::make_unique<Gdiplus::Font>(fallback, PixelSize(font),
                                                Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
        }
        if (f->GetLastStatus() != Gdiplus::Ok) return nullptr;
        return f;
    }

    int width_;
    int height_;
    std::unique_ptr<uint32_t[]> pixels_;
};
}  // namespace

std::unique_ptr<ImageCanvas> CreateImageCanvas(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::unique_ptr<uint32_t[]> pixels(new (std::nothrow) uint32_t[count]());
    if (!pixels) return nullptr;
    // GDI+ must be able to draw on it: started, and the size acceptable.
    if (!WrapPixels(pixels.get(), width, height)) return nullptr;
    return std::make_unique<GdiplusCanvas>(width, height, std::move(pixels));
}
