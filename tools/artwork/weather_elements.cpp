// One painting function per weather element. Each paints into a layer of
// its own (PaintLayer), so every element gets the same soft shadow and, where
// it shines, a glow. Shapes are drawn in the element's own unit coordinates
// and placed with a translate and scale, so one shape serves every size.
#include <algorithm>
#include <cmath>

#include "artwork.h"

namespace artwork {

namespace {

struct CloudColours {
    Rgba top, bottom, highlight;
};
CloudColours ColoursOf(CloudTone tone) {
    switch (tone) {
        case CloudTone::White:
            return {Hex(0xFFFFFF), Hex(0xC3D1E3), Hex(0xFFFFFF, 0.9)};
        case CloudTone::Grey:
            return {Hex(0xD5DBE3), Hex(0x8893A3), Hex(0xF2F5F8, 0.6)};
        case CloudTone::Dark:
            return {Hex(0x8A94A6), Hex(0x3E4757), Hex(0xB9C2D0, 0.5)};
    }
    return {};
}

// Raw shapes, painted into the caller's layer.

void RainDropShape(cairo_t* cr, double x, double y, double length) {
    // (x, y) is the centre of the drop's round end; the tip trails up-wind.
    const double r = length * 0.27;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, 0.28);
    cairo_new_path(cr);
    cairo_move_to(cr, 0, -length + r);
    cairo_curve_to(cr, r * 0.2, -length * 0.5, r, -r * 0.8, r, 0);
    cairo_arc(cr, 0, 0, r, 0, M_PI);
    cairo_curve_to(cr, -r, -r * 0.8, -r * 0.2, -length * 0.5, 0, -length + r);
    cairo_close_path(cr);
    SetVerticalGradient(cr, -length + r, Hex(0xB5E2FF), r, Hex(0x2C7FDB));
    cairo_fill(cr);
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, -r * 0.38, -r * 0.15);
    cairo_scale(cr, r * 0.22, r * 0.42);
    CirclePath(cr, 0, 0, 1);
    cairo_restore(cr);
    SetSource(cr, Hex(0xFFFFFF, 0.65));
    cairo_fill(cr);
    cairo_restore(cr);
}

void SnowFlakeShape(cairo_t* cr, double x, double y, double radius, double turn) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, turn);
    cairo_new_path(cr);
    for (int arm = 0; arm < 6; ++arm) {
        cairo_save(cr);
        cairo_rotate(cr, arm * M_PI / 3);
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, 0, -radius);
        const double forkY = -radius * 0.55, forkLength = radius * 0.32;
        cairo_move_to(cr, -forkLength * 0.75, forkY - forkLength * 0.7);
        cairo_line_to(cr, 0, forkY);
        cairo_line_to(cr, forkLength * 0.75, forkY - forkLength * 0.7);
        cairo_restore(cr);
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    const double width = std::max(1.6, radius * 0.17);
    cairo_set_line_width(cr, width * 1.7);
    SetSource(cr, Hex(0xB8DAF5));
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, width);
    SetSource(cr, Hex(0xFFFFFF));
    cairo_stroke(cr);
    cairo_restore(cr);
}

void IcePelletShape(cairo_t* cr, double x, double y, double radius) {
    cairo_new_path(cr);
    CirclePath(cr, x, y, radius);
    SetRadialGradient(cr, x - radius * 0.35, y - radius * 0.4, 0, radius * 1.45,
                      {{0.0, Hex(0xFFFFFF)}, {0.45, Hex(0xDDF0FC)}, {1.0, Hex(0x7FB3DC)}});
    cairo_fill(cr);
}

// Points of a zigzag pattern filling a box: alternately high and low.
struct Spot {
    double x, y;
};
Spot SpotInBox(Box box, int index, int count) {
    const double x = box.x + box.w * (index + 0.5) / count;
    const double y = box.y + box.h * ((index % 2) ? 0.72 : 0.28);
    return {x, y};
}

}  // namespace

