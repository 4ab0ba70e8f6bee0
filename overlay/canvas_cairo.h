// The Linux canvas: a cairo image surface, text through pangocairo.
//
// Implemented: every Canvas operation and ImageCanvas. Missing: nothing.
#pragma once

#include <cairo.h>

#include "overlay/image_canvas.h"

class CairoCanvas : public ImageCanvas {
  public:
    // Takes ownership of `surface` (an ARGB32 image surface).
    explicit CairoCanvas(cairo_surface_t* surface);
    ~CairoCanvas() override;
    CairoCanvas(const CairoCanvas&) = delete;
    CairoCanvas& operator=(const CairoCanvas&) = delete;

    bool ok() const;

    int Width() const override;
    int Height() const override;
    const uint32_t* Pixels() override;
    void ClearRect(int x, int y, int w, int h, uint32_t argb) override;

    void FillRect(int x, int y, int w, int h, uint32_t argb) override;
    void FillVerticalGradient(int x, int y, int w, int h, uint32_t topArgb,
                              uint32_t bottomArgb) override;
    void DrawPicture(const Picture& picture, int x, int y, int w, int h) override;
    void DrawText(std::u16string_view text, const OverlayFont& font, float x, float y, float w,
                  float h, uint32_t argb, TextAlign align) override;
    CanvasSize MeasureText(std::u16string_view text, const OverlayFont& font, float w) override;
    CanvasSize MeasureTextLine(std::u16string_view text, const OverlayFont& font, float w) override;
    void DrawTextLine(std::u16string_view text, const OverlayFont& font, float x, float y, float w,
                      uint32_t argb) override;
    void DrawCurve(const CanvasPoint* points, int count, float penWidth, uint32_t argb) override;

  private:
    cairo_surface_t* surface_;
    cairo_t* cr_;
};
