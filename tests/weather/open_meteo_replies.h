// Open-Meteo replies in the shapes the live services send, for the reader
// and feed tests. The forecast follows a reply recorded from the live API by
// the python-open-meteo project (tests/fixtures/forecast.json: key order,
// "*_units" objects, local "YYYY-MM-DDTHH:MM" times, one decimal), with the
// hourly block of weather codes and is_day the request asks for; the place
// answers are that project's recorded geocoding fixtures (geocoding.json,
// geocoding_missing_fields.json, geocoding_empty.json).
#pragma once

#include <array>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace open_meteo_replies {

// Hourly codes of six days: 24 per day, starting at 00:00 of day 0.
using HourlyCodes = std::vector<int>;

inline HourlyCodes SameCodeEveryHour(int code) {
    return HourlyCodes(6 * 24, code);
}

inline nlohmann::json ForecastJson(char unit, const HourlyCodes& hourly) {
    using nlohmann::json;
    const std::string u = unit == 'F' ? "\u00B0F" : "\u00B0C";
    const std::array<std::string, 6> dates = {"2026-10-03", "2026-10-04", "2026-10-05",
                                              "2026-10-06", "2026-10-07", "2026-10-08"};
    json times = json::array(), codes = json::array(), isDay = json::array();
    for (std::size_t i = 0; i < hourly.size(); ++i) {
        const int hour = static_cast<int>(i % 24);
        char stamp[8];
        std::snprintf(stamp, sizeof stamp, "T%02d:00", hour);
        times.push_back(dates[i / 24 % 6] + stamp);
        codes.push_back(hourly[i]);
        isDay.push_back(hour >= 7 && hour < 19 ? 1 : 0);
    }
    json daily = {
        {"time", dates},
        {"weather_code", {3, 45, 3, 61, 2, 0}},
        {"temperature_2m_max", unit == 'F' ? json{69.1, 68.4, 72.0, 60.3, 58.5, 59.0}
                                           : json{20.6, 20.2, 22.2, 15.7, 14.7, 15.0}},
        {"temperature_2m_min", unit == 'F' ? json{47.1, 51.4, 52.9, 45.5, 31.1, 40.0}
                                           : json{8.4, 10.8, 11.6, 7.5, -0.5, 4.4}},
        {"sunrise",
         {"2026-10-03T07:36", "2026-10-04T07:38", "2026-10-05T07:40", "2026-10-06T07:41",
          "2026-10-07T07:43", "2026-10-08T07:45"}},
        {"sunset",
         {"2026-10-03T19:05", "2026-10-04T19:02", "2026-10-05T19:00", "2026-10-06T18:58",
          "2026-10-07T18:55", "2026-10-08T18:53"}},
    };
    return json{
        {"latitude", 52.276},
        {"longitude", 6.8729997},
        {"generationtime_ms", 0.138},
        {"utc_offset_seconds", 7200},
        {"timezone", "Europe/Amsterdam"},
        {"timezone_abbreviation", "GMT+2"},
        {"elevation", 29.0},
        {"current_units",
         {{"time", "iso8601"},
          {"interval", "seconds"},
          {"temperature_2m", u},
          {"weather_code", "wmo code"},
          {"is_day", ""}}},
        {"current",
         {{"time", "2026-10-03T12:30"},
          {"interval", 900},
          {"temperature_2m", unit == 'F' ? 63.9 : 17.7},
          {"weather_code", 2},
          {"is_day", 1}}},
        {"hourly_units", {{"time", "iso8601"}, {"weather_code", "wmo code"}, {"is_day", ""}}},
        {"hourly", {{"time", times}, {"weather_code", codes}, {"is_day", isDay}}},
        {"daily_units",
         {{"time", "iso8601"},
          {"weather_code", "wmo code"},
          {"temperature_2m_max", u},
          {"temperature_2m_min", u},
          {"sunrise", "iso8601"},
          {"sunset", "iso8601"}}},
        {"daily", daily}};
}

inline std::string Forecast(char unit = 'C', const HourlyCodes& hourly = SameCodeEveryHour(2)) {
    return ForecastJson(unit, hourly).dump();
}

inline constexpr char kPlaces[] = R"({"results": [
  {"id": 2756071, "name": "Enschede", "latitude": 52.21833, "longitude": 6.89583,
   "elevation": 45.0, "feature_code": "PPL", "country_code": "NL", "admin1_id": 2748838,
   "admin2_id": 2756070, "timezone": "Europe/Amsterdam", "population": 153655,
   "postcodes": ["7511", "7512", "7513", "7548"], "country_id": 2750405,
   "country": "The Netherlands", "admin1": "Overijssel", "admin2": "Enschede Municipality"},
  {"id": 6296691, "name": "Enschede Airport Twente", "latitude": 52.27, "longitude": 6.87417,
   "elevation": 34.0, "feature_code": "AIRP", "country_code": "NL", "admin1_id": 2748838,
   "admin2_id": 2756070, "timezone": "Europe/Amsterdam", "country_id": 2750405,
   "country": "The Netherlands", "admin1": "Overijssel", "admin2": "Enschede Municipality"}],
 "generationtime_ms": 0.15377998})";

inline constexpr char kPlacesMissingFields[] = R"({"results": [
  {"id": 6255152, "name": "Antarctica", "latitude": -78.15856, "longitude": 16.40626,
   "elevation": 3199.0, "feature_code": "CONT", "timezone": "Antarctica/Syowa", "population": 1100},
  {"id": 4956966, "name": "Atlantic Point", "latitude": 44.09647, "longitude": -69.10087,
   "feature_code": "CAPE", "country_code": "US", "admin1_id": 4971068, "admin2_id": 4968996,
   "timezone": "America/New_York", "country_id": 6252001, "country": "United States",
   "admin1": "Maine", "admin2": "Knox"}],
 "generationtime_ms": 0.7573366})";

inline constexpr char kNoPlaces[] = R"({ "generationtime_ms": 0.13756752 })";

// Error objects as the servers write them (the envelope of every refusal).
inline constexpr char kRateLimited[] =
    R"({"error":true,"reason":"Minutely API request limit exceeded. Please try again in one minute."})";
inline constexpr char kOverloaded[] = R"({"error":true,"reason":"The service is overloaded"})";
inline constexpr char kBadRequest[] =
    R"({"error":true,"reason":"Cannot initialize WeatherVariable from invalid String value tempeture_2m for key hourly"})";

}  // namespace open_meteo_replies
