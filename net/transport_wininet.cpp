// WinInet transport: the request flags of the saver's downloads, the
// system's proxy settings, and reads of at most 4096 bytes. WinInet calls
// block, so abandonment is noticed between calls.
//
// Implemented / Missing (net/transport.h on WinInet): every call; see
// transport.h for the list.
#include <windows.h>
#include <wininet.h>

#include <string>

#include "net/transport.h"

struct Transfer {
    HINTERNET root = nullptr;
    HINTERNET request = nullptr;
};

namespace {
bool Cancelled(TransportCancel cancel) {
    return cancel.abandoned && cancel.abandoned(cancel.context);
}

std::wstring Wide(std::u16string_view s) {
    return std::wstring(s.begin(), s.end());
}
}  // namespace

Transfer* TransportOpen(std::u16string_view url, TransportCancel cancel) {
    std::string agent(kTransportUserAgent);
    HINTERNET root = InternetOpenW(Wide(std::u16string(agent.begin(), agent.end())).c_str(),
                                   INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!root) return nullptr;
    if (Cancelled(cancel)) {
        InternetCloseHandle(root);
        return nullptr;
    }
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_RESYNCHRONIZE |
                        INTERNET_FLAG_HYPERLINK;
    HINTERNET request = InternetOpenUrlW(root, Wide(url).c_str(), nullptr, 0, flags, 0);
    if (!request || Cancelled(cancel)) {
        if (request) InternetCloseHandle(request);
        InternetCloseHandle(root);
        return nullptr;
    }
    return new Transfer{root, request};
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
    DWORD got = 0;
    if (!InternetReadFile(t->request, buffer, static_cast<DWORD>(size), &got)) return -1;
    if (Cancelled(cancel)) return -1;
    return static_cast<long>(got);
}

void TransportClose(Transfer* t) {
    if (!t) return;
    InternetCloseHandle(t->request);
    InternetCloseHandle(t->root);
    delete t;
}
