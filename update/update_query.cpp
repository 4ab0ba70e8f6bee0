// The reply is not parsed as XML: the version is whatever stands between the
// first "<appver>" and the first "</appver>". It is stored in the settings
// file and printed by the notice, so only printable ASCII is accepted; any
// other byte (a line break would add a key to the settings file) leaves
// newver as it was.
#include "update/update_query.h"

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>

#include "base/fixed_text.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "base/saver_app.h"
#include "base/text.h"
#include "net/endpoints.h"
#include "net/http_fetcher.h"
#include "settings/settings.h"

namespace {
constexpr char16_t kReplyName[] = u"update.xml";
constexpr std::string_view kOpenTag = "<appver>";
constexpr std::string_view kCloseTag = "</appver>";
constexpr std::size_t kVersionChars = 9;

bool BuildQueryUrl(PathText& url) {
    std::u16string guid;
    {
        std::lock_guard<std::mutex> lock(SettingsLock);
        guid = Settings.guid.str();
    }
    url.Assign(ServiceBase(Service::UpdateService));
    return url.Append(u"/screensavers/update.php?app=") && url.Append(SaverApp.AppId) &&
           url.Append(u"&ver=") && url.Append(SaverApp.Version) && url.Append(u"&uid=") &&
           url.Append(guid) && url.Append(u"&os=") && url.Append(kOsName) &&
           url.Append(u"&osver=") && url.Append(OsVersionText());
}

bool Printable(std::string_view text) {
    for (char c : text)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

}  // namespace

bool ParseUpdateReply(std::string_view reply, std::u16string& version) {
    std::string_view text = reply.substr(0, reply.find('\0'));
    std::size_t open = text.find(kOpenTag);
    std::size_t close = text.find(kCloseTag);
    if (open == std::string_view::npos || close == std::string_view::npos || close <= open)
        return false;
    std::string_view found = text.substr(open + kOpenTag.size(), close - open - kOpenTag.size());
    found = found.substr(0, kVersionChars);
    if (!Printable(found)) return false;
    version = AsciiToUtf16(found);
    return true;
}

void QueryUpdate() {
    PathText url, replyPath;
    if (!DataFilePath(kReplyName, replyPath)) return;
    std::string reply;
    // An address that does not fit is not sent cut short; it counts as no reply.
    if (BuildQueryUrl(url) && FetchIntoMemory(url.view(), replyPath.view(), reply,
                                              ServiceBodyLimit(Service::UpdateService))) {
        if (std::u16string version; ParseUpdateReply(reply, version)) StoreNewVersion(version);
        // A save that fails is tried again after the next reply.
        static_cast<void>(SaveSettings());
    }
    std::error_code ec;
    std::filesystem::remove(ToPath(replyPath.view()), ec);
}
