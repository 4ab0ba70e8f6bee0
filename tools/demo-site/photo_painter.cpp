// How a photo is painted: a small random generator seeded from the tail's
// hash picks a sky palette, the sun, clouds, hills and an aircraft; the scene
// is laid out in fractions of the picture so the thumbnail shows the same
// scene as the full photo. Cairo paints into a 32-bit surface, TurboJPEG
// encodes it.
#include "photo_painter.h"

#include <cairo.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "demo_random.h"

namespace {

struct Rgb {
    double r, g, b;
};

struct SkyPalette {
    Rgb top, middle, horizon, hillFar, hillNear;
    bool cloudy;  // overcast skies hide the sun
};

constexpr SkyPalette kPalettes[] = {
    // clear noon
    {{0.09, 0.27, 0.55},
     {0.30, 0.55, 0.85},
     {0.72, 0.84, 0.94},
     {0.45, 0.55, 0.66},
     {0.16, 0.24, 0.20},
     false},
    // golden hour
    {{0.16, 0.22, 0.45},
     {0.55, 0.52, 0.62},
     {0.96, 0.68, 0.38},
     {0.42, 0.33, 0.36},
     {0.14, 0.10, 0.12},
     false},
    // sunset
    {{0.20, 0.10, 0.33},
     {0.85, 0.38, 0.30},
     {0.99, 0.80, 0.48},
     {0.38, 0.20, 0.28},
     {0.10, 0.06, 0.10},
     false},
    // overcast
    {{0.38, 0.44, 0.52},
     {0.60, 0.65, 0.70},
     {0.80, 0.82, 0.84},
     {0.52, 0.56, 0.60},
     {0.24, 0.27, 0.28},
     true},
    // dawn
    {{0.22, 0.29, 0.48},
     {0.62, 0.58, 0.72},
     {0.97, 0.74, 0.66},
     {0.46, 0.42, 0.52},
     {0.17, 0.15, 0.22},
     false},
};

constexpr PhotoSize kSizes[] = {{1024, 683}, {1600, 1067}, {4000, 3000}, {1067, 1600}};

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void AddStop(cairo_pattern_t* p, double offset, Rgb c, double alpha = 1.0) {
    cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, alpha);
}

// Fills the current path with a pattern and releases the pattern.
void FillWith(cairo_t* cr, cairo_pattern_t* p) {
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void PaintSky(cairo_t* cr, const SkyPalette& pal, double w, double h, double horizonY) {
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, horizonY);
    AddStop(sky, 0.0, pal.top);
    AddStop(sky, 0.6, pal.middle);
    AddStop(sky, 1.0, pal.horizon);
    cairo_rectangle(cr, 0, 0, w, h);
    FillWith(cr, sky);
}

void PaintSun(cairo_t* cr, double x, double y, double radius, Rgb horizon) {
    cairo_pattern_t* glow = cairo_pattern_create_radial(x, y, radius * 0.2, x, y, radius * 6);
    AddStop(glow, 0.0, {1.0, 0.97, 0.85}, 0.55);
    AddStop(glow, 1.0, horizon, 0.0);
    cairo_arc(cr, x, y, radius * 6, 0, 2 * M_PI);
    FillWith(cr, glow);
    cairo_pattern_t* disc = cairo_pattern_create_radial(x, y, 0, x, y, radius);
    AddStop(disc, 0.0, {1.0, 1.0, 0.95});
    AddStop(disc, 0.85, {1.0, 0.95, 0.78});
    AddStop(disc, 1.0, {1.0, 0.92, 0.70}, 0.0);
    cairo_arc(cr, x, y, radius, 0, 2 * M_PI);
    FillWith(cr, disc);
}

// A cloud is a cluster of soft puffs, lit from above.
void PaintCloud(cairo_t* cr, DemoRandom& rnd, double x, double y, double size, Rgb tint,
                double alpha) {
    int puffs = 10 + rnd.Below(10);
    for (int i = 0; i < puffs; ++i) {
        double px = x + rnd.Range(-1.6, 1.6) * size;
        double py = y + rnd.Range(-0.35, 0.25) * size;
        double pr = size * rnd.Range(0.35, 0.75);
        cairo_save(cr);
        cairo_translate(cr, px, py);
        cairo_scale(cr, 1.7, 0.8);
        cairo_pattern_t* puff = cairo_pattern_create_radial(0, -pr * 0.3, 0, 0, 0, pr);
        AddStop(puff, 0.0, Mix(tint, {1, 1, 1}, 0.8), alpha);
        AddStop(puff, 0.5, Mix(tint, {1, 1, 1}, 0.4), alpha * 0.7);
        AddStop(puff, 1.0, tint, 0.0);
        cairo_arc(cr, 0, 0, pr, 0, 2 * M_PI);
        FillWith(cr, puff);  // inside the squashed space, so the glow is squashed too
        cairo_restore(cr);
    }
}

