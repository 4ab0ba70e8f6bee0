// The overlay font's family on Win32: "Georgia" when GDI+ finds that family
// among the installed fonts, else the generic sans-serif family (which the
// canvas takes from GDI+ when it draws).
//
// Implemented / Missing (overlay font on GDI+):
//   [x] the family with its fallback
#include <windows.h>
// The other system headers need windows.h first.
#include <gdiplus.h>

#include "overlay/canvas.h"

namespace {
constexpr char kPreferredFamily[] = "Georgia";
constexpr wchar_t kPreferredFamilyWide[] = L"Georgia";
constexpr char kFallbackFamily[] = "sans-serif";
}  // namespace

OverlayFont CreateOverlayFont(float points) {
    Gdiplus::FontFamily family(kPreferredFamilyWide);
    const bool preferred = family.GetLastStatus() == Gdiplus::Ok;
    return OverlayFont{preferred ? kPreferredFamily : kFallbackFamily, points};
}
