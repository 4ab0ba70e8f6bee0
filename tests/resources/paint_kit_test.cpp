// The artwork kit's layers and halos: the shadow lands where it is asked,
// holds as much ink as the shape that casts it, and follows the context's
// scale, so the icon's small sizes get the same shadow, only smaller.
#include <gtest/gtest.h>

#include "artwork.h"

using namespace artwork;

namespace {

constexpr int kSide = 160;

int AlphaAt(cairo_surface_t* s, int x, int y) {
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    return int(reinterpret_cast<const uint32_t*>(data + size_t(y) * stride)[x] >> 24);
}

// Sum of alpha over a rectangle, in units of fully opaque pixels.
double InkIn(cairo_surface_t* s, int x0, int y0, int x1, int y1) {
    double sum = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) sum += AlphaAt(s, x, y) / 255.0;
    }
    return sum;
}

// A white 20 x 20 square at (40, 40) in device pixels, cast on a
// transparent picture with one black halo; `scale` is applied to the
// context first and the square and halo are given in its units.
SurfacePtr SquareWithHalo(Halo halo, double scale) {
    SurfacePtr s = NewSurface(kSide, kSide);
    ContextPtr cr = NewContext(s.get());
    cairo_scale(cr.get(), scale, scale);
    PaintLayer(cr.get(),
               [&](cairo_t* c) {
                   cairo_rectangle(c, 40 / scale, 40 / scale, 20 / scale, 20 / scale);
                   SetSource(c, Hex(0xFFFFFF));
                   cairo_fill(c);
               },
               {halo});
    return s;
}

TEST(ArtworkKit, ShadowFallsBelowTheShapeAndFadesOut) {
    SurfacePtr s = SquareWithHalo({0, 10, 3, Hex(0x000000)}, 1);
    EXPECT_EQ(AlphaAt(s.get(), 50, 50), 255);
    // Below the square, well inside the moved shadow: (nearly) full ink.
    EXPECT_GT(AlphaAt(s.get(), 50, 62), 245);
    // The blurred rim fades rather than stopping...
    const int rim = AlphaAt(s.get(), 50, 72);
    EXPECT_GT(rim, 0);
    EXPECT_LT(rim, 255);
    // ...and within three blur radii it has gone.
    EXPECT_EQ(AlphaAt(s.get(), 50, 80), 0);
    // Nothing above the square: the shadow moved down.
    EXPECT_EQ(AlphaAt(s.get(), 50, 36), 0);
}

TEST(ArtworkKit, BlurKeepsTheShadowsInk) {
    // Moved clear of the square, the shadow alone holds the square's 400
    // pixels of ink, however far it is blurred.
    for (double blur : {0.0, 2.0, 5.0}) {
        SCOPED_TRACE(blur);
        SurfacePtr s = SquareWithHalo({60, 0, blur, Hex(0x000000)}, 1);
        EXPECT_NEAR(InkIn(s.get(), 62, 0, kSide, kSide), 400, 4);
    }
    // A half-transparent halo holds half.
    SurfacePtr s = SquareWithHalo({60, 0, 3, Hex(0x000000, 0.5)}, 1);
    EXPECT_NEAR(InkIn(s.get(), 62, 0, kSide, kSide), 200, 4);
}

TEST(ArtworkKit, HaloFollowsTheContextsScale) {
    // Offset and blur are in the context's units: at half scale a halo of
    // (0, 20, 6) lands where (0, 10, 3) does at full scale.
    SurfacePtr full = SquareWithHalo({0, 10, 3, Hex(0x000000)}, 1);
    SurfacePtr half = SquareWithHalo({0, 20, 6, Hex(0x000000)}, 0.5);
    for (int y = 36; y < 84; ++y) {
        EXPECT_NEAR(AlphaAt(half.get(), 50, y), AlphaAt(full.get(), 50, y), 2) << "y " << y;
    }
}

}  // namespace