void PaintCloud(cairo_t* cr, double left, double bottom, double width, CloudTone tone,
                bool mirrored) {
    const CloudColours colours = ColoursOf(tone);
    PaintLayer(cr, [&](cairo_t* c) {
        cairo_translate(c, left, bottom);
        cairo_scale(c, width, width);
        if (mirrored) {
            cairo_translate(c, 1, 0);
            cairo_scale(c, -1, 1);
        }
        // A flat-bottomed base and three puffs; all subpaths wind the same way,
        // so filling them fills their union.
        cairo_new_path(c);
        RoundedRectPath(c, 0, -0.30, 1.0, 0.30, 0.15);
        CirclePath(c, 0.29, -0.31, 0.19);
        CirclePath(c, 0.59, -0.39, 0.25);
        CirclePath(c, 0.84, -0.25, 0.15);
        SetLinearGradient(c, 0, -0.64, 0, 0,
                          {{0.0, colours.top}, {0.45, colours.top}, {1.0, colours.bottom}});
        cairo_fill_preserve(c);
        // A soft light on the upper left of the big puff gives it volume.
        cairo_clip(c);
        SetRadialGradient(c, 0.48, -0.52, 0, 0.34,
                          {{0.0, colours.highlight}, {1.0, Transparent(colours.highlight)}});
        cairo_paint(c);
    });
}

// A soft light around a sun or moon, from its rim out to `reach` radii. It
// is a gradient rather than a blurred halo, so it ends where it is told to.
void PaintGlow(cairo_t* cr, double cx, double cy, double radius, double reach, Rgba colour) {
    PaintLayer(cr,
               [&](cairo_t* c) {
                   CirclePath(c, cx, cy, radius * reach);
                   SetRadialGradient(c, cx, cy, radius * 0.9, radius * reach,
                                     {{0, colour},
                                      {0.4, {colour.r, colour.g, colour.b, colour.a * 0.35}},
                                      {1, Transparent(colour)}});
                   cairo_fill(c);
               },
               {});
}

void PaintSun(cairo_t* cr, double cx, double cy, double radius) {
    PaintGlow(cr, cx, cy, radius, 1.55, Hex(0xFFD54F, 0.75));
    PaintLayer(cr, [&](cairo_t* c) {
        cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_width(c, radius * 0.17);
        SetRadialGradient(c, cx, cy, 0, radius * 1.62,
                          {{0.7, Hex(0xFFC933)}, {1.0, Hex(0xFF9E1B)}});
        for (int ray = 0; ray < 12; ++ray) {
            const double angle = ray * M_PI / 6 + M_PI / 12;
            // Rays end 1.6 radii out, less the round cap.
            const double outer = (ray % 2) ? 1.4 : 1.52;
            cairo_move_to(c, cx + std::cos(angle) * radius * 1.24,
                          cy + std::sin(angle) * radius * 1.24);
            cairo_line_to(c, cx + std::cos(angle) * radius * outer,
                          cy + std::sin(angle) * radius * outer);
        }
        cairo_stroke(c);
        CirclePath(c, cx, cy, radius);
        SetRadialGradient(c, cx - radius * 0.3, cy - radius * 0.3, 0, radius * 1.35,
                          {{0.0, Hex(0xFFF8C8)}, {0.5, Hex(0xFFD43D)}, {1.0, Hex(0xFFA21F)}});
        cairo_fill(c);
    });
}

