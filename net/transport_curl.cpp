// libcurl backend of the transport seam.
//
// How it works: one easy handle per request, driven through its own multi
// handle so that every wait on the network is a curl_multi_poll of at most
// 50 ms, after which the cancel check runs; an abandoned download therefore
// stops within a poll period instead of hanging in a blocking call. The body
// arrives through the write callback into a small staging buffer that the
// reads drain in pieces of at most 4096 bytes; when the buffer is full the
// callback pauses the transfer until it has been drained, so memory stays
// bounded whatever the server sends.
//
// Proxies: when the environment names one (http_proxy, https_proxy,
// all_proxy, as libcurl reads them), libcurl uses it as it always did. Else
// the desktop's proxy is used: GIO's resolver (GNOME's or KDE's settings, PAC,
// through glib-networking) is asked for each request's address, off the main
// thread on the transfer thread, in a private GMainContext iterated for at
// most 2 s while the cancel check runs; its first answer becomes
// CURLOPT_PROXY, and direct://, an unknown scheme, an error or the time-out
// mean a direct connection (CURLOPT_PROXY "", so libcurl adds nothing of its
// own). The resolver reads the desktop's settings once per process; the saver
// runs no GLib main loop that would deliver later changes.
//
// Redirects: libcurl follows them (at most 10, http and https only, https
// only from an https address), but each one is first put to RedirectAllowed
// (net/redirect_rule.h) at the end of the redirect's headers: its Location
// resolved against the address it answered for. A refused one aborts the
// transfer there, before libcurl asks the target anything, and the request
// ends with the redirect's own status.
//
// Implemented / Missing (net/transport.h on libcurl): every call; see
// transport.h for the list.
#include <curl/curl.h>
#include <gio/gio.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "net/endpoints.h"
#include "net/redirect_rule.h"
#include "net/transport.h"

