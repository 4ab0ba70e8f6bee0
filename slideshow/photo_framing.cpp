#include "slideshow/photo_framing.h"

#include <algorithm>
#include <cmath>

namespace {
SlideshowLook g_look;  // set by the host before the show starts

float Ease(float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}
}  // namespace

void SetSlideshowLook(const SlideshowLook& look) {
    g_look = look;
}

const SlideshowLook& CurrentSlideshowLook() {
    return g_look;
}

bool PhotoFillsMonitor(float w, float h, int W, int H) {
    if (!(w > 0) || !(h > 0) || W <= 0 || H <= 0) return false;
    const float photo = w / h;
    const float monitor = static_cast<float>(W) / static_cast<float>(H);
    const float kept = std::min(photo, monitor) / std::max(photo, monitor);
    return 1 - kept <= kMostCropForFill;
}

TextureCrop BackdropCrop(float w, float h, int W, int H) {
    TextureCrop c;
    if (!(w > 0) || !(h > 0) || W <= 0 || H <= 0) return c;
    const float photo = w / h;
    const float monitor = static_cast<float>(W) / static_cast<float>(H);
    if (photo > monitor) {
        const float keep = monitor / photo;
        c.u0 = (1 - keep) / 2;
        c.u1 = 1 - c.u0;
    } else {
        const float keep = photo / monitor;
        c.v0 = (1 - keep) / 2;
        c.v1 = 1 - c.v0;
    }
    return c;
}

SlideMotion NextSlideMotion(uint32_t random, bool zoomIn) {
    constexpr float kTurn = 6.2831853f;
    SlideMotion m;
    m.zoomIn = zoomIn;
    m.angle = static_cast<float>(random & 0xFFFFu) / 65536.0f * kTurn;
    m.reach = 0.5f + static_cast<float>(random >> 16) / 65536.0f * 0.5f;
    return m;
}

MotionPose MotionPoseAt(const SlideMotion& motion, float progress, float dw, float dh, int W, int H,
                        bool portrait) {
    const float e = Ease(progress);
    const float toward = motion.zoomIn ? e : 1 - e;  // 0 at the centre, 1 at the zoomed end
    const float fw = static_cast<float>(W);
    const float fh = static_cast<float>(H);
    MotionPose pose;
    if (portrait) {
        // Zoom about a fixed point: it stays where it is on the screen.
        pose.zoom = 1 + (kPortraitMotionZoom - 1) * toward;
        const float fx = fw / 2;
        const float fy = (fh - dh) / 2 + dh * kPortraitFocusFromTop;
        pose.tx = fx * (1 - pose.zoom);
        pose.ty = fy * (1 - pose.zoom);
        return pose;
    }
    // Looking at v (the photo point at the monitor's centre) while zoomed by
    // z shows v +- W / 2z; the photo spans the centre +- dw / 2. Within the
    // reach at full zoom no edge shows on the way either, since the room
    // grows faster than the look moves.
    const float roomX = std::max(0.0f, (dw - fw / kMotionZoom) / 2);
    const float roomY = std::max(0.0f, (dh - fh / kMotionZoom) / 2);
    float rx = std::cos(motion.angle) * roomX * motion.reach;
    float ry = std::sin(motion.angle) * roomY * motion.reach;
    const float most = kMostPanPerWidth * fw / kMotionZoom;
    const float length = std::hypot(rx, ry);
    if (length > most) {
        rx *= most / length;
        ry *= most / length;
    }
    pose.zoom = 1 + (kMotionZoom - 1) * toward;
    const float vx = fw / 2 + rx * toward;
    const float vy = fh / 2 + ry * toward;
    pose.tx = fw / 2 - vx * pose.zoom;
    pose.ty = fh / 2 - vy * pose.zoom;
    return pose;
}
