// The redirect chains both transports are tried on (net_test through
// libcurl, wininet_fetch_test through WinInet under Wine): a photo source on
// 127.0.0.1 whose downloads may reach only that host, and another host,
// "localhost", on a second loopback server.
#pragma once

#include <string>

#include "support/http_test_server.h"

struct RedirectChain {
    const char* path;     // asked on the photo source
    bool photo;           // a photo download: only 127.0.0.1 allowed
    const char* arrives;  // the body stored; "" when the redirect is refused
    int elsewhere;        // requests the other host saw
};

inline constexpr RedirectChain kRedirectChains[] = {
    {"/same-host", true, "the photo", 0},   {"/other-host", true, "", 0},
    {"/then-other-host", true, "", 0},  // refused at the second redirect
    {"/other-host", false, "elsewhere", 1}, {"/ftp", false, "", 0},
};

inline void ServeRedirectChains(HttpTestServer& source, HttpTestServer& other) {
    const std::string away = "http://localhost:" + std::to_string(other.port()) + "/photo.jpg";
    source.Serve("/photo.jpg", "the photo");
    source.Redirect("/same-host", "/photo.jpg");
    source.Redirect("/other-host", away);
    source.Redirect("/then-other-host", "/other-host");
    source.Redirect("/ftp", "ftp://127.0.0.1/photo.jpg");
    other.Serve("/photo.jpg", "elsewhere");
}
