// Weather scanner throughput on a large synthetic feed, beside a plain loop
// that only sums the same bytes. Prints MB/s of both and their ratio; the
// best of several interleaved runs is kept.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "weather/weather_scanner.h"

namespace {
std::string SyntheticFeed(std::size_t minBytes) {
    std::string feed =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- synthetic feed -->\n"
        "<weather ver=\"2.0\"><head><ut>C</ut></head>\n"
        "<loc id=\"RSXX0091\"><dnam>Saint-Petersburg, Russia</dnam><sunr>8:57 AM</sunr>"
        "<suns>3:55 PM</suns></loc>\n<cc><lsup>12/8/26 8:00 AM MSK</lsup><tmp>-3</tmp>"
        "<t>Light Snow</t><icon>14</icon><wind><s>14</s><t>WSW</t></wind>"
        "<moon><icon>26</icon><t>Waning Crescent</t></moon></cc>\n<dayf>\n";
    for (int i = 0; feed.size() < minBytes; ++i) {
        std::string n = std::to_string(i % 100);
        feed += "<day d=\"" + n + "\" t=\"Tuesday\" dt=\"Dec " + n + "\">\n  <hi>" + n +
                "</hi>\n  <low>-" + n +
                "</low>\n  <sunr>8:57 AM</sunr>\n  <suns>3:55 PM</suns>\n"
                "  <part p=\"d\">\n    <icon>14</icon>\n    <t>Snow Showers Late in the Day</t>\n"
                "    <wind>\n      <s>18</s>\n      <gust>N/A</gust>\n      <d>240</d>\n"
                "      <t>WSW</t>\n    </wind>\n    <bt>Snow Shower</bt>\n    <ppcp>60</ppcp>\n"
                "    <hmid>90</hmid>\n  </part>\n  <part p=\"n\">\n    <icon>29</icon>\n"
                "    <t>Partly Cloudy</t>\n  </part>\n</day>\n";
    }
    return feed + "</dayf></weather>\n";
}

double Seconds(const std::function<void()>& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

int main() {
    const std::string feed = SyntheticFeed(8u << 20);
    const double megabytes = static_cast<double>(feed.size()) / 1e6;

    uint64_t sum = 0;
    auto byteLoop = [&] {
        uint64_t s = 0;
        for (char b : feed) s += static_cast<unsigned char>(b);
        sum += s;
    };
    int32_t checksum = 0;
    auto scan = [&] {
        WeatherScanner scanner;
        WeatherReport report;
        FeedWeatherBytes(scanner, report, feed);
        checksum += report.Days[4].High + static_cast<int32_t>(report.LocationName.size());
    };
    // Interleaved runs, best of each: the machine is shared, and a quiet
    // moment should count for both sides alike.
    double loopSeconds = 1e30;
    double scanSeconds = 1e30;
    for (int run = 0; run < 15; ++run) {
        loopSeconds = std::min(loopSeconds, Seconds(byteLoop));
        scanSeconds = std::min(scanSeconds, Seconds(scan));
    }

    double loopRate = megabytes / loopSeconds;
    double scanRate = megabytes / scanSeconds;
    std::printf("feed: %.1f MB (checksums %llu %d)\n", megabytes,
                static_cast<unsigned long long>(sum), checksum);
    std::printf("byte-sum loop (baseline): %8.1f MB/s\n", loopRate);
    std::printf("weather scanner:          %8.1f MB/s\n", scanRate);
    std::printf("scanner time / baseline time: %.2fx\n", loopRate / scanRate);
    return 0;
}
