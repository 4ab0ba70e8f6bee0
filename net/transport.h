// Transport: the seam between the portable download logic (http_fetcher.cpp)
// and the HTTP library of the platform. One backend file per platform:
//   transport_curl.cpp (Linux, libcurl)
//   transport_wininet.cpp (Win32, WinInet)
//
// Implemented (curl / WinInet):
//   [x] TransportOpen   request with the chosen user agent, no cache, redirects
//                       followed as net/redirect_rule.h allows (a refused one
//                       ends the request with its own 3xx status, nothing
//                       asked of its target), proxy from the environment, else the
//                       desktop's (curl: GIO's resolver; WinInet: the
//                       system's, preconfigured), HTTPS with the
//                       system's certificate check (never turned off); returns
//                       once the final response's headers are in
//   [x] TransportRetryAfter  the Retry-After of the final response, in seconds
//   [x] TransportStatus status code text of the final response
//   [x] TransportContentLength  the length the final response announces
//   [x] TransportRead   at most kTransportReadSize bytes per call
//   [x] TransportClose
//   [x] abandonment noticed within ~50 ms while waiting for the network
//       (WinInet: between its blocking calls)
// Missing: nothing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kTransportReadSize = 4096;
// The fixed agent of the photo site and the saver's other own services.
inline constexpr char kTransportUserAgent[] = "Mozilla/4.0 (compatible; MSIE 7.0; Win32)";

// Which agent a request sends. Wikimedia asks every client to name itself,
// its version and a contact: Descriptive is DescriptiveAgentPrefix()
// (net/endpoints.h) followed by the backend's library and version.
enum class UserAgent { Fixed, Descriptive };

// One open request, owned by the backend.
struct Transfer;

// Asked while the backend waits for the network; true makes the call give up.
struct TransportCancel {
    bool (*abandoned)(const void* context);
    const void* context;
};

// Makes the request, following at most 10 redirects that RedirectAllowed
// (net/redirect_rule.h) allows for `redirectHosts`. Null when it could not
// be made (library not usable, name lookup, connection, request) or when
// the cancel check said so.
Transfer* TransportOpen(std::u16string_view url, UserAgent agent,
                        const std::vector<std::string>& redirectHosts, TransportCancel cancel);

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

// The seconds the final response asks the client to wait (Retry-After as a
// number of seconds), or -1 when it names none or names a date.
int TransportRetryAfter(Transfer* t);
// The backends' shared reading of a Retry-After value (http_fetcher.cpp):
// whole seconds up to a day; -1 for anything else.
int ParseRetryAfter(std::string_view value);

void TransportClose(Transfer* t);
