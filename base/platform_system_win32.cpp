// Random bytes, file times and the system version on Win32.
//
// Implemented / Missing (base/platform.h, system, on Win32):
//   [x] NewGuidBytes (CoCreateGuid)  [x] FileLastWriteTime, SetFileLastWriteTime
//   [x] OsVersionText  [x] SyncFileToDisk (FlushFileBuffers)
//   [x] IsLinkOrJunction (FILE_ATTRIBUTE_REPARSE_POINT)
//   [x] ReturnFreedBuffersToSystem (nothing to do: the process heap gives
//       blocks this large back on free)
#include <windows.h>
// The other system headers need windows.h first.
#include <objbase.h>

#include "base/platform.h"

bool NewGuidBytes(uint8_t (&out)[16]) {
    GUID g{};
    if (FAILED(CoCreateGuid(&g))) return false;
    // "%08X%04X%04X" of the first three parts, then the eight final bytes.
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(g.Data1 >> (24 - 8 * i));
    out[4] = static_cast<uint8_t>(g.Data2 >> 8);
    out[5] = static_cast<uint8_t>(g.Data2);
    out[6] = static_cast<uint8_t>(g.Data3 >> 8);
    out[7] = static_cast<uint8_t>(g.Data3);
    for (int i = 0; i < 8; ++i) out[8 + i] = g.Data4[i];
    return true;
}

bool IsLinkOrJunction(const std::filesystem::path& p) {
    const DWORD attributes = GetFileAttributesW(p.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool FileLastWriteTime(const std::filesystem::path& p, int64_t& fileTime) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &d)) return false;
    fileTime = (int64_t{d.ftLastWriteTime.dwHighDateTime} << 32) | d.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool SetFileLastWriteTime(const std::filesystem::path& p, int64_t fileTime) {
    HANDLE h = CreateFileW(p.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(fileTime);
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(fileTime) >> 32);
    BOOL ok = SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    return ok != FALSE;
}

bool SyncFileToDisk(const std::filesystem::path& p) {
    HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BOOL ok = FlushFileBuffers(h);
    CloseHandle(h);
    return ok != FALSE;
}

std::u16string OsVersionText() {
    OSVERSIONINFOEXW v{};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&v))) return u"Unknown";
#pragma GCC diagnostic pop
    const uint32_t numbers[4] = {v.dwMajorVersion, v.dwMinorVersion, v.wServicePackMajor,
                                 v.wServicePackMinor};
    return DottedOsVersion(numbers);
}

void ReturnFreedBuffersToSystem() {}

bool SystemUsesUsUnits() {
    // "0" metric, "1" US.
    wchar_t measure[4] = {};
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, measure, 4) > 0 &&
           measure[0] == L'1';
}
