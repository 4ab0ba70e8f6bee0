// The answer of the location search is scanned byte by byte, not parsed as
// XML: each place is an element starting with `<loc id="`, its code runs up
// to the next double quote and its name is the element text after the next
// ">" up to "</loc>". Anything else in the answer is skipped.
#include "setup/location_search.h"

#include <atomic>
#include <filesystem>

#include "base/process_state.h"
#include "base/text.h"
#include "net/endpoints.h"
#include "net/http_fetcher.h"
#include "weather/open_meteo.h"
#include "weather/weather_feed.h"

PendingLocationRecord PendingLocation;

namespace {
constexpr std::string_view kPlaceStart = "<loc id=\"";
constexpr std::string_view kPlaceEnd = "</loc>";
constexpr char16_t kDash = u'\u2014';
// What fits the PendingLocation fields.
constexpr std::size_t kNameLimit = decltype(PendingLocationRecord::name)::kCapacity;
constexpr std::size_t kCodeLimit = decltype(PendingLocationRecord::id)::kCapacity;

// Control characters would break the list line and the settings file.
std::u16string WidenPrintable(std::string_view bytes) {
    return PrintableText(WidenLatin1(bytes));
}
}  // namespace

void TrimLeadingBlanks(SearchText& text) {
    std::size_t skip = 0;
    while (skip < text.size() && text[skip] >= 1 && text[skip] <= 32) ++skip;
    if (skip > 0) text.Assign(std::u16string(text.view().substr(skip)));
}

bool BuildSearchUrl(std::u16string_view query, PathText& url) {
    url.Assign(ServiceBase(Service::WeatherService));
    return url.Append(u"/search/search?where=") && url.Append(PercentEncodeUtf8(query));
}

int ParseLocationAnswer(std::string_view answer, std::vector<std::u16string>& lines) {
    // The answer is zero-terminated text; whatever follows a zero byte is not read.
    answer = answer.substr(0, answer.find('\0'));
    int count = 0;
    std::size_t from = 0;
    for (;;) {
        std::size_t start = answer.find(kPlaceStart, from);
        if (start == std::string_view::npos) return count;
        std::size_t codeStart = start + kPlaceStart.size();
        // A place without its closing quote or "</loc>" is skipped; no later
        // place can have one either, since each search runs to the end of
        // the answer. Ending there keeps the scan linear in the answer.
        std::size_t quote = answer.find('"', codeStart);
        if (quote == std::string_view::npos) return count;
        std::size_t gt = answer.find('>', quote + 1);
        if (gt == std::string_view::npos) return count;
        std::size_t nameStart = gt + 1;
        std::size_t end = answer.find(kPlaceEnd, nameStart);
        if (end == std::string_view::npos) return count;
        std::string_view code = answer.substr(codeStart, quote - codeStart);
        std::string_view name = answer.substr(nameStart, std::min(end - nameStart, kNameLimit));
        if (code.size() <= kCodeLimit) {
            lines.push_back(WidenPrintable(name) + u" " + kDash + u" " + WidenPrintable(code));
            ++count;
        }
        from = end + 1;
    }
}

bool TakeLocationLine(std::u16string_view line, PendingLocationRecord& out) {
    std::size_t dash = line.find(kDash);
    if (dash == std::u16string_view::npos) return false;
    // The name ends at the blank before the dash; the code starts behind the blank after it.
    out.name.Assign(line.substr(0, dash == 0 ? 0 : dash - 1));
    out.id.Assign(dash + 2 < line.size() ? line.substr(dash + 2) : std::u16string_view());
    return true;
}

bool NextSearchDownloadPath(PathText& out) {
    static std::atomic<int> sequence{0};
    std::u16string name = u"weather_search_" + DecimalText(++sequence) + u".xml";
    return DataFilePath(name, out);
}

namespace {
SearchOutcome RunOpenMeteoSearch(std::u16string_view query, std::u16string_view downloadPath) {
    SearchOutcome outcome;
    FetchOptions options;
    options.bodyLimit = ServiceBodyLimit(Service::OpenMeteoGeocoding);
    options.agent = UserAgent::Descriptive;
    options.urlLimit = kLongUrlLimit;
    std::string body;
    if (downloadPath.empty() ||
        !FetchIntoMemory(OpenMeteoSearchUrl(query), downloadPath, body, options, nullptr))
        return outcome;
    std::error_code ec;
    std::filesystem::remove(ToPath(downloadPath), ec);
    std::vector<FoundPlace> places;
    const int found = ReadOpenMeteoPlaces(body, places);
    if (found < 0) return outcome;
    outcome.kind = found > 0 ? SearchOutcome::Places : SearchOutcome::NothingFound;
    for (FoundPlace& place : places) {
        outcome.lines.push_back(std::move(place.label));
        outcome.codes.push_back(place.code);
    }
    return outcome;
}
}  // namespace

SearchOutcome RunLocationSearch(std::u16string_view query, std::u16string_view downloadPath) {
    if (ChosenWeatherProvider == WeatherProvider::OpenMeteo)
        return RunOpenMeteoSearch(query, downloadPath);
    SearchOutcome outcome;
    PathText url;
    std::string body;
    if (downloadPath.empty() || !BuildSearchUrl(query, url) ||
        !FetchIntoMemory(url.view(), downloadPath, body, ServiceBodyLimit(Service::WeatherService)))
        return outcome;
    std::error_code ec;
    std::filesystem::remove(ToPath(downloadPath), ec);
    outcome.kind = ParseLocationAnswer(body, outcome.lines) > 0 ? SearchOutcome::Places
                                                                : SearchOutcome::NothingFound;
    return outcome;
}
