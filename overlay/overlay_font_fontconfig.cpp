// The overlay font's family: "Georgia" only when fontconfig knows a font of
// exactly that family (it would otherwise substitute a look-alike quietly),
// else the generic sans-serif family.
//
// Implemented / Missing (overlay font on fontconfig):
//   [x] the family with its fallback
#include <fontconfig/fontconfig.h>

#include "overlay/canvas.h"

namespace {
constexpr char kPreferredFamily[] = "Georgia";
constexpr char kFallbackFamily[] = "sans-serif";

bool FamilyInstalled(const char* family) {
    if (!FcInit()) return false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    bool found = fonts && fonts->nfont > 0;
    if (fonts) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}
}  // namespace

OverlayFont CreateOverlayFont(float points) {
    // Asked once per process; the installed fonts do not change under a saver.
    static const bool preferred = FamilyInstalled(kPreferredFamily);
    return OverlayFont{preferred ? kPreferredFamily : kFallbackFamily, points};
}
