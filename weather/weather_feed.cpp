// How it works: every load scans the cache file with a fresh scanner into a
// private report and publishes that report whole, so a reader (the panels,
// the checks) sees either the previous report or the new one, never a mix.
//
// The download writes the cache file in place. A load on the main thread
// that ran while the weather thread rewrites the file would read half a
// feed, so downloads are counted: the count is odd while one runs, and a
// load publishes only when the count is even and unchanged since it began.
// Otherwise it publishes nothing and the report on show stays until the
// weather thread loads the new file itself.
//
// Open-Meteo's reply is downloaded into a temporary file beside the cache
// and takes the cache's name only when it reads as a forecast, so a refusal
// (an error object, an HTML page, a cut reply) never replaces a good cache.
#include "weather/weather_feed.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <system_error>

#include "base/backoff.h"
#include "base/clock.h"
#include "base/file_io.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "base/text.h"
#include "net/endpoints.h"
#include "net/http_fetcher.h"
#include "settings/settings.h"
#include "weather/open_meteo.h"
#include "weather/weather_scanner.h"

std::mutex WeatherStartLock;
WeatherProvider ChosenWeatherProvider = WeatherProvider::Site;

namespace {
constexpr char16_t kCacheFileName[] = u"weather.xml";
constexpr char16_t kOpenMeteoCacheFileName[] = u"open-meteo.json";
// Request path of the feed; the location id takes the place of "%s".
constexpr std::u16string_view kFeedRequest =
    u"/weather/local/%s?cc=*&prod=xoap&par=4827163905&key=b7e2049a1c5d38f6&dayf=5&unit=m";
constexpr int64_t kFreshFileTime = kWeatherFreshSeconds * kFileTimeTicksPerSecond;
constexpr std::size_t kReadChunk = 65536;

// Feed downloads begun plus ended: odd while the weather thread writes the
// cache file. Written only by the weather thread, read by loads; guarded by
// g_downloadLock, which a load also holds while it publishes, so that a
// download cannot begin between a load's last look and its publication.
// Lock order: g_downloadLock, then the report's own lock.
std::mutex g_downloadLock;
uint32_t g_downloadCount = 0;

// The weather thread's running mark. Set by WeatherCheck under
// WeatherStartLock, cleared by the thread as its last act.
std::atomic<bool> g_threadRunning{false};

uint32_t DownloadCount() {
    std::lock_guard<std::mutex> lock(g_downloadLock);
    return g_downloadCount;
}

void CountDownload() {
    std::lock_guard<std::mutex> lock(g_downloadLock);
    ++g_downloadCount;
}

// Open-Meteo's refresh gate. Written by the weather thread when a request
// starts (g_attemptTick, g_attempted) and when it ended (g_backoffSeconds);
// read by WeatherCheck on the main thread. Each is read and written whole;
// a check that reads a value a moment old only starts or skips one thread.
std::atomic<bool> g_attempted{false};
std::atomic<uint32_t> g_attemptTick{0};
std::atomic<int32_t> g_backoffSeconds{0};

bool RefreshGateHolds(uint32_t now) {
    if (!g_attempted.load()) return false;
    const int64_t wait = std::max(kWeatherFreshSeconds, g_backoffSeconds.load());
    return static_cast<int64_t>(now - g_attemptTick.load()) < wait * 1000;
}

void NoteRefresh(bool succeeded, int32_t retryAfterSeconds) {
    const int32_t next = NextBackoffSeconds(g_backoffSeconds.load(), succeeded);
    g_backoffSeconds =
        succeeded ? 0 : std::min(std::max(next, retryAfterSeconds), kBackoffLongestSeconds);
}

bool CachePath(PathText& out) {
    return DataFilePath(ChosenWeatherProvider == WeatherProvider::OpenMeteo
                            ? kOpenMeteoCacheFileName
                            : kCacheFileName,
                        out);
}

// The id is pasted into the request unescaped, so only plain ids may pass.
bool ValidLocationId(std::u16string_view id) {
    if (id.empty()) return false;
    for (char16_t c : id) {
        bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                  (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
        if (!ok) return false;
    }
    return true;
}

bool FeedUrl(std::u16string_view locationId, PathText& url) {
    std::size_t at = kFeedRequest.find(u"%s");
    return url.Assign(ServiceBase(Service::WeatherService)) &&
           url.Append(kFeedRequest.substr(0, at)) && url.Append(locationId) &&
           url.Append(kFeedRequest.substr(at + 2));
}

// Scans the whole file into `report`; false when it cannot be opened.
bool ScanFile(const std::filesystem::path& path, WeatherReport& report) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    WeatherScanner scanner;
    char chunk[kReadChunk];
    for (;;) {
        in.read(chunk, sizeof chunk);
        std::streamsize got = in.gcount();
        if (got <= 0) break;
        FeedWeatherBytes(scanner, report, std::string_view(chunk, static_cast<std::size_t>(got)));
        if (!in) break;
    }
    return true;
}

bool ScanOpenMeteoFile(const std::filesystem::path& path, WeatherReport& report) {
    std::string reply;
    if (!ReadWholeFile(path, reply, ServiceBodyLimit(Service::OpenMeteoApi))) return false;
    FixedText<100> name;
    {
        std::lock_guard<std::mutex> lock(SettingsLock);
        name = Settings.weather_loc;
    }
    ReadOpenMeteoForecast(reply, name.view(), report);
    return true;
}

bool FetchFromSite(const PathText& path) {
    FixedText<20> locationId;
    {
        std::lock_guard<std::mutex> lock(SettingsLock);
        locationId = Settings.weather_loc_id;
    }
    PathText url;
    if (!ValidLocationId(locationId.view()) || !FeedUrl(locationId.view(), url)) return false;

    CountDownload();
    bool fetched = FetchToFile(url.view(), path.view(), ServiceBodyLimit(Service::WeatherService));
    CountDownload();
    return fetched && LoadWeatherCache();
}

bool FetchFromOpenMeteo(const PathText& path) {
    FixedText<20> locationId;
    char16_t unit = 0;
    {
        std::lock_guard<std::mutex> lock(SettingsLock);
        locationId = Settings.weather_loc_id;
        unit = TemperatureUnit();
    }
    PlaceCoordinates place;
    if (!PlaceFromCode(locationId.view(), place)) return false;
    const std::u16string url = OpenMeteoForecastUrl(place, unit);
    const std::u16string temporary = path.str() + kFetchTempSuffix;
    FetchOptions options;
    options.bodyLimit = ServiceBodyLimit(Service::OpenMeteoApi);
    options.agent = UserAgent::Descriptive;
    options.urlLimit = kLongUrlLimit;
    FetchReply reply;
    std::string body;
    g_attemptTick = TickCount();
    g_attempted = true;
    WeatherReport report;
    const bool read = FetchIntoMemory(url, temporary, body, options, &reply) &&
                      ReadOpenMeteoForecast(body, u"", report);
    NoteRefresh(read, reply.retryAfterSeconds);
    std::error_code ec;
    if (!read) {
        std::filesystem::remove(ToPath(temporary), ec);
        return false;
    }
    CountDownload();
    std::filesystem::rename(ToPath(temporary), ToPath(path.view()), ec);
    CountDownload();
    if (ec) std::filesystem::remove(ToPath(temporary), ec);
    return LoadWeatherCache();
}

void WeatherThread() {
    FetchWeather();
    g_threadRunning.store(false);
}

bool CompleteAndFresh(const WeatherReport& report) {
    return WeatherReportComplete(report) && WeatherReportFresh(report, FileTimeNow());
}
}  // namespace

