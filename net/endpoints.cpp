#include "net/endpoints.h"

#include "base/text.h"

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
    {Service::UpdateService, u"http://update.velmora.example", 64 * kKiB},
    {Service::WeatherService, u"http://weather.skyreel.example", 1 * kMiB},
    {Service::MakerHome, u"http://www.velmora.example", 4 * kMiB},
};

const EndpointRow& RowOf(Service s) {
    for (const auto& row : kEndpoints)
        if (row.service == s) return row;
    return kEndpoints[0];
}

// Set once at start-up from the command line, before any thread starts.
std::u16string g_override;

bool ValidHost(std::u16string_view host) {
    if (host.empty() || host.size() > 200) return false;
    for (char16_t c : host) {
        bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                  (c >= u'0' && c <= u'9') || c == u'.' || c == u'-';
        if (!ok) return false;
    }
    return true;
}
}  // namespace

std::u16string ServiceBase(Service s) {
    if (!g_override.empty()) return g_override;
    return RowOf(s).base;
}

uint32_t ServiceBodyLimit(Service s) {
    return RowOf(s).bodyLimit;
}

bool SetSiteOverride(std::u16string_view url) {
    constexpr std::u16string_view kScheme = u"http://";
    if (url.size() < kScheme.size() || !EqualsNoCase(url.substr(0, kScheme.size()), kScheme))
        return false;
    std::u16string_view rest = url.substr(kScheme.size());
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
    g_override = u"http://" + std::u16string(rest);
    return true;
}

std::string ThumbnailPrefix() {
    return Utf16ToUtf8(ServiceBase(Service::ImageServer)) + "/aviation-photos/small/";
}

std::u16string PhotoPrefix() {
    return ServiceBase(Service::ImageServer) + u"/aviation-photos/photos/";
}

std::u16string MakerAddress() {
    return ServiceBase(Service::MakerHome).substr(7) + u"/screensavers";
}

std::u16string MakerHomeUrl() {
    return ServiceBase(Service::MakerHome) + u"/screensavers";
}
