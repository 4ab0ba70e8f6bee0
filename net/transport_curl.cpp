// libcurl backend of the transport seam.
//
// How it works: one easy handle per request, driven through its own multi
// handle so that every wait on the network is a curl_multi_poll of at most
// 50 ms, after which the cancel check runs; an abandoned download therefore
// stops within a poll period instead of hanging in a blocking call. The body
// arrives through the write callback into a small staging buffer that the
// reads drain in pieces of at most 4096 bytes; when the buffer is full the
// callback pauses the transfer until it has been drained, so memory stays
// bounded whatever the server sends. Proxies come from the usual
// environment variables (http_proxy, no_proxy...), which libcurl reads itself.
//
// Implemented / Missing (net/transport.h on libcurl): every call; see
// transport.h for the list.
#include <curl/curl.h>

#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "base/text.h"
#include "net/endpoints.h"
#include "net/transport.h"

// Used by the one transfer thread that opened it, and by no other.
struct Transfer {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    curl_slist* headers = nullptr;
    std::string staged;        // body bytes received and not read yet
    std::size_t consumed = 0;  // bytes of `staged` already handed out
    bool paused = false;
    bool sawLocation = false;  // the current response names a redirect target
    bool headersDone = false;  // the final response's headers are complete
    bool done = false;
    CURLcode result = CURLE_OK;
    int retryAfter = -1;  // of the current response
};

namespace {
constexpr int kPollMillis = 50;
constexpr std::size_t kStagingLimit = 64 * 1024;

// curl_global_init runs once per process (never cleaned up: transfer threads
// may outlive everything else); g_globalReady is written inside call_once.
std::once_flag g_globalInit;
bool g_globalReady = false;

bool Cancelled(TransportCancel cancel) {
    return cancel.abandoned && cancel.abandoned(cancel.context);
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    size_t n = size * count;
    std::string_view line(data, n);
    if (line.starts_with("HTTP/")) {
        t->sawLocation = false;
        t->retryAfter = -1;
    }
    if (line.size() > 9 && EqualsNoCase(AsciiToUtf16(line.substr(0, 9)), u"location:"))
        t->sawLocation = true;
    constexpr std::string_view kRetryAfter = "retry-after:";
    if (line.size() > kRetryAfter.size() &&
        EqualsNoCase(AsciiToUtf16(line.substr(0, kRetryAfter.size())), AsciiToUtf16(kRetryAfter)))
        t->retryAfter = ParseRetryAfter(line.substr(kRetryAfter.size()));
    if (line == "\r\n" || line == "\n") {
        long code = 0;
        curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &code);
        // Interim (1xx) responses and redirects that curl follows are not final.
        bool interim = code >= 100 && code < 200;
        bool followed = code >= 300 && code < 400 && t->sawLocation;
        if (!interim && !followed) t->headersDone = true;
    }
    return n;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    size_t n = size * count;
    if (t->staged.size() - t->consumed >= kStagingLimit) {
        t->paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    t->headersDone = true;
    t->staged.append(data, n);
    return n;
}

// Moves the transfer on, waiting at most one poll period for the network.
void Pump(Transfer* t) {
    std::size_t stagedBefore = t->staged.size();
    int running = 0;
    curl_multi_perform(t->multi, &running);
    int queued = 0;
    while (CURLMsg* msg = curl_multi_info_read(t->multi, &queued)) {
        if (msg->msg == CURLMSG_DONE) {
            t->done = true;
            t->result = msg->data.result;
        }
    }
    // Wait only when nothing came; a paused transfer would not wake the poll.
    bool progressed = t->staged.size() != stagedBefore || t->paused;
    if (!t->done && running > 0 && !progressed)
        curl_multi_poll(t->multi, nullptr, 0, kPollMillis, nullptr);
}
}  // namespace

