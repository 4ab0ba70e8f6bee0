// The command line: arguments are the input's pieces between zero bytes.
// Whatever they are, the run mode is one of the three, accepted values are
// in range, and an accepted --site leaves nothing but scheme, host and port
// in the base of every service.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "host/command_line.h"
#include "host/run_mode.h"
#include "net/endpoints.h"

namespace {
bool BaseIsSchemeHostPort(const std::u16string& base) {
    std::size_t scheme = 0;
    for (std::u16string_view s : {u"http://", u"https://"})
        if (base.starts_with(s)) scheme = s.size();
    if (scheme == 0) return false;
    for (char16_t c : base.substr(scheme)) {
        bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                  (c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u':';
        if (!ok) return false;
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args;
    std::string piece;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(piece);
            piece.clear();
        } else {
            piece.push_back(static_cast<char>(data[i]));
        }
    }
    args.push_back(piece);

    HostOptions o = ParseHostOptions(args);
    Require(o.mode.runMode == Saver || o.mode.runMode == Setup || o.mode.runMode == Preview,
            "one of the three run modes");
    if (!o.error.empty()) return 0;
    Require(o.slideMillis == -1 || (o.slideMillis >= 1 && o.slideMillis <= 24 * 3600 * 1000),
            "a slide time in range");
    Require(!o.hasWindowId || o.windowId != 0, "a window ID names a window");
    if (!o.site.empty() && SetSiteOverride(o.site))
        Require(BaseIsSchemeHostPort(ServiceBase(Service::PhotoSite)),
                "--site sets scheme, host and port only");
    return 0;
}
