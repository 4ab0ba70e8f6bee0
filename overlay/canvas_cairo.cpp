// Canvas operations in cairo terms. Text sizes are points at 96 DPI, like
// the painters' reference platform. Curves are cardinal splines turned into
// Bezier segments: for tension t the segment from P[i] to P[i+1] has the
// control points P[i] + t/3 (P[i+1] - P[i-1]) and P[i+1] - t/3 (P[i+2] - P[i]),
// the end points standing in for their missing neighbours.
//
// Implemented / Missing (overlay/image_canvas.h on cairo + pangocairo):
//   [x] every Canvas operation, ImageCanvas pixels and ClearRect
#include "overlay/canvas_cairo.h"

#include <pango/pangocairo.h>

#include <string>

#include "base/text.h"

namespace {
constexpr double kPointsToPixels = 96.0 / 72.0;
constexpr double kCurveTension = 0.5;

void SetSource(cairo_t* cr, uint32_t argb) {
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                          (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
}

void AddColorStop(cairo_pattern_t* p, double offset, uint32_t argb) {
    cairo_pattern_add_color_stop_rgba(p, offset, ((argb >> 16) & 0xFF) / 255.0,
                                      ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0,
                                      ((argb >> 24) & 0xFF) / 255.0);
}

PangoAlignment ToPango(TextAlign a) {
    switch (a) {
        case TextAlign::Center:
            return PANGO_ALIGN_CENTER;
        case TextAlign::Far:
            return PANGO_ALIGN_RIGHT;
        default:
            return PANGO_ALIGN_LEFT;
    }
}
}  // namespace

CairoCanvas::CairoCanvas(cairo_surface_t* surface) : surface_(surface), cr_(cairo_create(surface)) {
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
}

CairoCanvas::~CairoCanvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

bool CairoCanvas::ok() const {
    return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS &&
           cairo_status(cr_) == CAIRO_STATUS_SUCCESS;
}

int CairoCanvas::Width() const {
    return cairo_image_surface_get_width(surface_);
}
int CairoCanvas::Height() const {
    return cairo_image_surface_get_height(surface_);
}

const uint32_t* CairoCanvas::Pixels() {
    cairo_surface_flush(surface_);
    return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface_));
}

void CairoCanvas::ClearRect(int x, int y, int w, int h, uint32_t argb) {
    cairo_save(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
    SetSource(cr_, argb);
    cairo_rectangle(cr_, x, y, w, h);
    cairo_fill(cr_);
    cairo_restore(cr_);
}

void CairoCanvas::FillRect(int x, int y, int w, int h, uint32_t argb) {
    SetSource(cr_, argb);
    cairo_rectangle(cr_, x, y, w, h);
    cairo_fill(cr_);
}

void CairoCanvas::FillVerticalGradient(int x, int y, int w, int h, uint32_t topArgb,
                                       uint32_t bottomArgb) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
    AddColorStop(p, 0, topArgb);
    AddColorStop(p, 1, bottomArgb);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
    cairo_set_source(cr_, p);
    cairo_rectangle(cr_, x, y, w, h);
    cairo_fill(cr_);
    cairo_pattern_destroy(p);
}

void CairoCanvas::DrawPicture(const Picture& picture, int x, int y, int w, int h) {
    if (picture.width <= 0 || picture.height <= 0 || w <= 0 || h <= 0) return;
    if (picture.pixels.size() < static_cast<size_t>(picture.width) * picture.height) return;
    // cairo only reads the source surface.
    auto* data = reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(picture.pixels.data()));
    // An opaque picture replaces what lies below: a copy, no blending.
    cairo_surface_t* src = cairo_image_surface_create_for_data(
        data, picture.opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, picture.width,
        picture.height, picture.width * 4);
    cairo_save(cr_);
    if (picture.opaque) cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(cr_, x, y, w, h);
    cairo_clip(cr_);
    cairo_translate(cr_, x, y);
    cairo_scale(cr_, static_cast<double>(w) / picture.width,
                static_cast<double>(h) / picture.height);
    cairo_set_source_surface(cr_, src, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
    cairo_paint(cr_);
    cairo_restore(cr_);
    cairo_surface_destroy(src);
}