// Used by the one transfer thread that opened it, and by no other.
struct Transfer {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    curl_slist* headers = nullptr;
    std::string staged;        // body bytes received and not read yet
    std::size_t consumed = 0;  // bytes of `staged` already handed out
    bool paused = false;
    bool sawLocation = false;                // the current response names a redirect target
    std::string location;                    // its Location value, as sent
    std::vector<std::string> redirectHosts;  // where a redirect may lead; empty: anywhere
    bool headersDone = false;                // the final response's headers are complete
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

// True when the redirect now in its headers may be followed: its Location
// resolved against the address that answered, put to RedirectAllowed.
bool RedirectFollows(Transfer* t) {
    char* current = nullptr;
    curl_easy_getinfo(t->easy, CURLINFO_EFFECTIVE_URL, &current);
    if (!current) return false;
    CURLU* u = curl_url();
    char* target = nullptr;
    if (u && curl_url_set(u, CURLUPART_URL, current, 0) == CURLUE_OK &&
        curl_url_set(u, CURLUPART_URL, t->location.c_str(), 0) == CURLUE_OK)
        curl_url_get(u, CURLUPART_URL, &target, 0);
    const bool allowed = target && RedirectAllowed(current, target, t->redirectHosts);
    curl_free(target);
    curl_url_cleanup(u);
    return allowed;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    size_t n = size * count;
    std::string_view line(data, n);
    if (line.starts_with("HTTP/")) {
        t->sawLocation = false;
        t->retryAfter = -1;
    }
    if (line.size() > 9 && EqualsNoCase(AsciiToUtf16(line.substr(0, 9)), u"location:")) {
        t->sawLocation = true;
        std::string_view value = line.substr(9);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove_prefix(1);
        while (!value.empty() && (value.back() == '\r' || value.back() == '\n' ||
                                  value.back() == ' ' || value.back() == '\t'))
            value.remove_suffix(1);
        t->location.assign(value);
    }
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
        if (followed && !RedirectFollows(t)) {
            // A count other than n aborts the transfer before it follows.
            t->headersDone = true;
            return 0;
        }
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
constexpr auto kResolverLimit = std::chrono::seconds(2);
// After a cancelled lookup, how long its answer is awaited before it is left
// behind (a resolver that ignores cancellation must not hold the request).
constexpr auto kResolverGrace = std::chrono::milliseconds(200);

// The proxy variables libcurl reads. HTTP_PROXY is not among them: libcurl
// ignores it because under CGI it is a request header.
bool EnvironmentNamesAProxy() {
    for (const char* name :
         {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

// The libcurl proxy for one answer of GIO's resolver; empty for a direct
// connection (direct:// and schemes libcurl cannot speak).
std::string CurlProxyFor(std::string_view answer) {
    std::size_t end = answer.find("://");
    if (end == std::string_view::npos) return {};
    std::u16string scheme = AsciiToUtf16(answer.substr(0, end));
    for (std::u16string_view known :
         {u"http", u"https", u"socks4", u"socks4a", u"socks5", u"socks5h"})
        if (EqualsNoCase(scheme, known)) return std::string(answer);
    return {};
}

// One lookup's answer. Written by OnProxiesFound, which runs only inside
// g_main_context_iteration on the asking thread; a lookup left behind after
// its grace is never dispatched (nobody iterates its context again), so its
// state is leaked rather than freed under it.
struct ProxyLookup {
    bool done = false;
    std::string proxy;  // first answer, as libcurl takes it
};

void OnProxiesFound(GObject* resolver, GAsyncResult* result, gpointer user) {
    auto* lookup = static_cast<ProxyLookup*>(user);
    gchar** proxies = g_proxy_resolver_lookup_finish(G_PROXY_RESOLVER(resolver), result, nullptr);
    if (proxies && proxies[0]) lookup->proxy = CurlProxyFor(proxies[0]);
    g_strfreev(proxies);
    lookup->done = true;
}

gboolean KeepTicking(gpointer) {
    return G_SOURCE_CONTINUE;
}

// The desktop's proxy for `url`, empty for none. Blocks the calling transfer
// thread for at most kResolverLimit plus the grace, less when `cancel` says so.
std::string DesktopProxy(const std::string& url, TransportCancel cancel) {
    // Made before the private context is pushed, so that the resolver's
    // long-lived objects do not bind to a context that is about to go.
    GProxyResolver* resolver = g_proxy_resolver_get_default();
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    GCancellable* cancellable = g_cancellable_new();
    auto* lookup = new ProxyLookup;
    g_proxy_resolver_lookup_async(resolver, url.c_str(), cancellable, OnProxiesFound, lookup);
    // Wakes the waits below so the deadline and the cancel check are seen.
    GSource* tick = g_timeout_source_new(kPollMillis);
    g_source_set_callback(tick, KeepTicking, nullptr, nullptr);
    g_source_attach(tick, context);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + kResolverLimit;
    Clock::time_point givenUp{};
    while (!lookup->done) {
        Clock::time_point now = Clock::now();
        if (givenUp == Clock::time_point{} && (now >= deadline || Cancelled(cancel))) {
            g_cancellable_cancel(cancellable);
            givenUp = now;
        }
        if (givenUp != Clock::time_point{} && now - givenUp >= kResolverGrace) break;
        g_main_context_iteration(context, TRUE);
    }
    std::string proxy;
    if (lookup->done) {
        proxy = lookup->proxy;
        delete lookup;
    }
    g_source_destroy(tick);
    g_source_unref(tick);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    g_object_unref(cancellable);
    return proxy;
}

std::string AgentText(UserAgent agent) {
    if (agent == UserAgent::Fixed) return kTransportUserAgent;
    return Utf16ToUtf8(DescriptiveAgentPrefix()) + " libcurl/" +
           curl_version_info(CURLVERSION_NOW)->version;
}
}  // namespace

Transfer* TransportOpen(std::u16string_view url, UserAgent agent,
                        const std::vector<std::string>& redirectHosts, TransportCancel cancel) {
    std::call_once(g_globalInit, [] { g_globalReady = curl_global_init(CURL_GLOBAL_ALL) == 0; });
    if (!g_globalReady) return nullptr;

    auto* t = new Transfer;
    t->redirectHosts = redirectHosts;
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
    // RedirectFollows refuses a downgrade too; libcurl's own rule backs it.
    const bool secure = EqualsNoCase(url.substr(0, 8), u"https://");
    curl_easy_setopt(t->easy, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(t->easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(t->easy, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(t->easy, CURLOPT_HEADERDATA, t);
    curl_easy_setopt(t->easy, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(t->easy, CURLOPT_WRITEDATA, t);
    if (!EnvironmentNamesAProxy()) {
        const std::string proxy = DesktopProxy(u, cancel);
        curl_easy_setopt(t->easy, CURLOPT_PROXY, proxy.c_str());  // libcurl keeps a copy
    }
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
