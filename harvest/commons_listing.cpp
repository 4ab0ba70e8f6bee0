// Reading is done on a parsed tree (nlohmann-json, parsed without
// exceptions): every value is tested for its type before it is used, so a
// number where a string belongs, or an object where a value belongs, reads
// as absent. The parser builds its tree without recursion and frees it
// without recursion, so deep nesting costs memory, not stack.
#include "harvest/commons_listing.h"

#include <limits>
#include <nlohmann/json.hpp>
#include <unordered_set>

#include "base/text.h"
#include "net/endpoints.h"

namespace {
using nlohmann::json;

// Parameters of every listing, in their fixed place.
constexpr char16_t kListingHead[] =
    u"/w/api.php?action=query&format=json&formatversion=2&maxlag=5"
    u"&generator=categorymembers&";
constexpr char16_t kListingTail[] =
    u"&gcmlimit=50&prop=imageinfo&iiprop=url%7Csize%7Cmime%7Cextmetadata"
    u"&iiextmetadatafilter=ObjectName%7CArtist%7CCredit%7CAttribution%7CLicenseShortName"
    u"%7CLicense%7CNonFree&iiextmetadatalanguage=en&iiurlwidth=";
// The author, most specific first: the credit the licensor asked for, the
// author field, the source field.
constexpr const char* kAuthorFields[] = {"Attribution", "Artist", "Credit"};
constexpr std::size_t kContinueKeyLimit = 40;
constexpr std::size_t kContinueValueLimit = 1000;

// The string at `key` of an object, or empty for anything else.
std::string_view StringAt(const json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return {};
    return it->get_ref<const std::string&>();
}

// extmetadata fields are {"value": ..., "source": ...}.
std::string_view MetaValue(const json& meta, const char* key) {
    auto it = meta.find(key);
    if (it == meta.end() || !it->is_object()) return {};
    return StringAt(*it, "value");
}

bool PositiveId(const json& page, int64_t& id) {
    auto it = page.find("pageid");
    if (it == page.end()) return false;
    if (it->is_number_unsigned()) {
        uint64_t v = it->get<uint64_t>();
        if (v == 0 || v > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return false;
        id = static_cast<int64_t>(v);
        return true;
    }
    if (!it->is_number_integer()) return false;
    id = it->get<int64_t>();
    return id > 0;
}

bool Missing(const json& page) {
    auto it = page.find("missing");
    return it != page.end() && !(it->is_boolean() && !it->get<bool>());
}

bool StartsWithDigitAfter(std::string_view text, std::string_view prefix) {
    return text.size() > prefix.size() && text.starts_with(prefix) && text[prefix.size()] >= '0' &&
           text[prefix.size()] <= '9';
}

// One page object into a photo; false when a skip rule says no.
bool ReadPage(const json& page, CommonsPhoto& photo) {
    if (!page.is_object() || !PositiveId(page, photo.pageId) || Missing(page)) return false;
    auto infos = page.find("imageinfo");
    if (infos == page.end() || !infos->is_array() || infos->empty()) return false;
    const json& info = infos->front();
    if (!info.is_object() || StringAt(info, "mime") != "image/jpeg") return false;
    photo.mediaUrl = CommonsMediaUrl(StringAt(info, "thumburl"));
    if (photo.mediaUrl.empty()) return false;
    auto metaIt = info.find("extmetadata");
    if (metaIt == info.end() || !metaIt->is_object()) return false;
    const json& meta = *metaIt;
    if (meta.contains("NonFree")) return false;
    if (!FreeLicence(MetaValue(meta, "License"), MetaValue(meta, "LicenseShortName"))) return false;
    for (const char* field : kAuthorFields) {
        photo.credit.author = CleanCreditText(MetaValue(meta, field));
        if (!photo.credit.author.empty()) break;
    }
    photo.credit.licence = CleanCreditText(MetaValue(meta, "LicenseShortName"));
    photo.credit.page = CleanCreditText(StringAt(info, "descriptionshorturl"));
    photo.credit.title = CleanCreditText(MetaValue(meta, "ObjectName"));
    // Without an object name the file's own name titles it: neither the
    // stored name (the page id) nor the short address holds it later.
    if (photo.credit.title.empty()) photo.credit.title = FileTitle(StringAt(page, "title"));
    return true;
}

bool ContinueKeyAllowed(std::string_view key) {
    if (key.empty() || key.size() > kContinueKeyLimit) return false;
    for (char c : key)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

// The continuation keys; any key or value that cannot be sent back as it
// came ends the listing instead.
CommonsContinuation ReadContinuation(const json& root) {
    auto it = root.find("continue");
    if (it == root.end() || !it->is_object()) return {};
    CommonsContinuation keys;
    for (const auto& [key, value] : it->items()) {
        std::string text;
        if (value.is_string())
            text = value.get<std::string>();
        else if (value.is_number_integer())
            text = value.dump();
        else
            return {};
        if (!ContinueKeyAllowed(key) || text.size() > kContinueValueLimit) return {};
        keys.emplace_back(key, std::move(text));
    }
    return keys;
}

}  // namespace

int CommonsThumbWidth(int pixels) {
    for (int width : kCommonsThumbWidths)
        if (width >= pixels) return width;
    return kCommonsThumbWidths[std::size(kCommonsThumbWidths) - 1];
}

bool FreeLicence(std::string_view license, std::string_view shortName) {
    if (!license.empty()) {
        const std::string l = ToLowerAscii(license);
        return l == "cc0" || l.starts_with("cc0-") || l == "pd" || l.starts_with("pd-") ||
               StartsWithDigitAfter(l, "cc-by-sa-") || StartsWithDigitAfter(l, "cc-by-");
    }
    const std::string s = ToLowerAscii(shortName);
    return s == "cc0" || s.starts_with("cc0 ") || s == "public domain" ||
           StartsWithDigitAfter(s, "cc by-sa ") || StartsWithDigitAfter(s, "cc by ");
}

CommonsListing ParseCommonsListing(std::string_view text) {
    CommonsListing out;
    const json root = json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (!root.is_object()) return out;
    if (auto error = root.find("error"); error != root.end()) {
        std::string_view code = error->is_object() ? StringAt(*error, "code") : "";
        out.reply =
            code == "maxlag" || code == "ratelimited" ? CommonsReply::Lagged : CommonsReply::Failed;
        return out;
    }
    out.reply = CommonsReply::Listing;
    out.continuation = ReadContinuation(root);
    auto query = root.find("query");
    if (query == root.end() || !query->is_object()) return out;
    auto pages = query->find("pages");
    if (pages == query->end() || !(pages->is_object() || pages->is_array())) return out;
    std::unordered_set<int64_t> seen;
    std::size_t looked = 0;
    // Object (keyed by page id) and array iterate alike over their values.
    for (const json& page : *pages) {
        if (++looked > kCommonsEntriesPerReply) break;
        CommonsPhoto photo;
        if (ReadPage(page, photo) && seen.insert(photo.pageId).second)
            out.photos.push_back(std::move(photo));
    }
    return out;
}

std::u16string CommonsListingUrl(std::u16string_view selection, std::string_view extra, int width,
                                 const CommonsContinuation& continuation) {
    std::u16string url = ServiceBase(Service::CommonsApi) + kListingHead;
    url += selection;
    url += AsciiToUtf16(extra);
    url += kListingTail;
    url += AsciiToUtf16(std::to_string(width));
    for (const auto& [key, value] : continuation) {
        url += u'&';
        url += AsciiToUtf16(key);
        url += u'=';
        url += PercentEncode(value);
    }
    if (url.size() > kLongUrlLimit) return {};
    return url;
}
