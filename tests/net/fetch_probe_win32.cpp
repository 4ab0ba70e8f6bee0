// One download through the Win32 build's HttpFetcher (WinInet), for the
// WinInet tests that run it under Wine against a loopback server:
//   fetch_probe file|temp|memory|wikimedia|photo URL PATH
//   fetch_probe link - -
// prints "true" and, for memory, the length and the buffer's final byte,
// or "false"; wikimedia (a download as the Commons harvest makes it: the
// descriptive agent, long addresses) adds the reply's status and
// Retry-After; photo (redirects only to 127.0.0.1) adds the status. link
// prints the link state's verdict: "go", or why downloads wait. The exit
// code is 0 for true (and link), 1 for false, 2 for bad usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/text.h"
#include "net/endpoints.h"
#include "net/http_fetcher.h"
#include "net/link_state.h"

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const std::u16string url = Utf8ToUtf16(argv[2]);
    const std::u16string path = Utf8ToUtf16(argv[3]);
    bool ok = false;
    if (std::strcmp(argv[1], "file") == 0) {
        ok = FetchToFile(url, path);
        std::printf("%s\n", ok ? "true" : "false");
    } else if (std::strcmp(argv[1], "temp") == 0) {
        ok = FetchViaTempFile(url, path);
        std::printf("%s\n", ok ? "true" : "false");
    } else if (std::strcmp(argv[1], "memory") == 0) {
        std::string body;
        ok = FetchIntoMemory(url, path, body);
        std::printf("%s %zu %d\n", ok ? "true" : "false", body.size(),
                    static_cast<int>(static_cast<unsigned char>(body.c_str()[body.size()])));
    } else if (std::strcmp(argv[1], "wikimedia") == 0) {
        FetchReply reply;
        ok = FetchToFile(url, path,
                         FetchOptions{kFetchBodyLimit, UserAgent::Descriptive, kLongUrlLimit},
                         &reply);
        std::printf("%s %d %d\n", ok ? "true" : "false", static_cast<int>(reply.status),
                    static_cast<int>(reply.retryAfterSeconds));
    } else if (std::strcmp(argv[1], "photo") == 0) {
        FetchReply reply;
        ok = FetchToFile(url, path, FetchOptions{.redirectHosts = {"127.0.0.1"}}, &reply);
        std::printf("%s %d\n", ok ? "true" : "false", static_cast<int>(reply.status));
    } else if (std::strcmp(argv[1], "link") == 0) {
        const char* why = DownloadHoldReason(DecideDownloads(ReadLinkState(), false));
        std::printf("%s\n", *why ? why : "go");
        return 0;
    } else {
        return 2;
    }
    return ok ? 0 : 1;
}