namespace {
std::string AgentText(UserAgent agent) {
    if (agent == UserAgent::Fixed) return kTransportUserAgent;
    return Utf16ToUtf8(DescriptiveAgentPrefix()) + " libcurl/" +
           curl_version_info(CURLVERSION_NOW)->version;
}
}  // namespace

Transfer* TransportOpen(std::u16string_view url, UserAgent agent, TransportCancel cancel) {
    std::call_once(g_globalInit, [] { g_globalReady = curl_global_init(CURL_GLOBAL_ALL) == 0; });
    if (!g_globalReady) return nullptr;

    auto* t = new Transfer;
    t->easy = curl_easy_init();
    t->multi = curl_multi_init();
    if (!t->easy || !t->multi) {
        TransportClose(t);
        return nullptr;
    }
    std::string u = Utf16ToUtf8(url);
    t->headers = curl_slist_append(t->headers, "Cache-Control: no-cache");
    t->headers = curl_slist_append(t->headers, "Pragma: no-cache");
    curl_easy_setopt(t->easy, CURLOPT_URL, u.c_str());
    const std::string agentText = AgentText(agent);
    curl_easy_setopt(t->easy, CURLOPT_USERAGENT, agentText.c_str());  // libcurl keeps a copy
    curl_easy_setopt(t->easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(t->easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(t->easy, CURLOPT_HTTPHEADER, t->headers);
    curl_easy_setopt(t->easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(t->easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(t->easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(t->easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(t->easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(t->easy, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(t->easy, CURLOPT_HEADERDATA, t);
    curl_easy_setopt(t->easy, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(t->easy, CURLOPT_WRITEDATA, t);
    if (curl_multi_add_handle(t->multi, t->easy) != CURLM_OK) {
        TransportClose(t);
        return nullptr;
    }
    while (!t->headersDone && !t->done) {
        if (Cancelled(cancel)) {
            TransportClose(t);
            return nullptr;
        }
        Pump(t);
    }
    // A request that ended before any response (refused, name lookup) failed.
    long code = 0;
    curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &code);
    if (code == 0) {
        TransportClose(t);
        return nullptr;
    }
    return t;
}

void TransportStatus(Transfer* t, char (&status)[4]) {
    std::memset(status, 0, sizeof status);
    long code = 0;
    if (curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &code) != CURLE_OK) return;
    if (code >= 100 && code <= 999) {
        std::string text = std::to_string(code);
        std::memcpy(status, text.data(), 3);
    }
}

long long TransportContentLength(Transfer* t) {
    curl_off_t length = -1;
    if (curl_easy_getinfo(t->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK)
        return -1;
    return length < 0 ? -1 : static_cast<long long>(length);
}

long TransportRead(Transfer* t, char* buffer, std::size_t size, TransportCancel cancel) {
    if (size > kTransportReadSize) size = kTransportReadSize;
    for (;;) {
        std::size_t available = t->staged.size() - t->consumed;
        if (available > 0) {
            std::size_t n = available < size ? available : size;
            std::memcpy(buffer, t->staged.data() + t->consumed, n);
            t->consumed += n;
            return static_cast<long>(n);
        }
        t->staged.clear();
        t->consumed = 0;
        if (t->done) return t->result == CURLE_OK ? 0 : -1;
        if (Cancelled(cancel)) return -1;
        if (t->paused) {
            // Resuming may deliver the held-back data at once, through OnBody.
            t->paused = false;
            curl_easy_pause(t->easy, CURLPAUSE_CONT);
            continue;
        }
        Pump(t);
    }
}

int TransportRetryAfter(Transfer* t) {
    return t->retryAfter;
}

void TransportClose(Transfer* t) {
    if (!t) return;
    if (t->multi && t->easy) curl_multi_remove_handle(t->multi, t->easy);
    if (t->easy) curl_easy_cleanup(t->easy);
    if (t->multi) curl_multi_cleanup(t->multi);
    curl_slist_free_all(t->headers);
    delete t;
}
