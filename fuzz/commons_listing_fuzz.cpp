// The Commons listing: whatever the reply holds, every photo it yields has a
// positive page id given once, a media address the endpoint table accepts
// (https on Wikimedia's media hosts, no "..", within the long-address
// limit), a credit within its limits, and a continuation that goes back
// into an address of bounded length.
#include <set>
#include <string>

#include "base/text.h"
#include "fuzz_support.h"
#include "harvest/commons_listing.h"
#include "net/endpoints.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CommonsListing listing = ParseCommonsListing(Bytes(data, size));
    Require(listing.photos.size() <= kCommonsEntriesPerReply, "bounded entries");
    std::set<int64_t> ids;
    for (const CommonsPhoto& photo : listing.photos) {
        Require(photo.pageId > 0, "positive page id");
        Require(ids.insert(photo.pageId).second, "each page id once");
        const std::string url = Utf16ToUtf8(photo.mediaUrl);
        Require(url.starts_with("https://upload.wikimedia.org/") ||
                    url.starts_with("https://thumb.wikimedia.org/"),
                "a Wikimedia media host");
        Require(url.size() <= kLongUrlLimit, "within the long-address limit");
        Require(url.find("..") == std::string::npos, "no climbing");
        for (const std::string* field :
             {&photo.credit.author, &photo.credit.licence, &photo.credit.page, &photo.credit.title})
            Require(Utf16ToUtf8(Utf8ToUtf16(*field)) == *field && field->size() <= kCreditTextLimit,
                    "credit fields are valid text within the limit");
    }
    if (listing.reply != CommonsReply::Listing)
        Require(listing.photos.empty() && listing.continuation.empty(), "no photos from an error");
    const std::u16string next = CommonsListingUrl(u"gcmtitle=x", "", 1920, listing.continuation);
    Require(next.size() <= kLongUrlLimit, "a bounded next address");
    return 0;
}
