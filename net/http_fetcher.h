// HttpFetcher: the only way the saver talks to the network. Each call
// downloads one URL into one file and says, yes or no, whether the whole
// non-empty body arrived. The transfer runs on a short-lived thread of its own
// while the caller watches it every 100 ms and gives up on StopRequested, on
// more than 180 s without progress, or on an average of 1..29 bytes/s.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/file_io.h"

// Downloads `url` into `path` (created or overwritten). False leaves `path`
// as it was when the failure came before the file was opened, else deleted.
// URLs or paths over 259 characters are refused before anything starts.
bool FetchToFile(std::u16string_view url, std::u16string_view path);

// Downloads into `path` + ".tmp", then renames it to `path`; the rename is
// refused when `path` exists, and the ".tmp" file then stays.
bool FetchViaTempFile(std::u16string_view url, std::u16string_view path);

// FetchToFile, then the file's bytes into `body` (its c_str() is the text
// followed by a zero). On failure `body` is empty. The file stays on disk.
bool FetchIntoMemory(std::u16string_view url, std::u16string_view path, std::string& body);

// Appended to the target of FetchViaTempFile while the download runs.
inline constexpr char16_t kFetchTempSuffix[] = u".tmp";

// A body above this size is a failure: no download of the saver is that big.
inline constexpr uint32_t kFetchBodyLimit = kWholeFileLimit;
