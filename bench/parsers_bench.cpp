// Every parser of outside input on its worst input at 1, 4 and 16 MB: the
// shapes that once made a scan start over for every element (a place
// without "</loc>", thumbnail links before one final quote) and the worst
// shape each other parser meets. Prints the time per MB of each parser
// beside a plain loop over the same bytes (the baseline, measured in the
// same run) and their ratio; a linear parser keeps the same time per MB at
// every size. The best of several interleaved runs is kept.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/process_state.h"
#include "harvest/photo_harvest.h"
#include "host/command_line.h"
#include "net/endpoints.h"
#include "settings/settings.h"
#include "setup/location_search.h"
#include "update/update_query.h"
#include "weather/weather_scanner.h"

namespace {
constexpr int kRuns = 5;

std::string Repeat(const std::string& unit, std::size_t bytes) {
    std::string out;
    out.reserve(bytes + unit.size());
    while (out.size() < bytes) out += unit;
    out.resize(bytes);
    return out;
}

double Seconds(const std::function<void()>& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Parser {
    const char* name;
    std::function<std::string(std::size_t)> worstInput;
    std::function<uint64_t(const std::string&)> parse;  // returns a checksum
};

uint64_t ScrapePage(const std::string& page) {
    PhotoLinkScan scan(page);
    PhotoLink link;
    uint64_t links = 0;
    while (NextPhotoLink(scan, link)) links += link.usable ? 2 : 1;
    return links;
}

std::u16string WidenUtf16(const std::string& s) {
    std::u16string out(s.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(s[2 * i]) |
                                       (static_cast<unsigned char>(s[2 * i + 1]) << 8));
    return out;
}

std::vector<Parser> Parsers() {
    return {
        {"gallery page scraper",
         [](std::size_t n) { return Repeat(ThumbnailPrefix(), n - 1) + "\""; }, ScrapePage},
        {"location search answer", [](std::size_t n) { return Repeat("<loc id=\"a\">", n); },
         [](const std::string& answer) {
             std::vector<std::u16string> lines;
             return static_cast<uint64_t>(ParseLocationAnswer(answer, lines));
         }},
        {"update reply", [](std::size_t n) { return Repeat("</appver<appver", n); },
         [](const std::string& reply) {
             std::u16string version;
             return static_cast<uint64_t>(ParseUpdateReply(reply, version));
         }},
        {"weather feed scanner",
         [](std::size_t n) {
             return Repeat("<day dt=\"x\"><part p=\"d\"><t>a b</t></part></day>", n);
         },
         [](const std::string& feed) {
             WeatherScanner scanner;
             WeatherReport report;
             FeedWeatherBytes(scanner, report, feed);
             return static_cast<uint64_t>(scanner.DayIndex);
         }},
        // UTF-16 text: every entry a known key, so each one is stored.
        {"settings file",
         [](std::size_t n) {
             std::string unit;
             for (char c : std::string("weather_loc=a place\n")) unit += {c, '\0'};
             return Repeat(unit, n);
         },
         [](const std::string& bytes) {
             return static_cast<uint64_t>(ApplySettingsText(WidenUtf16(bytes)));
         }},
        {"command line", [](std::size_t n) { return Repeat("/x", n); },
         [](const std::string& argument) {
             return static_cast<uint64_t>(ParseHostOptions({argument}).mode.runMode);
         }},
    };
}
}  // namespace

int main() {
    DataFolder.Assign(u"/nonexistent/skyreel-bench");
    std::printf("%-24s %6s %12s %14s %8s\n", "parser (worst input)", "MB", "parser ms/MB",
                "byte loop ms/MB", "ratio");
    uint64_t checksum = 0;
    for (const Parser& p : Parsers()) {
        for (std::size_t mb : {1u, 4u, 16u}) {
            const std::string input = p.worstInput(mb << 20);
            auto byteLoop = [&] {
                uint64_t s = 0;
                for (char b : input) s += static_cast<unsigned char>(b);
                checksum += s;
            };
            auto parse = [&] { checksum += p.parse(input); };
            double loopSeconds = 1e30, parseSeconds = 1e30;
            for (int run = 0; run < kRuns; ++run) {
                loopSeconds = std::min(loopSeconds, Seconds(byteLoop));
                parseSeconds = std::min(parseSeconds, Seconds(parse));
            }
            const double megabytes = static_cast<double>(input.size()) / (1 << 20);
            const double parseMsPerMb = parseSeconds * 1e3 / megabytes;
            const double loopMsPerMb = loopSeconds * 1e3 / megabytes;
            std::printf("%-24s %6zu %12.3f %14.3f %7.1fx\n", p.name, mb, parseMsPerMb, loopMsPerMb,
                        parseMsPerMb / loopMsPerMb);
        }
    }
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(checksum));
    return 0;
}
