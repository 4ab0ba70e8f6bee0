// How a frame is classified: the panels and the notice are painted on a
// 2048 x 2048 canvas whose content rectangle is the screen centred on it,
// so the screen pixel (x, y) is the canvas pixel (left + x, top + y). The
// layout functions of the program give, in canvas coordinates, where each
// part lies; every check below looks only at places that the layout keeps
// free of text and curves, or counts a share of pixels where text may cross.
#include "e2e/screen_frames.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/saver_app.h"
#include "update/version_notice_layout.h"
#include "weather/weather_panel_layout.h"

ScreenReader::ScreenReader(const std::string& display) : display_(XOpenDisplay(display.c_str())) {}

ScreenReader::~ScreenReader() {
    if (display_) XCloseDisplay(display_);
}

ScreenFrame ScreenReader::Read() {
    ScreenFrame f;
    if (!display_) return f;
    Window root = DefaultRootWindow(display_);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, root, &attributes)) return f;
    XImage* image = XGetImage(display_, root, 0, 0, unsigned(attributes.width),
                              unsigned(attributes.height), AllPlanes, ZPixmap);
    if (!image) return f;
    // The 24-bit TrueColor visual Xvfb gives: 0xRRGGBB in 32-bit pixels.
    if (image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
        image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 && image->blue_mask == 0xFF) {
        f.width = attributes.width;
        f.height = attributes.height;
        f.rgb.resize(size_t(f.width) * size_t(f.height));
        for (int y = 0; y < f.height; ++y) {
            const char* row = image->data + size_t(y) * size_t(image->bytes_per_line);
            for (int x = 0; x < f.width; ++x) {
                uint32_t p;
                std::memcpy(&p, row + size_t(x) * 4, 4);
                f.rgb[size_t(y) * size_t(f.width) + size_t(x)] = p & 0xFFFFFF;
            }
        }
    }
    XDestroyImage(image);
    return f;
}

const char* SlideKindName(SlideKind kind) {
    switch (kind) {
        case SlideKind::Unclear:
            return "unclear";
        case SlideKind::Black:
            return "black";
        case SlideKind::Photo:
            return "photo";
        case SlideKind::CurrentPanel:
            return "current-conditions panel";
        case SlideKind::ForecastPanel:
            return "forecast panel";
        case SlideKind::Notice:
            return "notice";
    }
    return "?";
}

