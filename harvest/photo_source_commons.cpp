// A pass: list the gallery, download each new photo the reply offers, and
// follow the reply's continuation (or widen a time window) while fewer
// than 20 photos are stored, within kCommonsCallsPerPass calls. A
// continuation that repeats itself ends the pass. Each photo is downloaded
// to "<id>.jpg.tmp", checked to be a JPEG, given its credit, and only then
// renamed to "<id>.jpg": the photo and its credit appear together or not
// at all, and a leftover ".tmp" is removed by the next cache scan.
#include "harvest/photo_source_commons.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>
#include <unordered_set>
#include <vector>

#include "base/clock.h"
#include "base/event_log.h"
#include "base/file_io.h"
#include "base/fixed_text.h"
#include "base/process_state.h"
#include "base/text.h"
#include "harvest/commons_listing.h"
#include "harvest/photo_harvest.h"
#include "net/endpoints.h"
#include "net/http_fetcher.h"
#include "photos/photo_cache.h"
#include "photos/photo_credit.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"

namespace {
using Steady = std::chrono::steady_clock;

// How each Commons row picks among the category's members: a random start
// (row 0), a newest-first window of so many days (rows 1 to 3), or the
// newest without a window (row 4).
constexpr int kRandomPick = -1;
constexpr int kWindowDays[kGalleryCount] = {kRandomPick, 183, 30, 7, 0};
// A window is doubled at most up to this many days.
constexpr int kWidestWindowDays = 20 * 366;
constexpr int kApiAttemptsPerCall = 3;
constexpr int kHoldStepMillis = 100;
constexpr int kDefaultMonitorExtent = 1920;

std::atomic<int> g_monitorExtent{kDefaultMonitorExtent};

// When the next API call and the next download may start (steady clock,
// milliseconds); written and read only by the harvest thread, one at a
// time (each starts after the last one's running mark was cleared).
int64_t g_apiNotBefore = 0;
int64_t g_mediaNotBefore = 0;

int64_t SteadyMillis() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch())
        .count();
}

void Hold(int64_t& notBefore, int32_t retryAfterSeconds) {
    int32_t seconds =
        std::clamp(retryAfterSeconds, kCommonsHoldShortestSeconds, kCommonsHoldLongestSeconds);
    notBefore = std::max(notBefore, SteadyMillis() + int64_t{seconds} * 1000);
}

// Waits out a hold; false when StopRequested ended the wait.
bool WaitOut(int64_t notBefore) {
    while (SteadyMillis() < notBefore) {
        if (StopRequested.load()) return false;
        SleepMillis(kHoldStepMillis);
    }
    return !StopRequested.load();
}

bool Busy(const FetchReply& reply) {
    return reply.status == 429 || reply.status == 503;
}

// One API call, asked again after a maxlag error, a 429 or a 503 has been
// waited out; Failed after kApiAttemptsPerCall tries or any other failure.
CommonsListing CallApi(const std::u16string& url) {
    PathText listingPath;
    if (!DataFilePath(kCommonsListingName, listingPath)) return {};
    const FetchOptions options{ServiceBodyLimit(Service::CommonsApi), UserAgent::Descriptive,
                               kLongUrlLimit};
    for (int attempt = 0; attempt < kApiAttemptsPerCall; ++attempt) {
        if (!WaitOut(g_apiNotBefore) || DownloadsHeld()) return {};
        std::string body;
        FetchReply reply;
        if (!FetchIntoMemory(url, listingPath.view(), body, options, &reply)) {
            if (!Busy(reply)) return {};
            Hold(g_apiNotBefore, reply.retryAfterSeconds);
            continue;
        }
        CommonsListing listing = ParseCommonsListing(body);
        if (listing.reply != CommonsReply::Lagged) return listing;
        Hold(g_apiNotBefore, reply.retryAfterSeconds);
    }
    return {};
}

void RemoveQuietly(std::u16string_view path) {
    std::error_code ec;
    std::filesystem::remove(ToPath(path), ec);
}

std::u16string CacheName(int64_t pageId) {
    return AsciiToUtf16(std::to_string(pageId)) + u".jpg";
}

bool Cached(int64_t pageId) {
    PathText path;
    std::error_code ec;
    return DataFilePath(CacheName(pageId), path) &&
           std::filesystem::exists(std::filesystem::symlink_status(ToPath(path.view()), ec));
}

// Downloads one photo, embeds its credit and gives it its name.
void StorePhoto(const CommonsPhoto& photo) {
    const std::u16string name = CacheName(photo.pageId);
    PathText path, temp;
    if (!DataFilePath(name, path) || !temp.Assign(path.view()) || !temp.Append(kFetchTempSuffix)) {
        LogEvent("commons: photo " + Utf16ToUtf8(name) + " not stored: path too long");
        return;
    }
    if (!WaitOut(g_mediaNotBefore) || DownloadsHeld()) return;
    const uint32_t limit = ServiceBodyLimit(Service::CommonsUpload);
    FetchReply reply;
    const FetchOptions options{limit, UserAgent::Descriptive, kLongUrlLimit,
                               RedirectHostsOf(Service::CommonsUpload)};
    if (!FetchToFile(photo.mediaUrl, temp.view(), options, &reply)) {
        if (Busy(reply)) Hold(g_mediaNotBefore, reply.retryAfterSeconds);
        return;
    }
    const char* failure = WritePhotoCreditFile(temp.view(), photo.credit, limit);
    if (!failure && !RenameNoReplace(temp.view(), path.view())) failure = "not renamed";
    if (failure) {
        LogEvent("commons: photo " + Utf16ToUtf8(name) + " not stored: " + failure);
        RemoveQuietly(temp.view());
        return;
    }
    AnnounceStoredPhoto(name);
}

