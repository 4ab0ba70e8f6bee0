// The scan walks the page in place: find the thumbnail prefix, take the
// tail up to the next double quote, and search on from there. Tails are
// checked before anything is requested, because they come from outside and
// become file names in the cache folder: only plain relative ".jpg" names of
// letters, digits, ".", "_", "-" and "/" without "..", whose flat name (and
// its ".tmp" download name) fits in a path, are fetched. Others are skipped without request or
// pause.
#include "harvest/photo_harvest.h"

#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>

#include "base/clock.h"
#include "base/fixed_text.h"
#include "base/process_state.h"
#include "base/text.h"
#include "net/endpoints.h"
#include "net/http_fetcher.h"
#include "slideshow/photo_list.h"

std::atomic<int32_t> NewPhotoCount{0};

namespace {
// Written by tests before a pass starts, read by the harvest thread.
std::atomic<int> g_pauseStepMillis{kHarvestPauseStepMillis};

bool TailCharAllowed(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-' || c == '/';
}

bool SafeTail(std::string_view tail) {
    if (tail.size() < 4 || !tail.ends_with(".jpg")) return false;
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

// Pause after an attempt: StopRequested is checked before every step.
void PauseAfterAttempt() {
    for (int step = 0; step < kHarvestPauseSteps; ++step) {
        if (StopRequested.load()) return;
        SleepMillis(g_pauseStepMillis.load());
    }
}

// Downloads one photo and announces it; a failure leaves no file behind.
void FetchPhoto(const PathText& url, const std::u16string& name, const PathText& path) {
    if (!FetchViaTempFile(url.view(), path.view())) {
        std::error_code ec;
        std::filesystem::remove(ToPath(path.view()), ec);
        return;
    }
    ++NewPhotoCount;
    FindData data;
    if (!ReadFindData(name, data)) return;  // the next scan of the cache finds it
    std::lock_guard<std::mutex> lock(PhotoListLock);
    AppendPhoto(MakePhotoEntry(data));
}
}  // namespace

void SetHarvestPauseStepMillis(int ms) {
    g_pauseStepMillis = ms;
}

void HarvestPhotos(const char* page) {
    if (!page) return;
    const std::string prefix = ThumbnailPrefix();
    const std::u16string photoPrefix = PhotoPrefix();
    // The longest tail whose photo URL still fits in 259 characters.
    const std::size_t maxTail =
        photoPrefix.size() < PathText::kCapacity ? PathText::kCapacity - photoPrefix.size() : 0;

    const char* link = std::strstr(page, prefix.c_str());
    while (link) {
        if (StopRequested.load()) return;
        if (NewPhotoCount.load() >= kHarvestPhotosPerPass) return;
        const char* tailStart = link + prefix.size();
        const char* quote = std::strchr(tailStart, '"');
        const char* resume = tailStart;
        bool attempted = true;  // a link without closing quote costs the pause too
        if (quote) {
            std::size_t length = static_cast<std::size_t>(quote - tailStart);
            // An over-long tail is cut where the URL is full; the cut name
            // then fails the checks below, and the search resumes at the cut.
            if (length > maxTail) length = maxTail;
            resume = tailStart + length;
            std::string_view tail(tailStart, length);
            std::u16string name = FlatName(tail);
            PathText url(photoPrefix), path;
            bool usable = SafeTail(tail) && url.Append(AsciiToUtf16(tail)) &&
                          DataFilePath(name, path) && TempNameFits(path);
            if (!usable || FileExists(path.view()))
                attempted = false;
            else
                FetchPhoto(url, name, path);
        }
        link = std::strstr(resume, prefix.c_str());
        if (attempted) PauseAfterAttempt();
    }
}