// A ridge of hills from left to right, filled down to the bottom edge.
void PaintHills(cairo_t* cr, DemoRandom& rnd, double w, double h, double baseY, double amplitude,
                Rgb top, Rgb bottom) {
    const int kPoints = 12;
    double phase = rnd.Range(0, 2 * M_PI);
    double waves = rnd.Range(1.5, 3.5);
    double xs[kPoints + 1], ys[kPoints + 1];
    for (int i = 0; i <= kPoints; ++i) {
        double t = double(i) / kPoints;
        xs[i] = t * w;
        ys[i] = baseY - amplitude * (0.5 + 0.5 * std::sin(phase + t * waves * 2 * M_PI)) -
                amplitude * 0.3 * rnd.Unit();
    }
    // Smooth ridge: curves through the midpoints, the points as controls.
    cairo_move_to(cr, 0, h);
    cairo_line_to(cr, xs[0], ys[0]);
    for (int i = 1; i < kPoints; ++i) {
        double mx = (xs[i] + xs[i + 1]) / 2, my = (ys[i] + ys[i + 1]) / 2;
        cairo_curve_to(cr, xs[i], ys[i], xs[i], ys[i], mx, my);
    }
    cairo_line_to(cr, xs[kPoints], ys[kPoints]);
    cairo_line_to(cr, w, h);
    cairo_close_path(cr);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, baseY - amplitude, 0, h);
    AddStop(fill, 0.0, top);
    AddStop(fill, 1.0, bottom);
    FillWith(cr, fill);
}

// Side view of an airliner, nose towards +x, length 1, centred on the origin.
void AircraftPath(cairo_t* cr) {
    cairo_translate(cr, -0.5, 0);
    // fuselage
    cairo_move_to(cr, 0.05, -0.035);
    cairo_line_to(cr, 0.84, -0.05);
    cairo_curve_to(cr, 0.94, -0.05, 1.0, -0.025, 1.0, 0.005);
    cairo_curve_to(cr, 0.99, 0.035, 0.94, 0.05, 0.86, 0.05);
    cairo_line_to(cr, 0.22, 0.05);
    cairo_line_to(cr, 0.02, -0.005);
    cairo_close_path(cr);
    // fin
    cairo_move_to(cr, 0.03, -0.02);
    cairo_line_to(cr, -0.01, -0.22);
    cairo_line_to(cr, 0.07, -0.22);
    cairo_line_to(cr, 0.21, -0.04);
    cairo_close_path(cr);
    // tailplane
    cairo_move_to(cr, 0.0, -0.012);
    cairo_line_to(cr, 0.12, -0.03);
    cairo_line_to(cr, 0.16, -0.005);
    cairo_line_to(cr, 0.03, 0.005);
    cairo_close_path(cr);
    // wing, swept back and seen a little from below
    cairo_move_to(cr, 0.60, 0.03);
    cairo_line_to(cr, 0.36, 0.19);
    cairo_line_to(cr, 0.30, 0.19);
    cairo_line_to(cr, 0.42, 0.03);
    cairo_close_path(cr);
    // engine
    cairo_save(cr);
    cairo_translate(cr, 0.53, 0.095);
    cairo_scale(cr, 0.075, 0.028);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

void PaintAircraft(cairo_t* cr, DemoRandom& rnd, double w, double h, const SkyPalette& pal) {
    double length = std::min(w, h * 1.4) * rnd.Range(0.28, 0.5);
    double cx = w * rnd.Range(0.35, 0.65);
    double cy = h * rnd.Range(0.28, 0.5);
    double climb = rnd.Range(4, 16) * M_PI / 180;
    bool towardsLeft = rnd.Below(2) == 0;
    double dir = towardsLeft ? -1 : 1;

    // A fading contrail behind the aircraft.
    double tailX = cx - dir * std::cos(climb) * length * 0.5;
    double tailY = cy + std::sin(climb) * length * 0.5;
    double endX = tailX - dir * std::cos(climb) * w;
    double endY = tailY + std::sin(climb) * w;
    cairo_pattern_t* trail = cairo_pattern_create_linear(tailX, tailY, endX, endY);
    AddStop(trail, 0.0, {1, 1, 1}, pal.cloudy ? 0.0 : 0.35);
    AddStop(trail, 1.0, {1, 1, 1}, 0.0);
    cairo_set_source(cr, trail);
    cairo_set_line_width(cr, length * 0.02);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, tailX, tailY);
    cairo_line_to(cr, endX, endY);
    cairo_stroke(cr);
    cairo_pattern_destroy(trail);

    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, dir * length, length);
    cairo_rotate(cr, -climb);
    AircraftPath(cr);
    cairo_restore(cr);
    Rgb body = Mix(pal.hillNear, {0.02, 0.02, 0.04}, 0.6);
    cairo_set_source_rgba(cr, body.r, body.g, body.b, 0.93);
    cairo_fill(cr);
}