namespace {

int Red(uint32_t c) {
    return int(c >> 16 & 0xFF);
}
int Green(uint32_t c) {
    return int(c >> 8 & 0xFF);
}
int Blue(uint32_t c) {
    return int(c & 0xFF);
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    return std::abs(Red(a) - Red(b)) <= tolerance && std::abs(Green(a) - Green(b)) <= tolerance &&
           std::abs(Blue(a) - Blue(b)) <= tolerance;
}

bool IsBlack(uint32_t c) {
    return std::max({Red(c), Green(c), Blue(c)}) < 24;
}

// A rectangle on the screen, clipped to the frame; right and bottom exclusive.
struct Area {
    int x0, y0, x1, y1;
};

Area Clip(const ScreenFrame& f, Area a) {
    return {std::clamp(a.x0, 0, f.width), std::clamp(a.y0, 0, f.height),
            std::clamp(a.x1, 0, f.width), std::clamp(a.y1, 0, f.height)};
}

// The share (0..1) of the area's pixels that pass `test`; 0 for an empty area.
template <typename Test>
double Share(const ScreenFrame& f, Area a, Test test) {
    a = Clip(f, a);
    long all = 0, passed = 0;
    for (int y = a.y0; y < a.y1; ++y)
        for (int x = a.x0; x < a.x1; ++x) {
            ++all;
            if (test(f.At(x, y), x, y)) ++passed;
        }
    return all == 0 ? 0 : double(passed) / double(all);
}

double BlackShare(const ScreenFrame& f, Area a) {
    return Share(f, a, [](uint32_t c, int, int) { return IsBlack(c); });
}

// The content rectangle's corner on the canvas.
struct Origin {
    int left, top;
};

Origin CanvasOrigin(const ScreenFrame& f) {
    const int side = SaverApp.TextureSize;
    return {(side - std::min(f.width, side)) / 2, (side - std::min(f.height, side)) / 2};
}

Area OnScreen(Origin o, const PixelRect& r) {
    return {r.x - o.left, r.y - o.top, r.x - o.left + r.w, r.y - o.top + r.h};
}

uint32_t Rgb(uint32_t argb) {
    return argb & 0xFFFFFF;
}

uint32_t Mix(uint32_t from, uint32_t to, double t) {
    auto channel = [&](int shift) {
        double a = from >> shift & 0xFF, b = to >> shift & 0xFF;
        return uint32_t(a + (b - a) * t + 0.5) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

// Five gradient columns with black gaps of 10 pixels between them.
bool IsForecastPanel(const ScreenFrame& f, Origin o, const WeatherReport& report) {
    const ForecastPanelLayout L =
        ComputeForecastPanelLayout(o.left, o.top, o.left + f.width, o.top + f.height, report);
    for (int i = 0; i < 5; ++i) {
        Area g = OnScreen(o, L.columns[i].gradient);
        if (g.x1 <= g.x0 || g.y1 <= g.y0) return false;
        const uint32_t top = Rgb(panel_style::kColumnTop), bottom = Rgb(panel_style::kColumnBottom);
        double inGradient = Share(f, g, [&](uint32_t c, int, int y) {
            double t = double(y - g.y0) / double(std::max(1, g.y1 - g.y0 - 1));
            return Near(c, Mix(top, bottom, t), 10);
        });
        // Pictures, texts and the graph cover part of each column.
        if (inGradient < 0.4) return false;
        // The gap left of the column (the margin for the first); the graph's
        // curves cross the gaps.
        int gapStart = i == 0 ? g.x0 - 5 : OnScreen(o, L.columns[i - 1].gradient).x1;
        if (BlackShare(f, {gapStart, g.y0, g.x0, g.y1}) < 0.8) return false;
    }
    return true;
}

// Black but for the warning sign above the middle and the text below it.
bool IsNotice(const ScreenFrame& f, Origin o, int signWidth, int signHeight) {
    const VersionNoticeLayout L = ComputeVersionNoticeLayout(
        o.left, o.top, o.left + f.width, o.top + f.height, signWidth, signHeight);
    Area sign = {L.signX - o.left, L.signY - o.top, L.signX - o.left + signWidth,
                 L.signY - o.top + signHeight};
    const int textTop = int(L.textY) - o.top;
    // Above the sign, and between the sign and the text, nothing is drawn.
    if (BlackShare(f, {0, 0, f.width, sign.y0}) < 0.999) return false;
    if (BlackShare(f, {0, sign.y0, sign.x0, textTop}) < 0.999) return false;
    if (BlackShare(f, {sign.x1, sign.y0, f.width, textTop}) < 0.999) return false;
    if (BlackShare(f, {0, sign.y1, f.width, textTop}) < 0.999) return false;
    double yellow = Share(f, sign, [](uint32_t c, int, int) {
        return Red(c) > 180 && Green(c) > 130 && Blue(c) < 110;
    });
    if (yellow < 0.1) return false;
    // The text: its colour, blended with black at the glyphs' edges.
    Area text = {0, textTop, f.width, f.height};
    const uint32_t ink = Rgb(kNoticeTextArgb);
    if (Share(f, text, [&](uint32_t c, int, int) { return Near(c, ink, 24); }) < 0.002)
        return false;
    double offHue = Share(f, text, [](uint32_t c, int, int) {
        return !IsBlack(c) && (Blue(c) + 16 < Red(c) || Green(c) + 16 < Red(c));
    });
    return offHue < 0.001;
}

// The sky colour of the observation time behind a heading at the top and
// the condition picture in the middle.
bool IsCurrentPanel(const ScreenFrame& f, Origin o, const WeatherReport& report) {
    const CurrentPanelLayout L =
        ComputeCurrentPanelLayout(o.left, o.top, o.left + f.width, o.top + f.height, report);
    const uint32_t sky = Rgb(L.backgroundArgb);
    const Area picture = OnScreen(o, L.picture.rect);
    auto isSky = [&](uint32_t c, int, int) { return Near(c, sky, 6); };
    // The heading's line, light text on the sky.
    const int headingBottom = int(L.heading.y) - o.top + 60;
    const Area heading = {0, 0, f.width, headingBottom};
    const uint32_t ink = Rgb(panel_style::kText);
    if (Share(f, heading, isSky) < 0.8) return false;
    if (Share(f, heading, [&](uint32_t c, int, int) { return Near(c, ink, 40); }) < 0.002)
        return false;
    // Between the heading and the picture only the sky shows, and beside
    // the picture down to the conditions text. The side strips stay clear of
    // centred texts that run wider than the picture.
    if (picture.y0 <= headingBottom) return false;
    if (Share(f, {0, headingBottom, f.width, picture.y0}, isSky) < 0.99) return false;
    const int stripWidth = std::min(picture.x0, 100);
    const int stripBottom = std::min(picture.y1, int(L.conditions.y) - o.top);
    if (stripWidth <= 0 || stripBottom <= picture.y0) return false;
    if (Share(f, {0, picture.y0, stripWidth, stripBottom}, isSky) < 0.99) return false;
    if (Share(f, {f.width - stripWidth, picture.y0, f.width, stripBottom}, isSky) < 0.99)
        return false;
    // The picture stands out from the sky.
    return Share(f, picture, isSky) < 0.95;
}

}  // namespace

SlideKind ClassifyFrame(const ScreenFrame& frame, const WeatherReport& report, int signWidth,
                        int signHeight) {
    if (frame.rgb.empty()) return SlideKind::Unclear;
    const Origin o = CanvasOrigin(frame);
    const Area all = {0, 0, frame.width, frame.height};
    if (BlackShare(frame, all) > 0.999) return SlideKind::Black;
    if (IsForecastPanel(frame, o, report)) return SlideKind::ForecastPanel;
    if (IsNotice(frame, o, signWidth, signHeight)) return SlideKind::Notice;
    if (IsCurrentPanel(frame, o, report)) return SlideKind::CurrentPanel;
    // A photo fills the screen's width or height, centred: its middle is
    // picture, not black.
    const Area middle = {frame.width * 7 / 20, frame.height / 5, frame.width * 13 / 20,
                         frame.height * 4 / 5};
    if (BlackShare(frame, middle) < 0.4) return SlideKind::Photo;
    return SlideKind::Unclear;
}
