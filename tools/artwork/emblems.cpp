// The warning sign of the version notice and the program icon. Both use
// the weather pictures' kit (layers with soft shadows, gradients) so the set
// looks like one family.
//
// The icon is designed on a 256-unit square and scaled to each size. Small
// sizes drop the details that would turn to mush (clouds, contrails,
// engines) and draw the aircraft with bolder proportions, so it still reads
// as an aircraft at 16 pixels.
#include <algorithm>
#include <cmath>
#include <vector>

#include "artwork.h"

namespace artwork {

namespace {

struct Point {
    double x, y;
};

void PolygonPath(cairo_t* cr, const std::vector<Point>& points) {
    cairo_new_path(cr);
    for (const Point& p : points) cairo_line_to(cr, p.x, p.y);
    cairo_close_path(cr);
}

// A triangle with round corners of `radius`: the triangle shrunk towards its
// incentre by `radius`, then filled and stroked with round joins.
std::vector<Point> InsetTriangle(Point a, Point b, Point c, double inset) {
    const double la = std::hypot(b.x - c.x, b.y - c.y);
    const double lb = std::hypot(a.x - c.x, a.y - c.y);
    const double lc = std::hypot(a.x - b.x, a.y - b.y);
    const double perimeter = la + lb + lc;
    const Point centre{(la * a.x + lb * b.x + lc * c.x) / perimeter,
                       (la * a.y + lb * b.y + lc * c.y) / perimeter};
    const double s = perimeter / 2;
    const double inradius = std::sqrt((s - la) * (s - lb) * (s - lc) / s);
    const double k = (inradius - inset) / inradius;
    std::vector<Point> out;
    for (Point v : {a, b, c}) {
        out.push_back({centre.x + (v.x - centre.x) * k, centre.y + (v.y - centre.y) * k});
    }
    return out;
}

void FillRounded(cairo_t* cr, const std::vector<Point>& inset, double radius) {
    PolygonPath(cr, inset);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 2 * radius);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
}

// Right half of an aircraft seen from below, nose up, from nose to tail, in
// units where the aircraft is 2 long. `body` is the fuselage's half width;
// `bold` gives the wider wings and tail that small icons need.
std::vector<Point> AircraftHalf(bool bold, double body) {
    const double wingChord = bold ? 0.24 : 0.15;
    const double tailChord = bold ? 0.18 : 0.11;
    return {{body * 0.55, -0.94},
            {body, -0.80},
            {body, -0.26},
            {0.98, 0.16},
            {0.98, 0.16 + wingChord * 0.5},
            {body, wingChord},
            {body * 0.85, 0.62},
            {0.42, 0.86},
            {0.42, 0.86 + tailChord * 0.55},
            {body * 0.6, 0.86 + tailChord * 0.3},
            {0.0, 1.0}};
}

void AircraftPath(cairo_t* cr, bool bold, double body) {
    const std::vector<Point> half = AircraftHalf(bold, body);
    cairo_new_path(cr);
    cairo_move_to(cr, 0, -1.0);
    for (const Point& p : half) cairo_line_to(cr, p.x, p.y);
    for (auto it = half.rbegin() + 1; it != half.rend(); ++it) cairo_line_to(cr, -it->x, it->y);
    cairo_close_path(cr);
}

// The icon's tile: a rounded square `margin` units in from the edges.
void TilePath(cairo_t* cr, double margin) {
    const double side = 256 - 2 * margin;
    RoundedRectPath(cr, margin, margin, side, side, side * 0.22);
}

// Places the aircraft's units: centred, `length` icon units per unit,
// climbing towards the upper right unless upright.
void AircraftFrame(cairo_t* cr, bool upright, double length) {
    cairo_translate(cr, 128, 128);
    if (!upright) cairo_rotate(cr, M_PI / 4);
    cairo_scale(cr, length, length);
}

}  // namespace

