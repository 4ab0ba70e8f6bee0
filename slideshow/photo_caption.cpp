// Caption layout. Sizes are chosen in screen pixels and converted to canvas
// pixels by the factor the slideshow scales the photo with, so the caption
// reads the same on a 1080p and a 4K screen whatever the photo's size. Too
// long a caption first gets a smaller font, then wraps inside the photo.
#include "slideshow/photo_caption.h"

#include <algorithm>
#include <cmath>

#include "base/text.h"

namespace {
// Text height on the screen: a fraction of the screen's height, and never
// below a size still readable.
constexpr float kTextPerScreenHeight = 1.0f / 56.0f;
constexpr float kSmallestTextPixels = 12.0f;
// A preview's screen is too small for a caption that reads: it would cover
// a third of the photo.
constexpr float kSmallestCaptionedScreen = 240.0f;
// A caption too wide for the photo may shrink to this share of its size
// before it wraps.
constexpr float kSmallestShrink = 0.75f;
// Space around the backing and inside it, in text heights.
constexpr float kMarginPerText = 0.8f;
constexpr float kPaddingPerText = 0.45f;
constexpr float kShadowPerText = 0.08f;
constexpr float kPixelsToPoints = 72.0f / 96.0f;

constexpr uint32_t kBackingArgb = 0xA0000000u;
constexpr uint32_t kShadowArgb = 0xE0000000u;
constexpr uint32_t kTextArgb = 0xFFFFFFFFu;

constexpr char16_t kSeparator[] = u" \u00B7 ";
constexpr char16_t kSource[] = u"Wikimedia Commons";

// The page address as people write it: no scheme, no "//".
std::string_view WithoutScheme(std::string_view page) {
    const std::size_t colon = page.find("://");
    if (colon != std::string_view::npos && page.find_first_of("/?#") > colon)
        page.remove_prefix(colon + 3);
    else if (page.substr(0, 2) == "//")
        page.remove_prefix(2);
    return page;
}
}  // namespace

std::u16string CaptionText(const PhotoCredit& credit) {
    if (credit.author.empty() && credit.licence.empty() && credit.page.empty()) return {};
    std::u16string text = u"Photo: ";
    for (const std::string* part : {&credit.author, &credit.licence}) {
        if (part->empty()) continue;
        text += Utf8ToUtf16(*part);
        text += kSeparator;
    }
    text += kSource;
    const std::string_view page = WithoutScheme(credit.page);
    if (!page.empty()) text += u"\n" + Utf8ToUtf16(page);
    return text;
}

CanvasRect PaintPhotoCaption(Canvas& canvas, const PhotoCredit& credit, const CanvasRect& photo,
                             int screenWidth, int screenHeight) {
    const std::u16string text = CaptionText(credit);
    const float pw = static_cast<float>(photo.right - photo.left);
    const float ph = static_cast<float>(photo.bottom - photo.top);
    if (text.empty() || photo.empty()) return {};
    // Screen pixels per canvas pixel, as the slideshow fits the photo.
    float scale = 1.0f;
    float screenHeightPixels = ph;
    if (screenWidth > 0 && screenHeight > 0) {
        scale =
            std::min(static_cast<float>(screenWidth) / pw, static_cast<float>(screenHeight) / ph);
        screenHeightPixels = static_cast<float>(screenHeight);
    }
    if (screenHeightPixels < kSmallestCaptionedScreen) return {};
    const float textPixels =
        std::max(screenHeightPixels * kTextPerScreenHeight, kSmallestTextPixels) / scale;
    const float margin = std::round(textPixels * kMarginPerText);
    const float padding = std::round(textPixels * kPaddingPerText);
    const float room = pw - 2 * (margin + padding);
    if (room < textPixels) return {};

    OverlayFont font = CreateOverlayFont(textPixels * kPixelsToPoints);
    CanvasSize size = canvas.MeasureText(text, font, 0);
    if (size.width > room) {
        font.points *= std::max(room / size.width, kSmallestShrink);
        size = canvas.MeasureText(text, font, 0);
        if (size.width > room) size = canvas.MeasureText(text, font, room);
    }
    // One pixel more than measured, so that rounding never wraps a line.
    const float textWidth = std::min(std::ceil(size.width) + 1, room);
    const float textHeight = std::ceil(size.height);
    const float right = static_cast<float>(photo.right) - margin;
    const float bottom = static_cast<float>(photo.bottom) - margin;
    const float left = right - textWidth - 2 * padding;
    const float top = std::max(bottom - textHeight - 2 * padding, static_cast<float>(photo.top));
    const CanvasRect backing{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                             static_cast<int>(bottom)};
    canvas.FillRect(backing.left, backing.top, backing.right - backing.left,
                    backing.bottom - backing.top, kBackingArgb);
    const float shadow = std::max(1.0f, std::round(textPixels * kShadowPerText));
    const float x = left + padding;
    const float y = top + padding;
    const float h = bottom - padding - y;
    canvas.DrawText(text, font, x + shadow, y + shadow, textWidth, h, kShadowArgb, TextAlign::Far);
    canvas.DrawText(text, font, x, y, textWidth, h, kTextArgb, TextAlign::Far);
    return backing;
}