void PaintMoon(cairo_t* cr, double centreX, double cy, double radius, MoonPhase phase) {
    // A crescent keeps only the left of the disc; move it right to keep it
    // centred where a full moon would be.
    const double cx = centreX + (phase == MoonPhase::Crescent ? radius * 0.15 : 0);
    if (phase == MoonPhase::Full) PaintGlow(cr, cx, cy, radius, 1.22, Hex(0xFFF6D8, 0.5));
    PaintLayer(cr, [&](cairo_t* c) {
        CirclePath(c, cx, cy, radius);
        SetRadialGradient(c, cx - radius * 0.35, cy - radius * 0.35, 0, radius * 1.6,
                          {{0.0, Hex(0xFFFDF2)}, {0.55, Hex(0xEEE8D2)}, {1.0, Hex(0xBDB59A)}});
        cairo_fill_preserve(c);
        cairo_clip(c);
        // Seas and craters: soft darker patches fading out at their rims.
        struct Patch {
            double x, y, r, alpha;
        };
        const Patch patches[] = {{-0.30, -0.22, 0.30, 0.16},
                                 {0.25, 0.10, 0.36, 0.13},
                                 {-0.15, 0.42, 0.16, 0.20},
                                 {0.38, -0.40, 0.12, 0.22},
                                 {-0.52, 0.20, 0.11, 0.22}};
        for (const Patch& patch : patches) {
            const double px = cx + patch.x * radius, py = cy + patch.y * radius;
            const double pr = patch.r * radius;
            cairo_new_path(c);
            CirclePath(c, px, py, pr);
            SetRadialGradient(c, px, py, 0, pr,
                              {{0.0, Hex(0x8F8770, patch.alpha)},
                               {0.8, Hex(0x8F8770, patch.alpha * 0.8)},
                               {1.0, Hex(0x8F8770, 0)}});
            cairo_fill(c);
        }
        if (phase == MoonPhase::Crescent) {
            cairo_reset_clip(c);
            cairo_set_operator(c, CAIRO_OPERATOR_DEST_OUT);
            SetSource(c, Hex(0x000000));
            CirclePath(c, cx + radius * 0.48, cy - radius * 0.3, radius * 0.88);
            cairo_fill(c);
        }
    });
}

void PaintFall(cairo_t* cr, Box box, Fall fall) {
    // How many items fall; they alternate between a high and a low row.
    int count = 4;
    if (fall == Fall::LightSnow) count = 3;
    if (fall == Fall::HeavyRain || fall == Fall::HeavySnow || fall == Fall::Pellets) count = 6;
    PaintLayer(cr, [&](cairo_t* c) {
        for (int i = 0; i < count; ++i) {
            const Spot s = SpotInBox(box, i, count);
            const bool even = (i % 2) == 0;
            const bool drop = fall == Fall::Rain || fall == Fall::HeavyRain ||
                              ((fall == Fall::Sleet || fall == Fall::RainAndSnow) && even);
            if (drop) {
                const double length = fall == Fall::HeavyRain ? 34 : 29;
                RainDropShape(c, s.x, s.y + length * 0.3, length);
            } else if (fall == Fall::Pellets || fall == Fall::Sleet) {
                IcePelletShape(c, s.x, s.y, even ? 8 : 7);
            } else {
                const double radius = fall == Fall::HeavySnow ? (even ? 12.5 : 14) : 15;
                SnowFlakeShape(c, s.x, s.y, radius, i * 0.27);
            }
        }
    });
}

void PaintBolt(cairo_t* cr, double x, double y, double height) {
    const Halo glow{0, 0, height * 0.06, Hex(0xFFE066, 0.75)};
    PaintLayer(
        cr,
        [&](cairo_t* c) {
            cairo_translate(c, x, y);
            cairo_scale(c, height, height);
            const double points[][2] = {{0.30, 0.00}, {0.64, 0.00}, {0.45, 0.37}, {0.68, 0.37},
                                        {0.16, 1.00}, {0.30, 0.53}, {0.07, 0.53}};
            cairo_new_path(c);
            for (const auto& p : points) cairo_line_to(c, p[0], p[1]);
            cairo_close_path(c);
            SetLinearGradient(c, 0, 0, 0, 1,
                              {{0.0, Hex(0xFFF7A8)}, {0.5, Hex(0xFFC929)}, {1.0, Hex(0xFF9400)}});
            // Stroking with the fill rounds the corners a little.
            cairo_set_line_join(c, CAIRO_LINE_JOIN_ROUND);
            cairo_set_line_width(c, 0.035);
            cairo_fill_preserve(c);
            cairo_stroke(c);
        },
        {glow, kSoftShadow});
}

