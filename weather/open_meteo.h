// The Open-Meteo weather provider: the forecast request for a stored place,
// the reader that turns a forecast reply into the shared WeatherReport, and
// the place search of the location dialog (Open-Meteo's geocoding service).
//
// Everything here is a plain function over text: the download, the cache
// file and the refresh rules are the weather feed's (weather_feed.cpp),
// shared with the weather site.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/fixed_text.h"
#include "weather/weather_report.h"

// A place as the forecast asks for it.
struct PlaceCoordinates {
    double latitude = 0;
    double longitude = 0;
};

// The place of a stored location code: "latitude,longitude" as the place
// search stores it (also in the form StoredLocationId repairs), or the old
// default code, which stands for Saint Petersburg. False for any other
// code: there is no place to ask about.
bool PlaceFromCode(std::u16string_view code, PlaceCoordinates& out);
// The stored code of a place: four decimals each, "59.9386,30.3141"; at most
// 19 characters for any valid latitude and longitude.
FixedText<20> PlaceCode(PlaceCoordinates place);

// The forecast request, parameters in a fixed order so that every install
// asks the same address for the same place. `unit` is 'C' or 'F'.
std::u16string OpenMeteoForecastUrl(PlaceCoordinates place, char16_t unit);

// Reads a forecast reply into a fresh `report` (LocationName is the stored
// place name, FileTime is left for the caller). True when the reply has
// current conditions: a temperature, a known-or-unknown weather code and a
// time. Anything unreadable leaves its field empty; an error object or a
// reply that is no JSON object returns false with nothing taken.
bool ReadOpenMeteoForecast(std::string_view reply, std::u16string_view locationName,
                           WeatherReport& report);

// One row of the table from WMO weather codes to the panels' icons (0..47)
// and a short English text for day and night.
struct WmoRow {
    int32_t code;
    int32_t dayIcon;
    int32_t nightIcon;
    const char16_t* dayText;
    const char16_t* nightText;
};
// The row of `code`, or null for a code Open-Meteo does not send.
const WmoRow* FindWmoRow(int64_t code);

// The conditions of a window of hourly codes (a half day): the most severe
// precipitation or fog code that lasts two hours or more, else the most
// frequent sky code (ties to the cloudier), else the most severe code seen.
// -1 for codes absent in the window (null) are skipped; -1 when nothing is left.
int32_t WindowWeatherCode(const std::vector<int32_t>& hourlyCodes);

// The place search request for the typed text (percent-encoded UTF-8).
std::u16string OpenMeteoSearchUrl(std::u16string_view query);

// One place of a search answer: the listed text "name, region, country"
// (followed by the code when an earlier place reads the same) and the code
// to store.
struct FoundPlace {
    std::u16string label;
    FixedText<20> code;
};
// Reads a search answer. Returns the number of places (0 for an answer
// without results), or -1 for a reply that is no answer (an error object,
// no JSON object, "results" not an array).
int ReadOpenMeteoPlaces(std::string_view reply, std::vector<FoundPlace>& places);

// The credit the panels draw when their data came from Open-Meteo, and the
// location dialog's credit for the place names.
inline constexpr char16_t kOpenMeteoCredit[] = u"Weather data by Open-Meteo.com";
inline constexpr char16_t kGeoNamesCredit[] = u"Location data based on GeoNames";