// Darkens the corners a little, as a lens does.
void PaintVignette(cairo_t* cr, double w, double h) {
    double r = std::hypot(w, h) / 2;
    cairo_pattern_t* v = cairo_pattern_create_radial(w / 2, h / 2, r * 0.55, w / 2, h / 2, r);
    cairo_pattern_add_color_stop_rgba(v, 0.0, 0, 0, 0, 0.0);
    cairo_pattern_add_color_stop_rgba(v, 1.0, 0, 0, 0, 0.35);
    cairo_rectangle(cr, 0, 0, w, h);
    FillWith(cr, v);
}

void PaintScene(cairo_t* cr, uint64_t seed, double w, double h) {
    DemoRandom rnd{seed};
    const SkyPalette& pal = kPalettes[rnd.Below(int(std::size(kPalettes)))];
    double scale = std::sqrt(w * h);
    double horizonY = h * rnd.Range(0.70, 0.84);

    PaintSky(cr, pal, w, h, horizonY);
    if (!pal.cloudy)
        PaintSun(cr, w * rnd.Range(0.15, 0.85), horizonY * rnd.Range(0.3, 0.85),
                 scale * rnd.Range(0.025, 0.045), pal.horizon);
    int clouds = pal.cloudy ? 10 + rnd.Below(6) : rnd.Below(6);
    for (int i = 0; i < clouds; ++i) {
        double y = horizonY * rnd.Range(0.1, 0.9);
        Rgb tint = Mix(pal.middle, pal.horizon, y / horizonY);
        PaintCloud(cr, rnd, w * rnd.Range(-0.1, 1.1), y, scale * rnd.Range(0.05, 0.12), tint,
                   pal.cloudy ? 0.7 : 0.55);
    }
    PaintAircraft(cr, rnd, w, h, pal);
    PaintHills(cr, rnd, w, h, horizonY + h * 0.02, h * 0.08, Mix(pal.hillFar, pal.horizon, 0.3),
               pal.hillFar);
    PaintHills(cr, rnd, w, h, horizonY + h * 0.09, h * 0.06, pal.hillNear,
               Mix(pal.hillNear, {0, 0, 0}, 0.5));
    PaintVignette(cr, w, h);
}

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct JpegDeleter {
    void operator()(void* h) const { tjDestroy(h); }
};

std::string EncodeJpeg(cairo_surface_t* surface) {
    std::unique_ptr<void, JpegDeleter> tj(tjInitCompress());
    if (!tj) return {};
    cairo_surface_flush(surface);
    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    // Cairo's ARGB32 is B, G, R, A in memory on little-endian machines.
    int rc = tjCompress2(
        tj.get(), cairo_image_surface_get_data(surface), cairo_image_surface_get_width(surface),
        cairo_image_surface_get_stride(surface), cairo_image_surface_get_height(surface), TJPF_BGRX,
        &jpeg, &jpegSize, TJSAMP_420, 88, 0);
    std::string bytes;
    if (rc == 0) bytes.assign(reinterpret_cast<const char*>(jpeg), jpegSize);
    tjFree(jpeg);
    return bytes;
}

}  // namespace

uint64_t HashText(std::string_view text) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001B3ull;
    }
    return h;
}

PhotoSize PhotoSizeForTail(std::string_view tail) {
    return kSizes[(HashText(tail) >> 7) % std::size(kSizes)];
}

std::string PaintPhotoJpeg(std::string_view tail, bool small) {
    PhotoSize size = PhotoSizeForTail(tail);
    if (small) {
        int longest = std::max(size.width, size.height);
        size = {std::max(1, size.width * kThumbnailSide / longest),
                std::max(1, size.height * kThumbnailSide / longest)};
    }
    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.width, size.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return {};
    std::unique_ptr<cairo_t, ContextDeleter> cr(cairo_create(surface.get()));
    PaintScene(cr.get(), HashText(tail), size.width, size.height);
    return EncodeJpeg(surface.get());
}
