// Pictures folder on Win32: the shell's My Pictures folder.
//
// Implemented / Missing (base/platform.h, paths, on Win32):
//   [x] PicturesFolder (SHGetFolderPathW, folder 39)
//   [x] CreateFolderTree (SHCreateDirectory)
#include <windows.h>
// The other system headers need windows.h first.
#include <shlobj.h>

#include "base/platform.h"

std::optional<std::u16string> PicturesFolder() {
    wchar_t buf[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, buf)))
        return {};
    return std::u16string(reinterpret_cast<const char16_t*>(buf));
}

bool CreateFolderTree(std::u16string_view path) {
    std::wstring wide(path.begin(), path.end());
    int result = SHCreateDirectory(nullptr, wide.c_str());
    return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS;
}