// "&gcmend=<day>T00:00:00Z" for a window of `days` ending now, rounded to
// the day so that every install asks the same address all day.
std::string WindowEnd(int days) {
    const int64_t seconds = (FileTimeNow() - kFileTimeUnixEpoch) / kFileTimeTicksPerSecond;
    const CivilDate end = CivilDateOfDay(seconds / kSecondsPerDay - days);
    char text[64];
    std::snprintf(text, sizeof text, "&gcmend=%04lld-%02d-%02dT00%%3A00%%3A00Z",
                  static_cast<long long>(end.year), end.month, end.day);
    return text;
}

std::string RandomStart(std::mt19937& random) {
    std::uniform_int_distribution<int> letter('A', 'Z');
    return std::string("&gcmstartsortkeyprefix=") + static_cast<char>(letter(random));
}

// The photos of a reply worth a download, in the order the row wants.
std::vector<const CommonsPhoto*> NewPhotos(const CommonsListing& listing, bool random,
                                           std::unordered_set<int64_t>& seen,
                                           std::mt19937& generator) {
    std::vector<const CommonsPhoto*> fresh;
    for (const CommonsPhoto& photo : listing.photos)
        if (seen.insert(photo.pageId).second && !Cached(photo.pageId)) fresh.push_back(&photo);
    if (random) {
        std::shuffle(fresh.begin(), fresh.end(), generator);
    } else {
        // Pages come in no particular order; a higher page id is a later
        // upload, the nearest to newest first a reply allows.
        std::sort(fresh.begin(), fresh.end(), [](const CommonsPhoto* a, const CommonsPhoto* b) {
            return a->pageId > b->pageId;
        });
    }
    return fresh;
}
}  // namespace

void SetLargestMonitorExtent(int pixels) {
    if (pixels > 0) g_monitorExtent = pixels;
}

bool HarvestFromCommons() {
    const int row =
        Settings.dloption >= 0 && Settings.dloption < kGalleryCount ? Settings.dloption : 0;
    const Gallery& gallery = CommonsGalleryTable[row];
    const int width = CommonsThumbWidth(g_monitorExtent.load());
    const bool random = kWindowDays[row] == kRandomPick;
    int windowDays = kWindowDays[row];
    std::mt19937 generator{std::random_device{}()};
    std::string extra = random           ? RandomStart(generator)
                        : windowDays > 0 ? WindowEnd(windowDays)
                                         : "";

    bool listed = false;
    CommonsContinuation continuation;
    std::unordered_set<int64_t> seen;
    for (int call = 0; call < kCommonsCallsPerPass; ++call) {
        if (StopRequested.load() || NewPhotoCount.load() >= kHarvestPhotosPerPass || PassHeld())
            break;
        const std::u16string url = CommonsListingUrl(gallery.path, extra, width, continuation);
        if (url.empty()) break;
        const CommonsListing listing = CallApi(url);
        if (listing.reply != CommonsReply::Listing) break;
        listed = true;
        for (const CommonsPhoto* photo : NewPhotos(listing, random, seen, generator)) {
            if (StopRequested.load() || NewPhotoCount.load() >= kHarvestPhotosPerPass || PassHeld())
                break;
            StorePhoto(*photo);
            PauseAfterAttempt();
        }
        if (!listing.continuation.empty()) {
            if (listing.continuation == continuation) break;  // it would list the same again
            continuation = listing.continuation;
            continue;
        }
        // The listing has ended: a random pick starts again from the
        // beginning once, a window widens.
        continuation.clear();
        if (random && !extra.empty()) {
            extra.clear();
        } else if (windowDays > 0 && windowDays < kWidestWindowDays) {
            windowDays *= 2;
            extra = WindowEnd(windowDays);
        } else {
            break;
        }
    }
    return listed;
}

std::string PhotoCreditLines() {
    // The photos the cache scan lists, and no others: any letter case, no links.
    std::vector<std::u16string> names;
    ForEachDataFile([&names](const std::u16string& name) {
        FindData data;
        if (ReadCachedPhoto(name, data)) names.push_back(name);
    });
    std::sort(names.begin(), names.end());
    std::string lines;
    for (const std::u16string& name : names) {
        PhotoCredit credit;
        PathText path;
        if (!DataFilePath(name, path) || !ReadPhotoCreditFile(path.view(), credit)) continue;
        lines += Utf16ToUtf8(name) + '\t' + credit.author + '\t' + credit.licence + '\t' +
                 credit.page + '\t' + credit.title + '\n';
    }
    return lines;
}
