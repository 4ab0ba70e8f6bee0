// The Commons listing: the MediaWiki Action API request that lists a
// gallery's photos with their media addresses and metadata, and the parser
// that turns its reply into the photos the harvest may store.
//
// Request (one fixed parameter order, so that every install sends the same
// bytes and shares the servers' cached replies): generator=categorymembers
// over the gallery's selection, prop=imageinfo with url|size|mime|
// extmetadata at one standard thumbnail width, maxlag=5, then every key of
// the previous reply's "continue" unchanged.
//
// Reply: both shapes are read: "pages" as an object keyed by page id
// (formatversion 1) or as an array (formatversion 2). An entry becomes a
// photo only when it has a positive page id not seen before in the reply,
// is not "missing", has imageinfo with mime image/jpeg and a thumburl that
// CommonsMediaUrl accepts, no NonFree mark, and a free licence (CC0, public
// domain, CC BY, CC BY-SA; GFDL alone is not). Values of the wrong type
// count as absent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "photos/photo_credit.h"

// The standard thumbnail widths Wikimedia serves that suit a screen.
inline constexpr int kCommonsThumbWidths[] = {1280, 1920, 3840};
// Entries of one reply looked at; a real reply holds at most 50.
inline constexpr std::size_t kCommonsEntriesPerReply = 500;

// One photo a listing offers.
struct CommonsPhoto {
    int64_t pageId = 0;
    std::u16string mediaUrl;  // the thumbnail's address, checked (and rerouted under --site)
    PhotoCredit credit;
};

// The "continue" keys of a reply, in reply order; empty when the listing ends.
using CommonsContinuation = std::vector<std::pair<std::string, std::string>>;

enum class CommonsReply {
    Listing,  // a listing (perhaps with no usable entry)
    Lagged,   // {"error":{"code":"maxlag"}} or "ratelimited": wait, then ask again
    Failed,   // another API error, or no JSON object at all
};

struct CommonsListing {
    CommonsReply reply = CommonsReply::Failed;
    std::vector<CommonsPhoto> photos;
    CommonsContinuation continuation;
};

// The smallest standard width that covers `pixels`, else the largest.
int CommonsThumbWidth(int pixels);

// Parses one API reply; never throws, whatever the bytes.
CommonsListing ParseCommonsListing(std::string_view json);

// Whether a licence named by extmetadata is free enough to store:
// `license` is the machine name (cc0, pd, cc-by-4.0, cc-by-sa-3.0...),
// `shortName` the readable one used when the machine name is absent.
bool FreeLicence(std::string_view license, std::string_view shortName);

// The request's address: `selection` is the gallery's listing parameters,
// `extra` more parameters already encoded (a window, a start) or empty,
// `width` a standard thumbnail width. Empty when it would exceed
// kLongUrlLimit (net/endpoints.h).
std::u16string CommonsListingUrl(std::u16string_view selection, std::string_view extra, int width,
                                 const CommonsContinuation& continuation);