void PaintHazeBand(cairo_t* cr, double cx, double y, double width, double thickness,
                   double opacity) {
    PaintLayer(cr,
               [&](cairo_t* c) {
                   RoundedRectPath(c, cx - width / 2, y - thickness / 2, width, thickness,
                                   thickness / 2);
                   SetVerticalGradient(c, y - thickness / 2, Hex(0xFFFFFF, opacity),
                                       y + thickness / 2, Hex(0xD3DEEA, opacity));
                   cairo_fill(c);
               },
               {kLightShadow});
}

namespace {

void LeafLayer(cairo_t* cr, double x, double y, double length, double angle, Rgba colour) {
    PaintLayer(cr, [&](cairo_t* c) {
        cairo_translate(c, x, y);
        cairo_rotate(c, angle);
        const double half = length / 2, bulge = length * 0.36;
        cairo_new_path(c);
        cairo_move_to(c, -half, 0);
        cairo_curve_to(c, -half * 0.4, -bulge, half * 0.5, -bulge, half, 0);
        cairo_curve_to(c, half * 0.5, bulge, -half * 0.4, bulge, -half, 0);
        cairo_close_path(c);
        SetVerticalGradient(c, -bulge, Mix(colour, Hex(0xFFFFFF), 0.25), bulge,
                            Mix(colour, Hex(0x000000), 0.25));
        cairo_fill(c);
        // Midrib and stem.
        cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_width(c, std::max(1.2, length * 0.045));
        SetSource(c, Mix(colour, Hex(0x000000, 0.8), 0.45));
        cairo_move_to(c, -half * 1.25, 0);
        cairo_line_to(c, half * 0.8, 0);
        cairo_stroke(c);
    });
}

void WindStrokeLayer(cairo_t* cr, double x0, double y0, double x1, double y1, double lift) {
    PaintLayer(cr,
               [&](cairo_t* c) {
                   cairo_new_path(c);
                   cairo_move_to(c, x0, y0);
                   cairo_curve_to(c, x0 + (x1 - x0) * 0.35, y0 - lift, x0 + (x1 - x0) * 0.7,
                                  y1 + lift * 0.4, x1, y1);
                   SetLinearGradient(c, x0, 0, x1, 0,
                                     {{0.0, Hex(0xFFFFFF, 0.0)},
                                      {0.35, Hex(0xFFFFFF, 0.9)},
                                      {1.0, Hex(0xFFFFFF, 0.95)}});
                   cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
                   cairo_set_line_width(c, 6);
                   cairo_stroke(c);
               },
               {kLightShadow});
}

}  // namespace

void PaintBlowingLeaves(cairo_t* cr, Box box) {
    auto at = [&](double fx, double fy) { return Spot{box.x + box.w * fx, box.y + box.h * fy}; };
    const Spot gusts[][2] = {{at(0.0, 0.30), at(0.78, 0.18)},
                             {at(0.12, 0.62), at(1.0, 0.52)},
                             {at(0.04, 0.92), at(0.62, 0.86)}};
    for (const auto& g : gusts) {
        WindStrokeLayer(cr, g[0].x, g[0].y, g[1].x, g[1].y, box.h * 0.12);
    }
    struct Leaf {
        double fx, fy, length, angle;
        unsigned colour;
    };
    const Leaf leaves[] = {{0.84, 0.20, 50, -0.5, 0xE8731F},
                           {0.50, 0.40, 44, 0.6, 0xD9472B},
                           {0.82, 0.72, 48, -1.1, 0xF0B22E},
                           {0.34, 0.80, 38, 0.3, 0x9DAA36},
                           {0.20, 0.22, 36, 1.2, 0xE8952A}};
    for (const Leaf& leaf : leaves) {
        const Spot s = at(leaf.fx, leaf.fy);
        LeafLayer(cr, s.x, s.y, leaf.length, leaf.angle, Hex(leaf.colour));
    }
}