bool WeatherReportComplete(const WeatherReport& report) {
    return !report.LocationName.empty() && !report.LastUpdated.empty();
}

bool WeatherReportFresh(const WeatherReport& report, int64_t now) {
    // Written as a comparison with the file time so that no subtraction can
    // overflow; a file time in the future is fresh.
    return report.FileTime > now - kFreshFileTime;
}

void WeatherCheck() {
    if (!CompleteAndFresh(CurrentWeatherReport())) LoadWeatherCache();
    if (CompleteAndFresh(CurrentWeatherReport())) return;
    if (g_threadRunning.load()) return;
    if (ChosenWeatherProvider == WeatherProvider::OpenMeteo && RefreshGateHolds(TickCount()))
        return;
    std::lock_guard<std::mutex> lock(WeatherStartLock);
    if (g_threadRunning.exchange(true)) return;
    // Without a thread the next check tries again.
    if (!StartBackgroundThread(WeatherThread)) g_threadRunning = false;
}

bool LoadWeatherCache() {
    uint32_t before = DownloadCount();
    if (before % 2 != 0) return false;

    WeatherReport report;
    PathText path;
    if (CachePath(path)) {
        std::filesystem::path file = ToPath(path.view());
        int64_t written = 0;
        const bool scanned = ChosenWeatherProvider == WeatherProvider::OpenMeteo
                                 ? ScanOpenMeteoFile(file, report)
                                 : ScanFile(file, report);
        if (scanned && FileLastWriteTime(file, written)) report.FileTime = written;
    }
    {
        std::lock_guard<std::mutex> lock(g_downloadLock);
        if (g_downloadCount != before) return false;
        PublishWeatherReport(report);
    }
    return CompleteAndFresh(report);
}

bool FetchWeather() {
    PathText path;
    if (!CachePath(path)) return false;
    return ChosenWeatherProvider == WeatherProvider::OpenMeteo ? FetchFromOpenMeteo(path)
                                                               : FetchFromSite(path);
}

void DiscardWeatherCache() {
    PublishWeatherReport(WeatherReport{});
    PathText path;
    if (!CachePath(path)) return;
    std::error_code ec;
    std::filesystem::remove(ToPath(path.view()), ec);
}

int32_t WeatherBackoffSeconds() {
    return g_backoffSeconds.load();
}

void ResetWeatherRefreshGate() {
    g_attempted = false;
    g_backoffSeconds = 0;
}

bool WeatherThreadRunning() {
    return g_threadRunning.load();
}
