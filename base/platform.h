// Platform seam of base/: the few operating-system services the portable
// core needs. One backend file per platform per service:
//   platform_paths_xdg.cpp    / platform_paths_win32.cpp   pictures folder
//   platform_system_posix.cpp / platform_system_win32.cpp  identifier, file times, OS version
//
// Implemented (Linux / Win32):
//   [x]/[x] PicturesFolder     [x]/[x] NewGuidBytes
//   [x]/[x] CreateFolderTree
//   [x]/[x] FileLastWriteTime  [x]/[x] SetFileLastWriteTime
//   [x]/[x] OsVersionText      [x]/[x] kOsName
//   [x]/[x] SyncFileToDisk     [x]/[x] ReturnFreedBuffersToSystem
//   [x]/[x] IsLinkOrJunction
// Missing: nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The user's pictures folder, or nothing when it cannot be found.
std::optional<std::u16string> PicturesFolder();

// Creates the folder and any missing parents; true when it exists afterwards.
bool CreateFolderTree(std::u16string_view path);

// The 16 bytes of a new installation identifier, in the order they are
// printed (a GUID's first three parts most significant byte first); false
// when the system cannot make one.
bool NewGuidBytes(uint8_t (&out)[16]);

// Last-write time of a file as UTC file time (100 ns units since 1601).
bool FileLastWriteTime(const std::filesystem::path& p, int64_t& fileTime);
bool SetFileLastWriteTime(const std::filesystem::path& p, int64_t fileTime);

// The user's locale measures in US units (temperatures in °F): on Linux the
// territory of LC_ALL, else LC_MEASUREMENT, else LANG; on Windows the
// user's LOCALE_IMEASURE.
bool SystemUsesUsUnits();

// True when `p` itself is a symbolic link, or on Windows any reparse point
// (a junction too), which the standard library there reports as what it
// points to.
bool IsLinkOrJunction(const std::filesystem::path& p);

// Makes the written bytes of a closed file durable; false on failure.
bool SyncFileToDisk(const std::filesystem::path& p);

// From now on a freed buffer of a megabyte or more (decoded photos, whole
// files, pixel copies) goes back to the system at once, so that what a still
// slide holds is what it uses, not the high-water mark of earlier changes.
void ReturnFreedBuffersToSystem();

// "%d.%d.%d.%d" of the OS version, or "Unknown" when it cannot be read; at
// most kOsVersionChars characters, the room the update query gives it.
std::u16string OsVersionText();
inline constexpr std::size_t kOsVersionChars = 19;
// The portable half of OsVersionText: four numbers joined by dots, cut to
// kOsVersionChars.
std::u16string DottedOsVersion(const uint32_t (&numbers)[4]);

// kListingShowsLinks: whether std::filesystem's directory listing tells a
// link from what it points to (MinGW's library on Windows does not: there
// only IsLinkOrJunction does).
#ifdef _WIN32
inline constexpr char16_t kOsName[] = u"win";
inline constexpr char16_t kPathSeparator = u'\\';
inline constexpr std::u16string_view kPathSeparators = u"\\/";  // every one a path may hold
inline constexpr bool kListingShowsLinks = false;
#else
inline constexpr char16_t kOsName[] = u"linux";
inline constexpr char16_t kPathSeparator = u'/';
inline constexpr std::u16string_view kPathSeparators = u"/";
inline constexpr bool kListingShowsLinks = true;
#endif