void PaintIceCrust(cairo_t* cr, Box slab) {
    PaintLayer(cr, [&](cairo_t* c) {
        // Icicles first, so the slab covers their roots.
        struct Icicle {
            double at, length, width;
        };
        const Icicle icicles[] = {{0.10, 0.55, 0.075}, {0.22, 1.00, 0.09},  {0.34, 0.45, 0.07},
                                  {0.46, 0.80, 0.085}, {0.58, 0.38, 0.065}, {0.70, 0.92, 0.09},
                                  {0.82, 0.55, 0.075}, {0.92, 0.30, 0.06}};
        const double root = slab.y + slab.h * 0.7;
        const double maxLength = 95;
        for (const Icicle& ic : icicles) {
            const double x = slab.x + slab.w * ic.at, half = slab.w * ic.width / 2;
            const double tip = root + maxLength * ic.length;
            cairo_new_path(c);
            cairo_move_to(c, x - half, root);
            cairo_curve_to(c, x - half * 0.8, root + (tip - root) * 0.5, x - half * 0.15, tip - 6,
                           x, tip);
            cairo_curve_to(c, x + half * 0.15, tip - 6, x + half * 0.8, root + (tip - root) * 0.5,
                           x + half, root);
            cairo_close_path(c);
            SetLinearGradient(c, x - half, 0, x + half, 0,
                              {{0.0, Hex(0xEDFAFF)}, {0.45, Hex(0xC2E3FA)}, {1.0, Hex(0x73ADE0)}});
            cairo_fill(c);
        }
        RoundedRectPath(c, slab.x, slab.y, slab.w, slab.h, slab.h * 0.45);
        SetVerticalGradient(c, slab.y, Hex(0xF7FCFF), slab.y + slab.h, Hex(0x9CC9EA));
        cairo_fill(c);
        // A glint along the top edge.
        RoundedRectPath(c, slab.x + slab.w * 0.08, slab.y + slab.h * 0.18, slab.w * 0.6,
                        slab.h * 0.16, slab.h * 0.08);
        SetSource(c, Hex(0xFFFFFF, 0.85));
        cairo_fill(c);
    });
}

void PaintGlobe(cairo_t* cr, double cx, double cy, double radius) {
    PaintLayer(cr, [&](cairo_t* c) {
        CirclePath(c, cx, cy, radius);
        SetRadialGradient(c, cx - radius * 0.35, cy - radius * 0.4, 0, radius * 1.5,
                          {{0.0, Hex(0xB7CBDE)}, {0.55, Hex(0x7893B0)}, {1.0, Hex(0x3F5673)}});
        cairo_fill_preserve(c);
        cairo_clip(c);
        // Meridians as ellipses, parallels as lines: a plain wire globe.
        cairo_set_line_width(c, std::max(1.0, radius * 0.035));
        SetSource(c, Hex(0xFFFFFF, 0.4));
        for (double k : {0.35, 0.72}) {
            cairo_save(c);
            cairo_translate(c, cx, cy);
            cairo_scale(c, radius * k, radius);
            cairo_new_path(c);
            cairo_arc(c, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(c);
            cairo_stroke(c);
        }
        cairo_move_to(c, cx, cy - radius);
        cairo_line_to(c, cx, cy + radius);
        for (double s : {-0.7, -0.36, 0.0, 0.36, 0.7}) {
            cairo_move_to(c, cx - radius, cy + s * radius);
            cairo_line_to(c, cx + radius, cy + s * radius);
        }
        cairo_stroke(c);
    });
}

void PaintNotAvailableBadge(cairo_t* cr, double cx, double cy, double radius) {
    PaintLayer(cr, [&](cairo_t* c) {
        CirclePath(c, cx, cy, radius);
        SetSource(c, Hex(0xFFFFFF));
        cairo_fill(c);
        CirclePath(c, cx, cy, radius * 0.86);
        SetRadialGradient(c, cx - radius * 0.3, cy - radius * 0.35, 0, radius * 1.3,
                          {{0.0, Hex(0xF47A62)}, {1.0, Hex(0xC0301F)}});
        cairo_fill(c);
        const double arm = radius * 0.36;
        cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_width(c, radius * 0.2);
        SetSource(c, Hex(0xFFFFFF));
        cairo_move_to(c, cx - arm, cy - arm);
        cairo_line_to(c, cx + arm, cy + arm);
        cairo_move_to(c, cx + arm, cy - arm);
        cairo_line_to(c, cx - arm, cy + arm);
        cairo_stroke(c);
    });
}

}  // namespace artwork
