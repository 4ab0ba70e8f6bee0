// Framing a photo on one monitor: when it fills, which part of its backdrop
// shows, what the backdrop looks like, and the bounds every gentle move
// keeps over many random moves.
#include "slideshow/photo_framing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "photos/photo_backdrop.h"

TEST(PhotoFraming, APhotoFillsOnlyWhenTheCropCostsLittleAndTheBackdropShowsItsCentre) {
    struct {
        float w, h;
        int W, H;
        bool fills;
        TextureCrop crop;
    } const rows[] = {
        {1600, 900, 1920, 1080, true, {0, 0, 1, 1}},                    // same shape
        {1600, 1000, 1920, 1080, true, {0, 0.05f, 1, 0.95f}},           // 16:10 loses 10 %
        {1500, 1000, 1920, 1080, false, {0, 0.078125f, 1, 0.921875f}},  // 3:2 loses 15.6 %
        {1000, 1500, 1920, 1080, false, {0, 0.3125f, 1, 0.6875f}},      // portrait
        {1500, 1000, 1024, 768, true, {0.0555556f, 0, 0.9444444f, 1}},  // 3:2 on 4:3: 11.1 %
        {0, 0, 1920, 1080, false, {0, 0, 1, 1}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.w << "x" << r.h << " on " << r.W << "x" << r.H);
        EXPECT_EQ(PhotoFillsMonitor(r.w, r.h, r.W, r.H), r.fills);
        const TextureCrop c = BackdropCrop(r.w, r.h, r.W, r.H);
        EXPECT_NEAR(c.u0, r.crop.u0, 1e-4);
        EXPECT_NEAR(c.v0, r.crop.v0, 1e-4);
        EXPECT_NEAR(c.u1, r.crop.u1, 1e-4);
        EXPECT_NEAR(c.v1, r.crop.v1, 1e-4);
    }
}

TEST(PhotoFraming, TheBackdropIsBlurredDarkenedAndALittleGrey) {
    Picture photo;
    photo.width = 400;
    photo.height = 300;
    // Red left half, blue right half.
    for (int y = 0; y < photo.height; ++y)
        for (int x = 0; x < photo.width; ++x)
            photo.pixels.push_back(x < photo.width / 2 ? 0xFFDC1E1Eu : 0xFF1E1EDCu);
    Picture out;
    ASSERT_TRUE(MakePhotoBackdrop(photo, out));
    ASSERT_EQ(out.width, kBackdropSide);
    auto channel = [&](int x, int shift) {
        return static_cast<int>((out.pixels[static_cast<size_t>(64) * kBackdropSide + x] >> shift) &
                                0xFF);
    };
    // Far from the seam: 60 % of the colour a fifth of the way to grey.
    EXPECT_NEAR(channel(2, 16), 116, 2);
    EXPECT_NEAR(channel(2, 0), 25, 2);
    EXPECT_NEAR(channel(125, 0), 111, 2);  // blue counts less in grey
    // At the seam the halves blend over several pixels, evenly.
    EXPECT_GT(channel(62, 0), 30);
    EXPECT_GT(channel(65, 16), 30);
    EXPECT_NEAR(channel(63, 16), channel(64, 0), 2);
    EXPECT_EQ(out.pixels[0] >> 24, 0xFFu);

    EXPECT_FALSE(MakePhotoBackdrop(Picture{}, out));
    EXPECT_EQ(out.width, 0);
}

// Over many random moves and every moment: the zoom stays within 1..1.08,
// the photo's centre travels at most 6 % of the width, a photo that covered
// the monitor still does, a portrait zooms about its fixed point, and a
// move starts and ends at rest.
TEST(PhotoFraming, EveryGentleMoveStaysWithinItsBounds) {
    struct {
        float dw, dh;
        int W, H;
        bool portrait;
    } const shapes[] = {
        {1920, 1080, 1920, 1080, false},  // filled
        {1920, 1200, 1920, 1080, false},  // filled, cropped top and bottom
        {1620, 1080, 1920, 1080, false},  // fitted, bars at the sides
        {1920, 640, 1920, 1080, false},   // a panorama
        {720, 1080, 1920, 1080, true},    // portrait
    };
    for (const auto& s : shapes) {
        SCOPED_TRACE(::testing::Message() << s.dw << "x" << s.dh);
        const float cx = s.W / 2.0f, cy = s.H / 2.0f;
        const float focusY = (s.H - s.dh) / 2 + 0.4f * s.dh;
        for (uint32_t seed = 1; seed < 4000000000u; seed += 97654321u) {
            for (bool in : {true, false}) {
                const SlideMotion m = NextSlideMotion(seed, in);
                for (int i = 0; i <= 20; ++i) {
                    const float t = i / 20.0f;
                    const MotionPose p = MotionPoseAt(m, t, s.dw, s.dh, s.W, s.H, s.portrait);
                    ASSERT_GE(p.zoom, 1.0f);
                    ASSERT_LE(p.zoom, s.portrait ? 1.0401f : 1.0801f);
                    if (s.portrait) {
                        EXPECT_NEAR(cx * p.zoom + p.tx, cx, 0.01);
                        EXPECT_NEAR(focusY * p.zoom + p.ty, focusY, 0.01);
                        continue;
                    }
                    const float moved =
                        std::hypot(cx * p.zoom + p.tx - cx, cy * p.zoom + p.ty - cy);
                    ASSERT_LE(moved, 0.06f * s.W + 0.01f);
                    // The moved photo's edges against the monitor's.
                    const float left = (cx - s.dw / 2) * p.zoom + p.tx;
                    const float top = (cy - s.dh / 2) * p.zoom + p.ty;
                    if (s.dw >= s.W) {
                        ASSERT_LE(left, 0.01f) << t;
                        ASSERT_GE(left + s.dw * p.zoom, s.W - 0.01f) << t;
                    }
                    if (s.dh >= s.H) {
                        ASSERT_LE(top, 0.01f) << t;
                        ASSERT_GE(top + s.dh * p.zoom, s.H - 0.01f) << t;
                    }
                }
                const MotionPose start = MotionPoseAt(m, 0, s.dw, s.dh, s.W, s.H, s.portrait);
                const MotionPose soon = MotionPoseAt(m, 0.01f, s.dw, s.dh, s.W, s.H, s.portrait);
                EXPECT_NEAR(soon.zoom, start.zoom, 1e-4);
                EXPECT_NEAR(soon.tx, start.tx, 0.2);
                // Zooming in starts from the whole photo; zooming out ends there.
                const float end = MotionPoseAt(m, 1, s.dw, s.dh, s.W, s.H, s.portrait).zoom;
                EXPECT_FLOAT_EQ(in ? start.zoom : end, 1.0f);
                EXPECT_GT(in ? end : start.zoom, 1.03f);
            }
        }
    }
}
