// Layers, halos and path helpers shared by every element.
//
// cairo has no blur, so a halo is made by hand: the layer's alpha is copied
// out, box-blurred three times (close to a Gaussian) and used as a mask for
// the halo colour. Pictures are small, so this costs nothing worth noting.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "artwork.h"

namespace artwork {

Rgba Hex(unsigned rgb, double alpha) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

Rgba Mix(Rgba a, Rgba b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

SurfacePtr NewSurface(int width, int height) {
    return SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height),
                      &cairo_surface_destroy);
}

ContextPtr NewContext(cairo_surface_t* surface) {
    return ContextPtr(cairo_create(surface), &cairo_destroy);
}

namespace {

// One box-blur pass along rows (step 1) or columns (step = width) of a
// width x height grid; values beyond the edge count as zero.
void BoxBlurPass(std::vector<float>& v, int width, int height, int radius, bool alongRows) {
    std::vector<float> out(v.size());
    const int lines = alongRows ? height : width;
    const int length = alongRows ? width : height;
    const int step = alongRows ? 1 : width;
    const float norm = 1.0f / float(2 * radius + 1);
    for (int line = 0; line < lines; ++line) {
        const int base = alongRows ? line * width : line;
        float sum = 0;
        for (int i = 0; i <= radius && i < length; ++i) sum += v[base + i * step];
        for (int i = 0; i < length; ++i) {
            out[base + i * step] = sum * norm;
            const int add = i + radius + 1;
            const int drop = i - radius;
            if (add < length) sum += v[base + add * step];
            if (drop >= 0) sum -= v[base + drop * step];
        }
    }
    v.swap(out);
}

// The layer's alpha, blurred, as an A8 surface.
SurfacePtr BlurredAlpha(cairo_surface_t* layer, double blur) {
    cairo_surface_flush(layer);
    const int width = cairo_image_surface_get_width(layer);
    const int height = cairo_image_surface_get_height(layer);
    const int stride = cairo_image_surface_get_stride(layer);
    const unsigned char* src = cairo_image_surface_get_data(layer);
    std::vector<float> alpha(size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(src + size_t(y) * stride);
        for (int x = 0; x < width; ++x) alpha[size_t(y) * width + x] = float(row[x] >> 24);
    }
    // Three box passes of this radius spread about as far as a Gaussian of
    // standard deviation `blur`.
    const int radius = std::max(0, int(std::lround(blur)));
    for (int pass = 0; pass < 3 && radius > 0; ++pass) {
        BoxBlurPass(alpha, width, height, radius, true);
        BoxBlurPass(alpha, width, height, radius, false);
    }
    SurfacePtr mask(cairo_image_surface_create(CAIRO_FORMAT_A8, width, height),
                    &cairo_surface_destroy);
    cairo_surface_flush(mask.get());
    unsigned char* dst = cairo_image_surface_get_data(mask.get());
    const int maskStride = cairo_image_surface_get_stride(mask.get());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float a = alpha[size_t(y) * width + x];
            dst[size_t(y) * maskStride + x] = (unsigned char)std::lround(std::clamp(a, 0.f, 255.f));
        }
    }
    cairo_surface_mark_dirty(mask.get());
    return mask;
}

}  // namespace

void PaintLayer(cairo_t* dst, const std::function<void(cairo_t*)>& paint,
                const std::vector<Halo>& halos) {
    cairo_surface_t* target = cairo_get_target(dst);
    const int width = cairo_image_surface_get_width(target);
    const int height = cairo_image_surface_get_height(target);
    SurfacePtr layer = NewSurface(width, height);
    {
        ContextPtr cr = NewContext(layer.get());
        cairo_matrix_t m;
        cairo_get_matrix(dst, &m);
        cairo_set_matrix(cr.get(), &m);
        paint(cr.get());
    }
    for (const Halo& h : halos) {
        double dx = h.dx, dy = h.dy, blur = h.blur, unused = 0;
        cairo_user_to_device_distance(dst, &dx, &dy);
        cairo_user_to_device_distance(dst, &blur, &unused);
        SurfacePtr mask = BlurredAlpha(layer.get(), std::fabs(blur));
        cairo_save(dst);
        cairo_identity_matrix(dst);
        SetSource(dst, h.colour);
        cairo_mask_surface(dst, mask.get(), dx, dy);
        cairo_restore(dst);
    }
    cairo_save(dst);
    cairo_identity_matrix(dst);
    cairo_set_source_surface(dst, layer.get(), 0, 0);
    cairo_paint(dst);
    cairo_restore(dst);
}

void CirclePath(cairo_t* cr, double cx, double cy, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
}

void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double radius) {
    const double r = std::min(radius, std::min(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void SetSource(cairo_t* cr, Rgba colour) {
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a);
}

namespace {

// Hands the pattern with its stops to `cr`, which keeps it alive.
void UsePattern(cairo_t* cr, cairo_pattern_t* pattern, std::initializer_list<Stop> stops) {
    for (const Stop& s : stops) {
        cairo_pattern_add_color_stop_rgba(pattern, s.offset, s.colour.r, s.colour.g, s.colour.b,
                                          s.colour.a);
    }
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
}

}  // namespace

void SetLinearGradient(cairo_t* cr, double x0, double y0, double x1, double y1,
                       std::initializer_list<Stop> stops) {
    UsePattern(cr, cairo_pattern_create_linear(x0, y0, x1, y1), stops);
}

void SetVerticalGradient(cairo_t* cr, double y0, Rgba top, double y1, Rgba bottom) {
    SetLinearGradient(cr, 0, y0, 0, y1, {{0, top}, {1, bottom}});
}

void SetRadialGradient(cairo_t* cr, double cx, double cy, double inner, double outer,
                       std::initializer_list<Stop> stops) {
    UsePattern(cr, cairo_pattern_create_radial(cx, cy, inner, cx, cy, outer), stops);
}

}  // namespace artwork
