// Implemented / Missing (shared Win32 dialog parts): see dialog_win32.h.
#include "setup/dialog_win32.h"

std::u16string WindowText(HWND window) {
    std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
    int n = GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()),
                           static_cast<int>(text.size()));
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}
