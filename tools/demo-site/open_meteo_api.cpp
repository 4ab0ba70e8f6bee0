// Where the shapes come from:
//  - the forecast follows a reply recorded from the live API by the
//    python-open-meteo project (tests/fixtures/forecast.json): the top-level
//    keys in the server's order, "*_units" objects with "°C"/"°F" and
//    "wmo code", local "YYYY-MM-DDTHH:MM" times, one decimal for
//    temperatures; the hourly weather_code/is_day block and timezone=auto
//    follow a stored live reply with 168 hourly steps;
//  - the place answers are that project's recorded geocoding fixtures
//    (geocoding.json, geocoding_missing_fields.json: fields left out when
//    empty) and geocoding_empty.json for no match (no "results" at all);
//  - the error object is the one the API documents for a bad parameter.
// The numbers are made up from the place and the date, the same for the
// same request on the same day.
#include "open_meteo_api.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "base/clock.h"

using nlohmann::json;

namespace {
constexpr int kDays = 6;

struct Place {
    const char* name;
    double latitude, longitude;
    const char* admin1;  // empty when the place has none
    const char* country;
    int utcOffsetHours;
};
constexpr Place kPlaces[] = {
    {"Enschede", 52.21833, 6.89583, "Overijssel", "The Netherlands", 2},
    {"Enschede Airport Twente", 52.27, 6.87417, "Overijssel", "The Netherlands", 2},
    {"Saint Petersburg", 59.93863, 30.31413, "St.-Petersburg", "Russia", 3},
    {"Berlin", 52.52437, 13.41053, "Land Berlin", "Germany", 1},
    {"New York", 40.71427, -74.00597, "New York", "United States", -5},
    {"Sydney", -33.86785, 151.20732, "New South Wales", "Australia", 10},
    {"Longyearbyen", 78.22334, 15.64689, "Svalbard", "Svalbard and Jan Mayen", 1},
    {"Antarctica", -78.15856, 16.40626, "", "", 0},
};

bool ParseNumber(std::string_view text, double limit, double& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && std::fabs(out) <= limit;
}

std::string Stamp(int64_t localSeconds, bool withTime) {
    const int64_t days = localSeconds >= 0 ? localSeconds / 86400 : (localSeconds - 86399) / 86400;
    const CivilDate date = CivilDateOfDay(days);
    const int64_t minute = (localSeconds - days * 86400) / 60;
    char text[64];
    if (withTime)
        std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02lld:%02lld",
                      static_cast<long long>(date.year), date.month, date.day,
                      static_cast<long long>(minute / 60), static_cast<long long>(minute % 60));
    else
        std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(date.year),
                      date.month, date.day);
    return text;
}

double Round1(double v) {
    return std::round(v * 10) / 10;
}

// A small deterministic mix of place and hour.
uint32_t Mix(uint32_t a, uint32_t b) {
    uint32_t h = a * 2654435761u ^ (b + 0x9E3779B9u + (a << 6) + (a >> 2));
    h ^= h >> 15;
    h *= 2246822519u;
    return h ^ (h >> 13);
}

constexpr int kSkyCodes[] = {0, 1, 2, 3};
constexpr int kWeatherCodes[] = {45, 51, 61, 63, 71, 80, 95};
}  // namespace

