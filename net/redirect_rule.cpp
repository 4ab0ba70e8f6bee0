#include "net/redirect_rule.h"

#include <algorithm>

#include "base/event_log.h"

namespace {
// The scheme of `url` in lower case ("http"), empty without "://".
std::string SchemeOf(std::string_view url) {
    const std::size_t end = url.find("://");
    if (end == std::string_view::npos) return {};
    std::string scheme(url.substr(0, end));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return scheme;
}

bool Refuse(std::string_view from, std::string_view to, const char* why) {
    LogEvent("request " + std::string(from) + ": redirect to " + std::string(to) + " refused, " +
             why);
    return false;
}
}  // namespace

std::string UrlHost(std::string_view url) {
    const std::string scheme = SchemeOf(url);
    if (scheme != "http" && scheme != "https") return {};
    std::string_view rest = url.substr(scheme.size() + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (const std::size_t at = rest.rfind('@'); at != std::string_view::npos)
        rest = rest.substr(at + 1);
    if (rest.starts_with('[')) {
        rest = rest.substr(0, rest.find(']') + 1);  // an IPv6 literal keeps its brackets
    } else {
        rest = rest.substr(0, rest.find(':'));
    }
    std::string host(rest);
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return host;
}

bool RedirectAllowed(std::string_view from, std::string_view to,
                     const std::vector<std::string>& hosts) {
    const std::string scheme = SchemeOf(to);
    if (scheme != "http" && scheme != "https") return Refuse(from, to, "not http or https");
    if (SchemeOf(from) == "https" && scheme != "https") return Refuse(from, to, "https to http");
    const std::string host = UrlHost(to);
    if (host.empty()) return Refuse(from, to, "no host");
    if (!hosts.empty() && std::find(hosts.begin(), hosts.end(), host) == hosts.end())
        return Refuse(from, to, "a host the source does not allow");
    return true;
}
