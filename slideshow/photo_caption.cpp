// Caption layout and its texture. Sizes are monitor pixels: the caption is
// painted for the monitor it is shown on, so it is as sharp on 4K as on HD.
// Each line is one line of the canvas's own one-line layout, measured and
// drawn alike; a backend that does not trim is caught by measuring again,
// and the line is then cut here, so a line never runs past its backing.
//
// The texture: one small canvas kept for the process (a caption is a few
// hundred thousand pixels) and one texture per slot of the canvas's size,
// refilled where the last and the new caption lie.
#include "slideshow/photo_caption.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "base/text.h"
#include "overlay/gl_renderer.h"
#include "overlay/image_canvas.h"
#include "overlay/slide_slot.h"

namespace {
// Text height on the monitor: a fraction of its height, and never below a
// size still readable.
constexpr float kTextPerScreenHeight = 1.0f / 56.0f;
constexpr float kSmallestTextPixels = 12.0f;
// A preview's screen is too small for a caption that reads.
constexpr int kSmallestCaptionedScreen = 240;
// The longest line, as a share of the monitor's width.
constexpr float kLineRoomPerScreenWidth = 2.0f / 3.0f;
// Space around the backing and inside it, in text heights.
constexpr float kMarginPerText = 0.8f;
constexpr float kPaddingPerText = 0.45f;
constexpr float kShadowPerText = 0.08f;
constexpr float kPixelsToPoints = 72.0f / 96.0f;

constexpr uint32_t kBackingArgb = 0xA0000000u;
constexpr uint32_t kShadowArgb = 0xE0000000u;
constexpr uint32_t kTextArgb = 0xFFFFFFFFu;
constexpr uint32_t kTransparent = 0;

constexpr char16_t kSeparator[] = u" \u00B7 ";
constexpr char16_t kSource[] = u"Wikimedia Commons";
constexpr char16_t kEllipsis[] = u"\u2026";

// The caption canvas: wide enough for two thirds of a 3072-pixel monitor,
// high enough for two lines of a 4K monitor's text (the text is capped to fit).
constexpr int kCanvasWidth = 2048;
constexpr int kCanvasHeight = 256;
constexpr int kBytesPerPixel = 4;
constexpr float kLinesAndPaddingPerText = 2 * 1.3f + 2 * kPaddingPerText;

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// `text` cut with "…" to the longest start that fits `room` (a backend
// trims by itself; this serves one that does not).
std::u16string Shortened(Canvas& canvas, std::u16string_view text, const OverlayFont& font,
                         float room) {
    std::size_t low = 0, high = text.size();
    while (low < high) {
        const std::size_t mid = (low + high + 1) / 2;
        std::u16string cut(text.substr(0, mid));
        cut += kEllipsis;
        if (canvas.MeasureTextLine(cut, font, 0).width <= room)
            low = mid;
        else
            high = mid - 1;
    }
    while (low > 0 && low < text.size() && IsLowSurrogate(text[low])) --low;
    std::u16string out(text.substr(0, low));
    while (!out.empty() && out.back() == u' ') out.pop_back();
    return out + kEllipsis;
}

struct Line {
    std::u16string text;
    CanvasSize size;
};

// One line as it will be drawn: measured, and cut here when the backend
// did not keep it inside `room`.
Line Measured(Canvas& canvas, std::u16string_view text, const OverlayFont& font, float room) {
    Line line{std::u16string(text), canvas.MeasureTextLine(text, font, room)};
    if (line.size.width > room) {
        line.text = Shortened(canvas, text, font, room);
        line.size = canvas.MeasureTextLine(line.text, font, room);
    }
    return line;
}

struct CaptionCanvas {
    std::unique_ptr<ImageCanvas> canvas;
    bool made = false;
    CanvasRect inked;  // where it holds anything but transparency
    // Per slot: the part of its texture a caption was uploaded into.
    int uploadedWidth[2] = {};
    int uploadedHeight[2] = {};
};
CaptionCanvas g_caption;  // main thread only

ImageCanvas* ClearedCaptionCanvas() {
    if (!g_caption.made) {
        g_caption.made = true;
        g_caption.canvas = CreateImageCanvas(kCanvasWidth, kCanvasHeight);
        g_caption.inked = {0, 0, kCanvasWidth, kCanvasHeight};
    }
    if (!g_caption.canvas) return nullptr;
    const CanvasRect& r = g_caption.inked;
    if (!r.empty())
        g_caption.canvas->ClearRect(r.left, r.top, r.right - r.left, r.bottom - r.top,
                                    kTransparent);
    g_caption.inked = {};
    return g_caption.canvas.get();
}
}  // namespace

CaptionLines CaptionOf(const PhotoCredit& credit, bool showTitles) {
    CaptionLines lines;
    if (showTitles) {
        const std::string title = credit.title.empty() ? FileTitle(credit.page) : credit.title;
        lines.title = Utf8ToUtf16(title);
    }
    const bool named = !credit.author.empty() || !credit.licence.empty();
    const bool asked = credit.licence.empty() || LicenceAsksForCredit(credit.licence);
    if (named && (showTitles || asked)) {
        lines.credit = u"Photo: ";
        for (const std::string* part : {&credit.author, &credit.licence}) {
            if (part->empty()) continue;
            lines.credit += Utf8ToUtf16(*part);
            lines.credit += kSeparator;
        }
        lines.credit += kSource;
    }
    return lines;
}