namespace {
// The layout DrawText shows and MeasureText measures; the caller unrefs it.
PangoLayout* TextLayout(cairo_t* cr, std::u16string_view text, const OverlayFont& font, float w,
                        TextAlign align) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc,
                                      font.family.empty() ? "sans-serif" : font.family.c_str());
    pango_font_description_set_absolute_size(desc, font.points * kPointsToPixels * PANGO_SCALE);
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);
    std::string utf8 = Utf16ToUtf8(text);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    pango_layout_set_alignment(layout, ToPango(align));
    if (w > 0) {
        pango_layout_set_width(layout, static_cast<int>(w * PANGO_SCALE));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    }
    return layout;
}
}  // namespace

void CairoCanvas::DrawText(std::u16string_view text, const OverlayFont& font, float x, float y,
                           float w, float h, uint32_t argb, TextAlign align) {
    PangoLayout* layout = TextLayout(cr_, text, font, w, align);
    cairo_save(cr_);
    double left = x;
    if (w > 0) {
        if (h > 0) {
            cairo_rectangle(cr_, x, y, w, h);
            cairo_clip(cr_);
        }
    } else {
        // No width: the lines align on x itself.
        int layoutWidth = 0;
        pango_layout_get_pixel_size(layout, &layoutWidth, nullptr);
        if (align == TextAlign::Center) left = x - layoutWidth / 2.0;
        if (align == TextAlign::Far) left = x - layoutWidth;
    }
    SetSource(cr_, argb);
    cairo_move_to(cr_, left, y);
    pango_cairo_show_layout(cr_, layout);
    cairo_restore(cr_);
    g_object_unref(layout);
}

CanvasSize CairoCanvas::MeasureText(std::u16string_view text, const OverlayFont& font, float w) {
    PangoLayout* layout = TextLayout(cr_, text, font, w, TextAlign::Near);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    return {static_cast<float>(width), static_cast<float>(height)};
}

namespace {
// The one-line layout both MeasureTextLine and DrawTextLine use: a single
// paragraph, ended with an ellipsis past `w`; the caller unrefs it.
PangoLayout* LineLayout(cairo_t* cr, std::u16string_view text, const OverlayFont& font, float w) {
    PangoLayout* layout = TextLayout(cr, text, font, 0, TextAlign::Near);
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    if (w > 0) {
        pango_layout_set_width(layout, static_cast<int>(w * PANGO_SCALE));
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    }
    return layout;
}

// The pixels the line's logical extents cover, counted from the layout's origin.
CanvasSize LineSize(PangoLayout* layout) {
    PangoRectangle logical{};
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    if (logical.width <= 0 || logical.height <= 0) return {};
    return {static_cast<float>(logical.x + logical.width),
            static_cast<float>(logical.y + logical.height)};
}
}  // namespace

CanvasSize CairoCanvas::MeasureTextLine(std::u16string_view text, const OverlayFont& font,
                                        float w) {
    if (text.empty()) return {};
    PangoLayout* layout = LineLayout(cr_, text, font, w);
    const CanvasSize size = LineSize(layout);
    g_object_unref(layout);
    return size;
}

void CairoCanvas::DrawTextLine(std::u16string_view text, const OverlayFont& font, float x, float y,
                               float w, uint32_t argb) {
    if (text.empty()) return;
    PangoLayout* layout = LineLayout(cr_, text, font, w);
    SetSource(cr_, argb);
    cairo_move_to(cr_, x, y);
    pango_cairo_show_layout(cr_, layout);
    g_object_unref(layout);
}

void CairoCanvas::DrawCurve(const CanvasPoint* points, int count, float penWidth, uint32_t argb) {
    if (!points || count < 2) return;
    auto at = [&](int i) {
        const CanvasPoint& p = points[i < 0 ? 0 : (i >= count ? count - 1 : i)];
        return std::pair<double, double>(p.x, p.y);
    };
    const double t = kCurveTension / 3.0;
    cairo_move_to(cr_, points[0].x, points[0].y);
    for (int i = 0; i + 1 < count; ++i) {
        auto [px, py] = at(i - 1);
        auto [ax, ay] = at(i);
        auto [bx, by] = at(i + 1);
        auto [nx, ny] = at(i + 2);
        cairo_curve_to(cr_, ax + t * (bx - px), ay + t * (by - py), bx - t * (nx - ax),
                       by - t * (ny - ay), bx, by);
    }
    SetSource(cr_, argb);
    cairo_set_line_width(cr_, penWidth);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr_);
}

std::unique_ptr<ImageCanvas> CreateImageCanvas(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    auto canvas = std::make_unique<CairoCanvas>(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (!canvas->ok()) return nullptr;
    return canvas;
}