std::string OpenMeteoForecastReply(std::string_view latitude, std::string_view longitude,
                                   bool fahrenheit, int64_t utcSeconds, int& status) {
    double lat = 0, lon = 0;
    if (!ParseNumber(latitude, 90, lat) || !ParseNumber(longitude, 180, lon)) {
        status = 400;
        return R"({"error":true,"reason":"Latitude must be in range of -90 to 90°. Given: )" +
               std::string(latitude) + ".\"}";
    }
    status = 200;
    const int offsetHours = static_cast<int>(std::lround(lon / 15));
    const int64_t local = utcSeconds + offsetHours * 3600;
    const int64_t midnight = local - ((local % 86400) + 86400) % 86400;
    const uint32_t seed =
        static_cast<uint32_t>(std::lround(lat * 100) * 36001 + std::lround(lon * 100));
    const uint32_t day0 = static_cast<uint32_t>(midnight / 86400);
    auto celsius = [&](double c) { return Round1(fahrenheit ? c * 9 / 5 + 32 : c); };
    const std::string unit = fahrenheit ? "\u00B0F" : "\u00B0C";
    // Colder towards the poles, a little warmer in the afternoon.
    const double base = 25 - std::fabs(lat) * 0.45;

    json times = json::array(), codes = json::array(), isDay = json::array();
    const bool polarNight = std::fabs(lat) > 66.5;
    for (int h = 0; h < kDays * 24; ++h) {
        times.push_back(Stamp(midnight + h * 3600, true));
        const uint32_t r = Mix(seed, day0 * 4 + static_cast<uint32_t>(h / 6));
        codes.push_back(r % 3 == 0 ? kWeatherCodes[r / 3 % 7] : kSkyCodes[r / 3 % 4]);
        isDay.push_back(!polarNight && h % 24 >= 7 && h % 24 < 19 ? 1 : 0);
    }
    json daily = {{"time", json::array()},
                  {"weather_code", json::array()},
                  {"temperature_2m_max", json::array()},
                  {"temperature_2m_min", json::array()},
                  {"sunrise", json::array()},
                  {"sunset", json::array()}};
    for (int d = 0; d < kDays; ++d) {
        const uint32_t r = Mix(seed, day0 + static_cast<uint32_t>(d));
        const double high = base + static_cast<double>(r % 80) / 10;
        daily["time"].push_back(Stamp(midnight + d * 86400, false));
        int worst = 0;
        for (int h = d * 24; h < d * 24 + 24; ++h) worst = std::max(worst, codes[h].get<int>());
        daily["weather_code"].push_back(worst);
        daily["temperature_2m_max"].push_back(celsius(high));
        daily["temperature_2m_min"].push_back(celsius(high - 4 - static_cast<double>(r % 50) / 10));
        // In a polar night the sun neither rises nor sets: both are midnight.
        daily["sunrise"].push_back(
            Stamp(midnight + d * 86400 + (polarNight ? 0 : 7 * 3600 + 12 * 60), true));
        daily["sunset"].push_back(
            Stamp(midnight + d * 86400 + (polarNight ? 0 : 18 * 3600 + 41 * 60), true));
    }
    const int64_t step = local - ((local % 900) + 900) % 900;
    const int hourNow = static_cast<int>((step - midnight) / 3600);
    json reply = {
        {"latitude", Round1(lat * 100) / 100},
        {"longitude", Round1(lon * 100) / 100},
        {"generationtime_ms", 0.0839233},
        {"utc_offset_seconds", offsetHours * 3600},
        {"timezone", "GMT"},
        {"timezone_abbreviation", "GMT"},
        {"elevation", 38.0},
        {"current_units",
         {{"time", "iso8601"},
          {"interval", "seconds"},
          {"temperature_2m", unit},
          {"weather_code", "wmo code"},
          {"is_day", ""}}},
        {"current",
         {{"time", Stamp(step, true)},
          {"interval", 900},
          {"temperature_2m", celsius(base + 3 + (hourNow >= 12 && hourNow < 18 ? 2 : 0))},
          {"weather_code", codes[hourNow]},
          {"is_day", isDay[hourNow]}}},
        {"hourly_units", {{"time", "iso8601"}, {"weather_code", "wmo code"}, {"is_day", ""}}},
        {"hourly", {{"time", times}, {"weather_code", codes}, {"is_day", isDay}}},
        {"daily_units",
         {{"time", "iso8601"},
          {"weather_code", "wmo code"},
          {"temperature_2m_max", unit},
          {"temperature_2m_min", unit},
          {"sunrise", "iso8601"},
          {"sunset", "iso8601"}}},
        {"daily", daily},
    };
    return reply.dump();
}

std::string OpenMeteoSearchReply(std::string_view name) {
    json results = json::array();
    int id = 2756071;
    for (const Place& place : kPlaces) {
        ++id;
        const std::string_view full = place.name;
        bool match = !name.empty() && name.size() <= full.size();
        for (std::size_t i = 0; match && i < name.size(); ++i)
            match = std::tolower(static_cast<unsigned char>(name[i])) ==
                    std::tolower(static_cast<unsigned char>(full[i]));
        if (!match) continue;
        json entry = {{"id", id},
                      {"name", place.name},
                      {"latitude", place.latitude},
                      {"longitude", place.longitude},
                      {"elevation", 30.0},
                      {"feature_code", "PPL"}};
        // Empty fields are left out, as the service writes them.
        if (*place.country) entry["country"] = place.country;
        if (*place.admin1) entry["admin1"] = place.admin1;
        results.push_back(entry);
    }
    if (results.empty()) return R"({"generationtime_ms":0.13756752})";
    return json{{"results", results}, {"generationtime_ms", 0.15377998}}.dump();
}
