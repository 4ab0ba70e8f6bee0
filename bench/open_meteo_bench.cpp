// The Open-Meteo readers' figures, each beside a plain loop over the same
// bytes in the same run:
//  - a 6-day forecast with hourly codes, and a 10-place search answer, per reply;
//  - replies of 1, 4 and 16 MB (longer hourly blocks, longer result lists):
//    reader and byte loop in ms per MB, which stays flat for a linear reader.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "weather/open_meteo.h"
#include "weather/open_meteo_replies.h"

namespace {
using Clock = std::chrono::steady_clock;
using namespace open_meteo_replies;

double Best(const std::function<void()>& f, int runs) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

uint64_t g_checksum = 0;

void ByteLoop(const std::string& bytes) {
    uint64_t s = 0;
    for (char b : bytes) s += static_cast<unsigned char>(b);
    g_checksum += s;
}

void ReadForecast(const std::string& reply) {
    WeatherReport report;
    g_checksum += ReadOpenMeteoForecast(reply, u"Place", report) ? report.CurrentTemp : 0;
}

void ReadPlaces(const std::string& reply) {
    std::vector<FoundPlace> places;
    g_checksum += static_cast<uint64_t>(ReadOpenMeteoPlaces(reply, places));
}

// A forecast whose hourly block holds `hours` steps.
std::string ForecastOf(std::size_t hours) {
    HourlyCodes codes(hours);
    for (std::size_t i = 0; i < hours; ++i) codes[i] = (i / 5) % 2 ? 61 : 2;
    return Forecast('C', codes);
}

// A search answer with `count` places, the recorded ones repeated.
std::string PlacesOf(std::size_t count) {
    nlohmann::json recorded = nlohmann::json::parse(kPlaces);
    nlohmann::json answer = {{"results", nlohmann::json::array()}, {"generationtime_ms", 0.15}};
    for (std::size_t i = 0; i < count; ++i) answer["results"].push_back(recorded["results"][i % 2]);
    return answer.dump();
}

void Figures(const char* name, const std::string& reply,
             const std::function<std::string(std::size_t)>& grown, std::size_t unitCount,
             const std::function<void(const std::string&)>& read) {
    const double r = Best([&] { read(reply); }, 200);
    const double l = Best([&] { ByteLoop(reply); }, 200);
    std::printf("%s (%zu bytes): read %.4f ms, byte loop %.5f ms, ratio %.0fx\n", name,
                reply.size(), r, l, r / l);
    for (std::size_t mb : {1u, 4u, 16u}) {
        const std::string big = grown(unitCount * ((mb << 20) / reply.size() + 1));
        const double size = static_cast<double>(big.size()) / (1 << 20);
        const double rb = Best([&] { read(big); }, 3) / size;
        const double lb = Best([&] { ByteLoop(big); }, 3) / size;
        std::printf("%s %5.1f MB: read %8.3f ms/MB, byte loop %6.3f ms/MB, ratio %.0fx\n", name,
                    size, rb, lb, rb / lb);
    }
}
}  // namespace

int main() {
    Figures("forecast", ForecastOf(6 * 24), ForecastOf, 6 * 24, ReadForecast);
    Figures("places", PlacesOf(10), PlacesOf, 10, ReadPlaces);
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(g_checksum));
    return 0;
}
