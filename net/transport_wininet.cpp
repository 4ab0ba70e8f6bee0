// WinInet transport: the request flags of the saver's downloads, the
// system's proxy settings, and reads of at most 4096 bytes. WinInet calls
// block, so abandonment is noticed between calls. A read of zero bytes is
// the end of the body only when it leaves the last-error value 0; with
// ERROR_IO_PENDING the data is still on its way and the read is repeated,
// with any other value the body is incomplete. Two mends on that rule:
//  - WinInet ends a body cut short by a dropped connection like a whole
//    one, so the end is also checked against the Content-Length when the
//    response names one;
//  - a read fills the whole buffer before it returns, which would hide a
//    trickle from the slow-transfer watch for up to 4096 bytes, so each
//    read asks only for what InternetQueryDataAvailable says has arrived.
// The agent is given to InternetOpenW, so each request opens its own root
// handle: the photo site's fixed agent and Wikimedia's descriptive one never
// share a handle.
//
// Redirects are followed here, not by WinInet (INTERNET_FLAG_NO_AUTO_REDIRECT):
// each Location, resolved against the address that answered, is put to
// RedirectAllowed (net/redirect_rule.h) before it is asked, at most 10 times;
// a refused one stays the final response with its own status.
//
// Implemented / Missing (net/transport.h on WinInet): every call; see
// transport.h for the list.
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "net/endpoints.h"
#include "net/redirect_rule.h"
#include "net/transport.h"

struct Transfer {
    HINTERNET root = nullptr;
    HINTERNET request = nullptr;
    bool lengthKnown = false;
    uint64_t length = 0;  // the Content-Length, when known
    uint64_t received = 0;
};

namespace {
bool Cancelled(TransportCancel cancel) {
    return cancel.abandoned && cancel.abandoned(cancel.context);
}

std::wstring Wide(std::u16string_view s) {
    return std::wstring(s.begin(), s.end());
}

constexpr int kRedirectsFollowed = 10;

// The absolute target of a redirect response of `request`, which answered
// for `current`; empty when it is none (no 3xx, no Location).
std::wstring RedirectTarget(HINTERNET request, const std::wstring& current) {
    DWORD code = 0;
    DWORD size = sizeof code;
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size,
                        nullptr) ||
        code < 300 || code > 399)
        return {};
    wchar_t location[2084] = {};
    size = sizeof location - sizeof(wchar_t);
    if (!HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location, &size, nullptr)) return {};
    wchar_t target[2084] = {};
    DWORD length = sizeof target / sizeof target[0];
    if (!InternetCombineUrlW(current.c_str(), location, target, &length, ICU_NO_ENCODE)) return {};
    return target;
}

std::string Narrow(const std::wstring& s) {
    return Utf16ToUtf8(std::u16string(s.begin(), s.end()));
}
}  // namespace

Transfer* TransportOpen(std::u16string_view url, UserAgent agent,
                        const std::vector<std::string>& redirectHosts, TransportCancel cancel) {
    const std::u16string agentText = agent == UserAgent::Fixed
                                         ? AsciiToUtf16(kTransportUserAgent)
                                         : DescriptiveAgentPrefix() + u" WinInet";
    HINTERNET root =
        InternetOpenW(Wide(agentText).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!root) return nullptr;
    if (Cancelled(cancel)) {
        InternetCloseHandle(root);
        return nullptr;
    }
    // An https address gets WinInet's certificate check; no flag here
    // (INTERNET_FLAG_IGNORE_CERT_*) ever turns it off.
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_RESYNCHRONIZE |
                        INTERNET_FLAG_HYPERLINK | INTERNET_FLAG_NO_AUTO_REDIRECT;
    std::wstring current = Wide(url);
    HINTERNET request = nullptr;
    for (int hop = 0;; ++hop) {
        request = InternetOpenUrlW(root, current.c_str(), nullptr, 0, flags, 0);
        if (!request || Cancelled(cancel)) {
            if (request) InternetCloseHandle(request);
            InternetCloseHandle(root);
            return nullptr;
        }
        const std::wstring next =
            hop < kRedirectsFollowed ? RedirectTarget(request, current) : std::wstring();
        if (next.empty() || !RedirectAllowed(Narrow(current), Narrow(next), redirectHosts)) break;
        InternetCloseHandle(request);
        current = next;
    }
    auto* t = new Transfer{root, request};
    DWORD length = 0;
    DWORD size = sizeof length;
    t->lengthKnown = HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                                    &length, &size, nullptr) != FALSE;
    t->length = length;
    return t;
}

void TransportStatus(Transfer* t, char (&status)[4]) {
    status[0] = status[1] = status[2] = status[3] = 0;
    DWORD length = sizeof status;
    if (!HttpQueryInfoA(t->request, HTTP_QUERY_STATUS_CODE, status, &length, nullptr))
        status[0] = 0;
    status[3] = 0;
}

long long TransportContentLength(Transfer* t) {
    char text[24] = {};
    DWORD length = sizeof text - 1;
    if (!HttpQueryInfoA(t->request, HTTP_QUERY_CONTENT_LENGTH, text, &length, nullptr)) return -1;
    long long value = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9' || value > (1LL << 50)) return -1;
        value = value * 10 + (*c - '0');
    }
    return text[0] ? value : -1;
}

long TransportRead(Transfer* t, char* buffer, std::size_t size, TransportCancel cancel) {
    if (size > kTransportReadSize) size = kTransportReadSize;
    for (;;) {
        DWORD available = 0;
        if (!InternetQueryDataAvailable(t->request, &available, 0, 0)) return -1;
        if (Cancelled(cancel)) return -1;
        const DWORD want = available > 0 && available < size ? available : static_cast<DWORD>(size);
        DWORD got = 0;
        // Only what this read sets counts, not an error left by an earlier call.
        SetLastError(ERROR_SUCCESS);
        if (!InternetReadFile(t->request, buffer, want, &got)) return -1;
        const DWORD error = GetLastError();
        if (Cancelled(cancel)) return -1;
        if (got > 0) {
            t->received += got;
            return static_cast<long>(got);
        }
        if (error == ERROR_SUCCESS) return t->lengthKnown && t->received < t->length ? -1 : 0;
        if (error != ERROR_IO_PENDING) return -1;
    }
}

int TransportRetryAfter(Transfer* t) {
    char text[32] = {};
    DWORD length = sizeof text - 1;
    if (!HttpQueryInfoA(t->request, HTTP_QUERY_RETRY_AFTER, text, &length, nullptr)) return -1;
    return ParseRetryAfter(std::string_view(text, length));
}

void TransportClose(Transfer* t) {
    if (!t) return;
    InternetCloseHandle(t->request);
    InternetCloseHandle(t->root);
    delete t;
}
