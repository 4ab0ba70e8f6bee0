// The scan walks the page in place: find the thumbnail prefix, take the
// tail up to the next double quote, and search on from there. Once a link
// has no closing quote, no later link has one either, so the pass ends
// there (after the pause that such a link costs). Tails are
// checked before anything is requested, because they come from outside and
// become file names in the cache folder: only plain relative ".jpg" names of
// letters, digits, ".", "_", "-" and "/" without "..", whose flat name (and
// its ".tmp" download name) fits in a path, are fetched. Others are skipped without request or
// pause.
#include "harvest/photo_harvest.h"

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>

#include "base/clock.h"
#include "base/event_log.h"
#include "base/fixed_text.h"
#include "base/process_state.h"
#include "base/text.h"
#include "net/endpoints.h"
#include "net/http_fetcher.h"
#include "net/link_state.h"
#include "photos/photo_cache.h"
#include "photos/photo_list.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"

std::atomic<int32_t> NewPhotoCount{0};

namespace {
// Written by tests before a pass starts, read by the harvest thread.
std::atomic<int> g_pauseStepMillis{kHarvestPauseStepMillis};
// Harvest thread only, and tests between passes.
std::atomic<bool> g_passHeld{false};

bool TailCharAllowed(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-' || c == '/';
}

bool SafeTail(std::string_view tail) {
    if (tail.size() <= 4 || !tail.ends_with(".jpg")) return false;  // a stem before ".jpg"
    if (tail.find("..") != std::string_view::npos) return false;
    for (char c : tail)
        if (!TailCharAllowed(c)) return false;
    return true;
}

// The cache name of a tail: the tail with every "/" as "-".
std::u16string FlatName(std::string_view tail) {
    std::u16string name = AsciiToUtf16(tail);
    for (char16_t& c : name)
        if (c == u'/') c = u'-';
    return name;
}

bool FileExists(std::u16string_view path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(ToPath(path), ec));
}

// The download goes through path + ".tmp", which must fit as well.
bool TempNameFits(const PathText& path) {
    return path.size() + std::char_traits<char16_t>::length(kFetchTempSuffix) <=
           PathText::kCapacity;
}

// Downloads one photo and announces it; a failure leaves no file behind.
void FetchPhoto(const PathText& url, const std::u16string& name, const PathText& path) {
    const FetchOptions options{.bodyLimit = ServiceBodyLimit(Service::ImageServer),
                               .redirectHosts = RedirectHostsOf(Service::ImageServer)};
    if (!FetchViaTempFile(url.view(), path.view(), options)) {
        std::error_code ec;
        std::filesystem::remove(ToPath(path.view()), ec);
        return;
    }
    AnnounceStoredPhoto(name);
}
}  // namespace

void AnnounceStoredPhoto(const std::u16string& name) {
    ++NewPhotoCount;
    FindData data;
    if (!ReadFindData(name, data)) return;  // the next scan of the cache finds it
    std::lock_guard<std::mutex> lock(PhotoListLock);
    AppendPhoto(MakePhotoEntry(data));
}

// StopRequested is checked before every step.
void PauseAfterAttempt() {
    for (int step = 0; step < kHarvestPauseSteps; ++step) {
        if (StopRequested.load()) return;
        SleepMillis(g_pauseStepMillis.load());
    }
}

bool DownloadsHeld() {
    if (g_passHeld.load()) return true;
    // Settings are written only by the setup dialog, another process.
    const DownloadVerdict verdict = DecideDownloads(ReadLinkState(), Settings.download_anyway != 0);
    if (verdict == DownloadVerdict::Go) return false;
    g_passHeld = true;
    LogEvent(std::string("harvest: skipped, ") + DownloadHoldReason(verdict));
    return true;
}

bool PassHeld() {
    return g_passHeld.load();
}

void BeginPass() {
    g_passHeld = false;
    NewPhotoCount = 0;
}

bool HarvestFromSite() {
    if (DownloadsHeld()) return false;
    PathText pagePath;
    if (!DataFilePath(kSitePageName, pagePath)) return false;
    std::string page;
    if (!FetchIntoMemory(GalleryUrl(Settings.dloption), pagePath.view(), page,
                         ServiceBodyLimit(Service::PhotoSite)))
        return false;
    HarvestPhotos(page.c_str());
    return true;
}

void SetHarvestPauseStepMillis(int ms) {
    g_pauseStepMillis = ms;
}

PhotoLinkScan::PhotoLinkScan(std::string_view text)
    : page(text), thumbnailPrefix(ThumbnailPrefix()), photoPrefix(PhotoPrefix()) {
    if (photoPrefix.size() < PathText::kCapacity)
        maxTail = PathText::kCapacity - photoPrefix.size();
}

bool NextPhotoLink(PhotoLinkScan& scan, PhotoLink& out) {
    if (scan.ended) return false;
    std::size_t link = scan.page.find(scan.thumbnailPrefix, scan.from);
    if (link == std::string_view::npos) return false;
    out = PhotoLink{};
    const std::size_t tailStart = link + scan.thumbnailPrefix.size();
    // The quote found for an earlier link is still the first one at or after
    // this tail when it lies behind the tail's start; searching again from
    // every link would make a page of many links and one quote quadratic.
    if (scan.quote == std::string_view::npos || scan.quote < tailStart)
        scan.quote = scan.page.find('"', tailStart);
    if (scan.quote == std::string_view::npos) {
        scan.ended = true;
        return true;
    }
    out.closed = true;
    std::size_t length = scan.quote - tailStart;
    // An over-long tail is cut where the URL is full; the cut name then fails
    // the checks below, and the search resumes at the cut.
    if (length > scan.maxTail) length = scan.maxTail;
    scan.from = tailStart + length;
    std::string_view tail = scan.page.substr(tailStart, length);
    out.name = FlatName(tail);
    out.url.Assign(scan.photoPrefix);
    out.usable = SafeTail(tail) && out.url.Append(AsciiToUtf16(tail)) &&
                 DataFilePath(out.name, out.path) && TempNameFits(out.path);
    return true;
}

void HarvestPhotos(const char* page) {
    if (!page) return;
    PhotoLinkScan scan(page);
    PhotoLink link;
    while (NextPhotoLink(scan, link)) {
        if (StopRequested.load()) return;
        if (NewPhotoCount.load() >= kHarvestPhotosPerPass) return;
        // A link without closing quote costs the pause too.
        bool attempted = !link.closed || (link.usable && !FileExists(link.path.view()));
        if (link.closed && attempted) {
            if (DownloadsHeld()) return;
            FetchPhoto(link.url, link.name, link.path);
        }
        if (attempted) PauseAfterAttempt();
    }
}
