#include "net/endpoints.h"

#include "base/saver_app.h"
#include "base/text.h"
#include "net/redirect_rule.h"

namespace {
constexpr uint32_t kKiB = 1024;
constexpr uint32_t kMiB = 1024 * kKiB;

struct EndpointRow {
    Service service;
    const char16_t* base;
    uint32_t bodyLimit;  // see ServiceBodyLimit
};
constexpr EndpointRow kEndpoints[] = {
    {Service::PhotoSite, u"http://photos.skyreel.example", 4 * kMiB},
    {Service::ImageServer, u"http://images.skyreel.example", 16 * kMiB},
    {Service::UpdateService, u"" SKYREEL_UPDATE_SERVICE, 64 * kKiB},
    {Service::WeatherService, u"http://weather.skyreel.example", 1 * kMiB},
    {Service::MakerHome, u"http://www.velmora.example", 4 * kMiB},
    {Service::CommonsApi, u"https://commons.wikimedia.org", 4 * kMiB},
    {Service::CommonsUpload, u"https://upload.wikimedia.org", 16 * kMiB},
    {Service::CommonsThumb, u"https://thumb.wikimedia.org", 16 * kMiB},
    {Service::OpenMeteoApi, u"https://api.open-meteo.com", 1 * kMiB},
    {Service::OpenMeteoGeocoding, u"https://geocoding-api.open-meteo.com", 1 * kMiB},
};
constexpr Service kMediaHosts[] = {Service::CommonsUpload, Service::CommonsThumb};

const EndpointRow& RowOf(Service s) {
    for (const auto& row : kEndpoints)
        if (row.service == s) return row;
    return kEndpoints[0];
}

// Set once at start-up from the command line, before any thread starts.
std::u16string g_override;

// Printable ASCII, without blanks, quotes, angle brackets or backslashes.
bool UrlCharAllowed(char c) {
    return c > 0x20 && c < 0x7F && c != '"' && c != '\'' && c != '<' && c != '>' && c != '\\' &&
           c != '`';
}

bool ValidHost(std::u16string_view host) {
    if (host.empty() || host.size() > 200) return false;
    for (char16_t c : host) {
        bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                  (c >= u'0' && c <= u'9') || c == u'.' || c == u'-';
        if (!ok) return false;
    }
    return true;
}

// The file:// URL of an absolute path: "/usr/x" or "C:\x" (also with "/"),
// everything but unreserved ASCII and the separators percent-encoded as UTF-8.
std::u16string FileUrl(std::u16string_view absolutePath) {
    // A drive letter marks a Windows path, whose backslashes are separators;
    // on POSIX a backslash is part of a name.
    const bool windows = absolutePath.size() >= 2 && absolutePath[1] == u':';
    std::u16string url = windows ? u"file:///" : u"file://";
    constexpr char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : Utf16ToUtf8(absolutePath)) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                          c == '/' || (windows && c == ':');
        if (keep) {
            url += char16_t(c);
        } else if (windows && c == '\\') {
            url += u'/';
        } else {
            url += u'%';
            url += char16_t(kHex[c >> 4]);
            url += char16_t(kHex[c & 15]);
        }
    }
    return url;
}
}  // namespace

std::u16string ServiceBase(Service s) {
    if (!g_override.empty()) return g_override;
    return RowOf(s).base;
}

uint32_t ServiceBodyLimit(Service s) {
    return RowOf(s).bodyLimit;
}

std::vector<std::string> RedirectHostsOf(Service s) {
    auto host = [](Service of) { return UrlHost(Utf16ToUtf8(ServiceBase(of))); };
    if (s == Service::CommonsUpload || s == Service::CommonsThumb)
        return {host(Service::CommonsUpload), host(Service::CommonsThumb)};
    return {host(s)};
}

bool SetSiteOverride(std::u16string_view url) {
    std::u16string_view scheme;
    for (std::u16string_view s : {u"http://", u"https://"})
        if (url.size() >= s.size() && EqualsNoCase(url.substr(0, s.size()), s)) scheme = s;
    if (scheme.empty()) return false;
    std::u16string_view rest = url.substr(scheme.size());
    if (!rest.empty() && rest.back() == u'/') rest.remove_suffix(1);
    std::u16string_view host = rest;
    if (auto colon = rest.find(u':'); colon != std::u16string_view::npos) {
        host = rest.substr(0, colon);
        std::u16string_view port = rest.substr(colon + 1);
        if (port.empty() || port.size() > 5) return false;
        for (char16_t c : port)
            if (c < u'0' || c > u'9') return false;
        if (ParseDecimal(port) < 1 || ParseDecimal(port) > 65535) return false;
    }
    if (!ValidHost(host)) return false;
    g_override = std::u16string(scheme) + std::u16string(rest);
    return true;
}

bool SiteOverridden() {
    return !g_override.empty();
}

bool UpdateServiceConfigured() {
    return !ServiceBase(Service::UpdateService).empty();
}

std::u16string DescriptiveAgentPrefix() {
    return u"Skyreel/" + std::u16string(SaverApp.Version) + u" (" +
           Utf8ToUtf16(SKYREEL_AGENT_CONTACT) + u")";
}

std::u16string CommonsMediaUrl(std::string_view url) {
    if (url.size() > kLongUrlLimit || url.find("..") != std::string_view::npos) return {};
    for (char c : url)
        if (!UrlCharAllowed(c)) return {};
    const std::u16string wide = AsciiToUtf16(url);
    for (Service host : kMediaHosts) {
        std::u16string base = RowOf(host).base;
        base += u'/';
        if (wide.starts_with(base)) return ServiceBase(host) + wide.substr(base.size() - 1);
    }
    if (SiteOverridden() && wide.starts_with(g_override + u'/')) return wide;
    return {};
}

std::string ThumbnailPrefix() {
    return Utf16ToUtf8(ServiceBase(Service::ImageServer)) + "/aviation-photos/small/";
}

std::u16string PhotoPrefix() {
    return ServiceBase(Service::ImageServer) + u"/aviation-photos/photos/";
}

std::u16string MakerAddress() {
    const std::u16string base = ServiceBase(Service::MakerHome);
    return base.substr(base.find(u"://") + 3) + u"/screensavers";
}

std::u16string HomeWebsiteUrl(std::u16string_view installedReadme) {
    if (SiteOverridden()) return ServiceBase(Service::MakerHome) + u"/screensavers";
    return FileUrl(installedReadme);
}
