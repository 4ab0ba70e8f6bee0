// What the two Win32 dialogs share: the program's texts as the system's
// wide texts, and a control's text read back.
//
// Implemented: text conversion (wchar_t is UTF-16 on Win32), window texts.
// Missing: nothing.
#pragma once

#include <windows.h>

#include <string>

inline const wchar_t* Wide(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

// The whole text of a window or control.
std::u16string WindowText(HWND window);