void PaintWarningSign(cairo_t* cr) {
    const Point top{kSignWidth / 2.0, 14}, left{16, 184}, right{kSignWidth - 16.0, 184};
    const double corner = 18, rim = 10;
    const std::vector<Point> inset = InsetTriangle(top, left, right, corner);
    PaintLayer(cr, [&](cairo_t* c) {
        SetVerticalGradient(c, top.y, Hex(0xF7B733), left.y, Hex(0xD27A06));
        FillRounded(c, inset, corner);
        SetVerticalGradient(c, top.y, Hex(0xFFEB8F), left.y, Hex(0xFFC21C));
        FillRounded(c, inset, corner - rim);
        // A soft sheen over the upper half.
        PolygonPath(c, inset);
        cairo_clip(c);
        SetVerticalGradient(c, top.y, Hex(0xFFFFFF, 0.45), 120, Hex(0xFFFFFF, 0.0));
        cairo_paint(c);
        cairo_reset_clip(c);
        // The exclamation mark: a tapering bar and a dot.
        const double cx = kSignWidth / 2.0;
        cairo_new_path(c);
        cairo_arc(c, cx, 74, 12.5, M_PI, 2 * M_PI);
        cairo_line_to(c, cx + 7.5, 134);
        cairo_arc(c, cx, 134, 7.5, 0, M_PI);
        cairo_close_path(c);
        cairo_new_sub_path(c);
        cairo_arc(c, cx, 160, 11.5, 0, 2 * M_PI);
        SetVerticalGradient(c, 60, Hex(0x54473A), 172, Hex(0x2A221A));
        cairo_fill(c);
    });
}

void PaintIcon(cairo_t* cr, int size) {
    // What each size can carry: clouds, contrails, engines and the tile's
    // shadow only on the large icon, the sun's glow from 32 pixels.
    const bool large = size >= 128;
    const bool glow = size >= 32;
    const double margin = large ? 12 : (glow ? 4 : 0);
    // Small icons draw the aircraft upright and larger, where a slanted
    // outline would blur into the sky, with the fuselage's edges on whole
    // pixels.
    const bool upright = size <= 24;
    const double length = large ? 92 : (upright ? 118 : 104);
    const double pixelsPerUnit = length * size / 256.0;
    const double body = upright ? std::max(1.0, std::round(0.14 * pixelsPerUnit)) / pixelsPerUnit
                                : (large ? 0.09 : 0.15);
    cairo_scale(cr, size / 256.0, size / 256.0);

    std::vector<Halo> tileHalos;
    if (large) tileHalos.push_back({0, 4, 5, {0.0, 0.05, 0.15, 0.45}});
    PaintLayer(
        cr,
        [&](cairo_t* c) {
            TilePath(c, margin);
            cairo_clip(c);
            SetVerticalGradient(c, margin, Hex(0x164F9E), 256 - margin, Hex(0x8FCBF2));
            cairo_paint(c);
            if (glow) {
                SetRadialGradient(c, 196, 58, 0, 110,
                                  {{0.0, Hex(0xFFF5C7, 0.95)},
                                   {0.25, Hex(0xFFE08C, 0.45)},
                                   {1.0, Hex(0xFFE08C, 0.0)}});
                cairo_paint(c);
            }
        },
        tileHalos);
    if (large) {
        // Clouds drift below the aircraft and its contrails fade behind it,
        // all cut off by the tile.
        cairo_save(cr);
        TilePath(cr, margin);
        cairo_clip(cr);
        PaintCloud(cr, 118, 262, 170, CloudTone::White);
        PaintCloud(cr, -20, 270, 130, CloudTone::White, true);
        PaintLayer(cr,
                   [&](cairo_t* c) {
                       AircraftFrame(c, upright, length);
                       for (double x : {-0.42, 0.42}) {
                           SetVerticalGradient(c, 0.25, Hex(0xFFFFFF, 0.8), 1.3,
                                               Hex(0xFFFFFF, 0.0));
                           RoundedRectPath(c, x - 0.03, 0.25, 0.06, 1.05, 0.03);
                           cairo_fill(c);
                       }
                   },
                   {});
        cairo_restore(cr);
    }
    const Halo planeShadow{large ? 4.0 : 8.0,
                           large ? 6.0 : 10.0,
                           large ? 5.0 : 6.0,
                           {0.0, 0.08, 0.25, large ? 0.4 : 0.5}};
    PaintLayer(cr,
               [&](cairo_t* c) {
                   AircraftFrame(c, upright, length);
                   AircraftPath(c, !large, body);
                   SetVerticalGradient(c, -1, Hex(0xFFFFFF), 1, Hex(0xD8E2EE));
                   cairo_fill(c);
                   if (large) {
                       for (double x : {-0.42, 0.42}) {
                           RoundedRectPath(c, x - 0.05, 0.0, 0.1, 0.2, 0.05);
                           SetVerticalGradient(c, 0, Hex(0xE6EDF5), 0.2, Hex(0xA9B8CA));
                           cairo_fill(c);
                       }
                   }
               },
               {planeShadow});
}

}  // namespace artwork
