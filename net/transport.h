// Transport: the seam between the portable download logic (http_fetcher.cpp)
// and the HTTP library of the platform. One backend file per platform:
//   transport_curl.cpp (Linux, libcurl)
//   transport_wininet.cpp (Win32, WinInet)
//
// Implemented (curl / WinInet):
//   [x] TransportOpen   request with the fixed user agent, no cache, redirects
//                       followed, proxy from the environment; returns once the
//                       final response's headers are in
//   [x] TransportStatus status code text of the final response
//   [x] TransportContentLength  the length the final response announces
//   [x] TransportRead   at most kTransportReadSize bytes per call
//   [x] TransportClose
//   [x] abandonment noticed within ~50 ms while waiting for the network
//       (WinInet: between its blocking calls)
// Missing: nothing.
#pragma once

#include <cstddef>
#include <string_view>

inline constexpr std::size_t kTransportReadSize = 4096;
inline constexpr char kTransportUserAgent[] = "Mozilla/4.0 (compatible; MSIE 7.0; Win32)";

// One open request, owned by the backend.
struct Transfer;

// Asked while the backend waits for the network; true makes the call give up.
struct TransportCancel {
    bool (*abandoned)(const void* context);
    const void* context;
};

// Makes the request. Null when it could not be made (library not usable,
// name lookup, connection, request) or when the cancel check said so.
Transfer* TransportOpen(std::u16string_view url, TransportCancel cancel);

// The status code of the final response as text ("200"), at most three
// characters plus the terminator; empty when unknown.
void TransportStatus(Transfer* t, char (&status)[4]);

// The body length announced by the final response's headers, or -1 when it
// announces none.
long long TransportContentLength(Transfer* t);

// Reads up to `size` (at most kTransportReadSize) body bytes into `buffer`.
// Returns the count read (above 0), 0 at the clean end of the body, or -1
// when the transfer broke or was cancelled.
long TransportRead(Transfer* t, char* buffer, std::size_t size, TransportCancel cancel);

void TransportClose(Transfer* t);
