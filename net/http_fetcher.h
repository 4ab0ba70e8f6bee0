// HttpFetcher: the only way the saver talks to the network. Each call
// downloads one URL into one file and says, yes or no, whether the whole
// non-empty body arrived. The transfer runs on a short-lived thread of its own
// while the caller watches it every 100 ms and gives up on StopRequested, on
// more than 180 s without progress, or on an average of 1..29 bytes/s.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_io.h"
#include "base/fixed_text.h"
#include "net/transport.h"

// A body above this size is a failure whatever was asked for; callers pass
// the smaller limit of their service (ServiceBodyLimit, net/endpoints.h).
inline constexpr uint32_t kFetchBodyLimit = kWholeFileLimit;

// What a download asks beyond its address. The defaults are the saver's own
// services: the fixed agent and addresses of at most 259 characters.
struct FetchOptions {
    uint32_t bodyLimit = kFetchBodyLimit;
    UserAgent agent = UserAgent::Fixed;
    std::size_t urlLimit = PathText::kCapacity;  // longer addresses are refused
    // The hosts a redirect may lead to (RedirectHostsOf); empty: any host.
    // Whatever is named, https is never redirected to plain http.
    std::vector<std::string> redirectHosts{};
};

// What the final response said, for callers that must honour it: its
// status (0 without a response) and its Retry-After in seconds (-1: none).
struct FetchReply {
    int32_t status = 0;
    int32_t retryAfterSeconds = -1;
};

// Downloads `url` into `path` (created or overwritten). False leaves `path`
// as it was when the failure came before the file was opened, else deleted.
// URLs or paths over 259 characters are refused before anything starts. A
// body over `bodyLimit` bytes fails: at its headers when it announces its
// length (then `path` is deleted as after any failure of a reply "200"), or
// at the first byte over the limit. With the event log on, each call writes
// one line: its outcome and time.
bool FetchToFile(std::u16string_view url, std::u16string_view path,
                 uint32_t bodyLimit = kFetchBodyLimit);
// The same with its options; `reply` (when given) is filled whatever the result.
bool FetchToFile(std::u16string_view url, std::u16string_view path, const FetchOptions& options,
                 FetchReply* reply);

// Downloads into `path` + ".tmp", then renames it to `path`; the rename is
// refused when `path` exists, and the ".tmp" file then stays.
bool FetchViaTempFile(std::u16string_view url, std::u16string_view path,
                      uint32_t bodyLimit = kFetchBodyLimit);
bool FetchViaTempFile(std::u16string_view url, std::u16string_view path,
                      const FetchOptions& options);

// FetchToFile, then the file's bytes into `body` (its c_str() is the text
// followed by a zero). On failure `body` is empty. The file stays on disk.
bool FetchIntoMemory(std::u16string_view url, std::u16string_view path, std::string& body,
                     uint32_t bodyLimit = kFetchBodyLimit);
bool FetchIntoMemory(std::u16string_view url, std::u16string_view path, std::string& body,
                     const FetchOptions& options, FetchReply* reply);

// Renames `from` to `to` unless `to` exists (as MoveFile does); false when
// refused or failed, and `from` then stays.
bool RenameNoReplace(std::u16string_view from, std::u16string_view to);

// Appended to the target of FetchViaTempFile while the download runs.
inline constexpr char16_t kFetchTempSuffix[] = u".tmp";
