// Overlays on screens of several sizes: each case opens a preview window
// (on Linux on an Xvfb of that size; under Wine in the display the test
// runs in, as only the size handed to the overlay matters), paints the
// content rectangle and reads the texture back. One source for GLX with
// cairo and for WGL with GDI+.
#include "overlay/overlay_texture.h"

#ifdef _WIN32
#include <windows.h>  // the Windows gl.h needs its calling conventions
#endif
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/process_state.h"
#include "host/command_line.h"
#include "host/run_mode.h"
#include "host/saver_host.h"
#include "overlay/resource_images.h"
#include "support/temp_dir.h"
#ifndef _WIN32
#include "support/xvfb.h"
#endif

namespace {
constexpr int kSide = 2048;

struct Rect {
    int left, top, right, bottom;
};
Rect painted;  // what the last painter was given

void PaintWhite(Canvas& c, int left, int top, int right, int bottom) {
    painted = {left, top, right, bottom};
    c.FillRect(left, top, right - left, bottom - top, 0xFFFFFFFFu);
}

// Red level of canvas pixel (x, y), y from the top, read back from the
// bottom-up texture.
int RedAt(const std::vector<uint8_t>& tex, int x, int y) {
    return tex[(static_cast<size_t>(y) * kSide + x) * 4 + 2];
}

std::vector<uint8_t> ReadSlotTexture(int slot) {
    std::vector<uint8_t> tex(static_cast<size_t>(kSide) * kSide * 4);
    glBindTexture(GL_TEXTURE_2D, SlideSlots[slot].texture);
    glGetTexImage(GL_TEXTURE_2D, 0, 0x80E1 /* GL_BGRA */, GL_UNSIGNED_BYTE, tex.data());
    return tex;
}

std::unique_ptr<ImageCanvas> NoCanvas(int, int) {
    return nullptr;
}

}  // namespace

TEST(OverlayTextureScreens, ContentRectangleFollowsTheScreenCappedAtTheCanvas) {
    struct Case {
        int w, h;
        Rect expected;
    };
    for (Case c : {Case{1024, 768, {512, 640, 1536, 1408}}, Case{1366, 768, {341, 640, 1707, 1408}},
                   Case{2560, 1440, {0, 304, 2048, 1744}}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
#ifndef _WIN32
        XvfbServer server(c.w, c.h);
        ASSERT_TRUE(server.running());
#endif
        TempDataFolder dir;
        RunMode = Preview;
        ParentWindow = 0;
        ASSERT_EQ(CreateSaverWindow(HostOptions{}), 1);
        glGenTextures(1, &SlideSlots[1].texture);
        MakeOverlayTexture(1, c.w, c.h, PaintWhite);
        EXPECT_EQ(painted.left, c.expected.left);
        EXPECT_EQ(painted.top, c.expected.top);
        EXPECT_EQ(painted.right, c.expected.right);
        EXPECT_EQ(painted.bottom, c.expected.bottom);
        EXPECT_EQ(SlideSlots[1].contentWidth, static_cast<float>(std::min(c.w, kSide)));
        EXPECT_EQ(SlideSlots[1].contentHeight, static_cast<float>(c.h));
        EXPECT_EQ(SlideSlots[1].bitmap.width, kSide);
        EXPECT_EQ(SlideSlots[1].bitmap.height, kSide);
        EXPECT_EQ(SlideSlots[1].bitmap.bytesPerRow, kSide * 4);
        EXPECT_EQ(SlideSlots[1].bitmap.bitsPerPixel, 32);
        auto tex = ReadSlotTexture(1);
        const Rect& r = c.expected;
        EXPECT_EQ(RedAt(tex, r.left, r.top), 255);
        EXPECT_EQ(RedAt(tex, r.right - 1, r.bottom - 1), 255);
        if (r.top > 0) {
            EXPECT_EQ(RedAt(tex, r.left, r.top - 1), 0);
        }
        if (r.left > 0) {
            EXPECT_EQ(RedAt(tex, r.left - 1, r.top), 0);
        }
        if (r.bottom < kSide) {
            EXPECT_EQ(RedAt(tex, r.left, r.bottom), 0);
        }

        // Without a canvas the slot is left black and empty, and the next
        // overlay paints again once a canvas can be made.
        SetTextureCanvasMaker(NoCanvas);
        painted = {};
        MakeOverlayTexture(1, c.w, c.h, PaintWhite);
        EXPECT_EQ(painted.right, 0);
        EXPECT_EQ(SlideSlots[1].contentWidth, 0.0f);
        EXPECT_EQ(SlideSlots[1].bitmap.width, 0);
        SetTextureCanvasMaker(nullptr);
        MakeOverlayTexture(1, c.w, c.h, PaintWhite);
        EXPECT_EQ(SlideSlots[1].contentHeight, static_cast<float>(c.h));
        DestroySaverWindow();
    }
}