CaptionMetrics CaptionMetricsFor(int monitorWidth, int monitorHeight) {
    if (monitorHeight < kSmallestCaptionedScreen || monitorWidth <= 0) return {};
    CaptionMetrics m;
    m.textPixels =
        std::max(static_cast<float>(monitorHeight) * kTextPerScreenHeight, kSmallestTextPixels);
    // Two lines and their padding fit the caption canvas.
    m.textPixels =
        std::min(m.textPixels, static_cast<float>(kCanvasHeight) / kLinesAndPaddingPerText);
    m.margin = static_cast<int>(std::lround(m.textPixels * kMarginPerText));
    const int padding = static_cast<int>(std::lround(m.textPixels * kPaddingPerText));
    const int room =
        static_cast<int>(static_cast<float>(monitorWidth) * kLineRoomPerScreenWidth) - 2 * padding;
    m.lineRoom = std::clamp(room, 0, kCanvasWidth - 2 * padding);
    return m;
}

CanvasRect PaintCaption(Canvas& canvas, const CaptionLines& lines, const CaptionMetrics& metrics) {
    if (lines.empty() || metrics.textPixels <= 0 || metrics.lineRoom < metrics.textPixels)
        return {};
    const OverlayFont font = CreateOverlayFont(metrics.textPixels * kPixelsToPoints);
    const auto room = static_cast<float>(metrics.lineRoom);
    Line drawn[2];
    int count = 0;
    for (const std::u16string* text : {&lines.title, &lines.credit}) {
        if (text->empty()) continue;
        Line line = Measured(canvas, *text, font, room);
        // A line no font can draw takes no room.
        if (line.size.width > 0 && line.size.height > 0) drawn[count++] = std::move(line);
    }
    if (count == 0) return {};
    float width = 0, height = 0;
    for (int i = 0; i < count; ++i) {
        width = std::max(width, std::ceil(drawn[i].size.width));
        height += std::ceil(drawn[i].size.height);
    }
    const float padding = std::round(metrics.textPixels * kPaddingPerText);
    const float shadow = std::max(1.0f, std::round(metrics.textPixels * kShadowPerText));
    const CanvasRect backing{0, 0, static_cast<int>(width + 2 * padding),
                             static_cast<int>(height + 2 * padding)};
    canvas.FillRect(backing.left, backing.top, backing.right, backing.bottom, kBackingArgb);
    // Each line flush right; the shadow lies within the padding.
    float y = padding;
    for (int i = 0; i < count; ++i) {
        const float x = padding + width - std::ceil(drawn[i].size.width);
        canvas.DrawTextLine(drawn[i].text, font, x + shadow, y + shadow, room, kShadowArgb);
        canvas.DrawTextLine(drawn[i].text, font, x, y, room, kTextArgb);
        y += std::ceil(drawn[i].size.height);
    }
    return backing;
}

void LoadCaptionTexture(int slot, const CaptionLines& lines, int monitorWidth, int monitorHeight) {
    SlideSlot& s = SlideSlots[slot];
    s.captionWidth = 0;
    s.captionHeight = 0;
    const CaptionMetrics metrics = CaptionMetricsFor(monitorWidth, monitorHeight);
    if (lines.empty() || metrics.textPixels <= 0) return;
    ImageCanvas* canvas = ClearedCaptionCanvas();
    if (!canvas) return;
    const CanvasRect box = PaintCaption(*canvas, lines, metrics);
    g_caption.inked = box;
    if (box.empty()) return;
    if (s.captionTexture == 0) s.captionTexture = GlNewTexture();
    const auto* bytes = reinterpret_cast<const uint8_t*>(canvas->Pixels());
    int& width = g_caption.uploadedWidth[slot];
    int& height = g_caption.uploadedHeight[slot];
    if (TextureHoldsImage(s.captionTexture, kCanvasWidth, kCanvasHeight)) {
        // The last caption's part is overwritten too (the canvas is
        // transparent there), so filtering at the edge never picks it up.
        width = std::max(width, box.right);
        height = std::max(height, box.bottom);
        UploadBgraTextureRegion(s.captionTexture, bytes, kCanvasWidth, 0, 0, width, height);
    } else {
        UploadBgraTexture(s.captionTexture, bytes, kCanvasWidth, kCanvasHeight);
    }
    width = box.right;
    height = box.bottom;
    s.captionWidth = box.right;
    s.captionHeight = box.bottom;
    s.captionMargin = metrics.margin;
    s.captionMonitorHeight = monitorHeight;
}

void DeleteCaptionTexture(int slot) {
    SlideSlot& s = SlideSlots[slot];
    GlDeleteTexture(s.captionTexture);
    s.captionTexture = 0;
    g_caption.uploadedWidth[slot] = 0;
    g_caption.uploadedHeight[slot] = 0;
    s.captionWidth = 0;
    s.captionHeight = 0;
}

bool PlaceCaption(int slot, int W, int H, CaptionQuad& out) {
    const SlideSlot& s = SlideSlots[slot];
    if (s.captionWidth <= 0 || s.captionHeight <= 0 || W <= 0 || H <= 0) return false;
    // Painted for the tallest monitor; a lower one shows it smaller.
    const float scale =
        std::min(1.0f, static_cast<float>(H) / static_cast<float>(s.captionMonitorHeight));
    out.width = std::round(static_cast<float>(s.captionWidth) * scale);
    out.height = std::round(static_cast<float>(s.captionHeight) * scale);
    const float margin = std::round(static_cast<float>(s.captionMargin) * scale);
    out.x = static_cast<float>(W) - margin - out.width;
    out.y = static_cast<float>(H) - margin - out.height;
    out.u = static_cast<float>(s.captionWidth) / kCanvasWidth;
    out.v = static_cast<float>(s.captionHeight) / kCanvasHeight;
    return out.width > 0 && out.height > 0;
}
