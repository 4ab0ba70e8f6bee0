// Which redirects a download follows, one rule for both transports: never
// from https to anything else (no silent downgrade to plain http), only to
// http or https, and, when the request names the hosts its source allows
// (a photo download: RedirectHostsOf, net/endpoints.h), only to one of them.
// A refused redirect is not followed: the download ends with the redirect's
// own status, as any other failed one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The host of an absolute http or https URL, in lower case, without user,
// port or path; empty when `url` is no such URL.
std::string UrlHost(std::string_view url);

// True when a request now at `from` may follow a redirect to `to` (both
// absolute). `hosts` empty allows any host. A refusal writes one line to
// the event log.
bool RedirectAllowed(std::string_view from, std::string_view to,
                     const std::vector<std::string>& hosts);
