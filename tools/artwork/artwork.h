// The artwork generator's painting kit: colours, soft layers with shadows,
// and one painting function per picture element. The weather pictures, the
// warning sign and the program icon are all composed from these parts, so
// they share one look: soft gradients, gentle drop shadows, no outlines.
#pragma once

#include <cairo.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

namespace artwork {

// Sizes of the committed pictures.
inline constexpr int kWeatherWidth = 250;
inline constexpr int kWeatherHeight = 180;
inline constexpr int kSignWidth = 240;
inline constexpr int kSignHeight = 200;
inline constexpr int kIconSizes[] = {16, 24, 32, 48, 256};

struct Rgba {
    double r, g, b, a;
};
// 0xRRGGBB with an opacity.
Rgba Hex(unsigned rgb, double alpha = 1.0);
// `a` moved `t` of the way towards `b` (0 gives a, 1 gives b).
Rgba Mix(Rgba a, Rgba b, double t);
// The same colour, fully transparent: the end of a fade.
inline Rgba Transparent(Rgba c) {
    return {c.r, c.g, c.b, 0};
}

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
SurfacePtr NewSurface(int width, int height);
ContextPtr NewContext(cairo_surface_t* surface);

// A blurred copy of a layer's alpha, tinted and offset: a drop shadow when
// dark and offset, a glow when light and centred.
struct Halo {
    double dx, dy, blur;
    Rgba colour;
};
inline constexpr Halo kSoftShadow{2.0, 3.0, 3.0, {0.0, 0.05, 0.15, 0.4}};
// For thin, light elements (mist, wind), which a full shadow would muddy.
inline constexpr Halo kLightShadow{1.5, 2.5, 3.0, {0.0, 0.05, 0.15, 0.25}};

// Paints one element into a layer of its own, then lays its halos and the
// layer onto `dst`. A layer per element lets a cloud cast its shadow on
// the sun behind it.
void PaintLayer(cairo_t* dst, const std::function<void(cairo_t*)>& paint,
                const std::vector<Halo>& halos = {kSoftShadow});

// Paths (added as new sub-paths) and sources.
void CirclePath(cairo_t* cr, double cx, double cy, double radius);
void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double radius);
void SetSource(cairo_t* cr, Rgba colour);
struct Stop {
    double offset;
    Rgba colour;
};
void SetLinearGradient(cairo_t* cr, double x0, double y0, double x1, double y1,
                       std::initializer_list<Stop> stops);
void SetVerticalGradient(cairo_t* cr, double y0, Rgba top, double y1, Rgba bottom);
// Circles around (cx, cy), from `inner` to `outer` radius.
void SetRadialGradient(cairo_t* cr, double cx, double cy, double inner, double outer,
                       std::initializer_list<Stop> stops);

// Weather elements. Positions are in picture pixels.
enum class CloudTone { White, Grey, Dark };
// A cloud standing on `bottom`, `width` wide, about 0.64 x width high.
void PaintCloud(cairo_t* cr, double left, double bottom, double width, CloudTone tone,
                bool mirrored = false);
void PaintSun(cairo_t* cr, double cx, double cy, double radius);
enum class MoonPhase { Full, Crescent };
void PaintMoon(cairo_t* cr, double cx, double cy, double radius, MoonPhase phase);

// What falls from a cloud, laid out in a staggered pattern in a box.
enum class Fall { Rain, HeavyRain, LightSnow, HeavySnow, Sleet, Pellets, RainAndSnow };
struct Box {
    double x, y, w, h;
};
void PaintFall(cairo_t* cr, Box box, Fall fall);

void PaintBolt(cairo_t* cr, double x, double y, double height);
// One rounded band of mist; an opacity below 1 lets what is behind show.
void PaintHazeBand(cairo_t* cr, double cx, double y, double width, double thickness,
                   double opacity);
// Autumn leaves carried on gusts of wind across the box.
void PaintBlowingLeaves(cairo_t* cr, Box box);
void PaintIceCrust(cairo_t* cr, Box slab);
void PaintGlobe(cairo_t* cr, double cx, double cy, double radius);
void PaintNotAvailableBadge(cairo_t* cr, double cx, double cy, double radius);

// Whole pictures.
bool IsWeatherPictureId(int id);
void PaintWeatherPicture(cairo_t* cr, int id);
void PaintWarningSign(cairo_t* cr);
void PaintIcon(cairo_t* cr, int size);

}  // namespace artwork
