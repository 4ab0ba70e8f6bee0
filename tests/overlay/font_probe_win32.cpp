#include <windows.h>

#include "overlay/font_probe.h"

namespace {
int CALLBACK NoteGeorgia(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM found) {
    // Enumeration by name also reports substitutes; only the family itself counts.
    if (lstrcmpiW(font->lfFaceName, L"Georgia") == 0) *reinterpret_cast<bool*>(found) = true;
    return 1;
}
}  // namespace

bool SystemListsGeorgia() {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpyW(wanted.lfFaceName, L"Georgia");
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &wanted, NoteGeorgia, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}
