// Open-Meteo's side of the demo: forecasts for any coordinates, made up
// deterministically from the place and the date in the shape of the live
// forecast API, and place searches answered in the geocoding API's shape.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The reply to /v1/forecast for a place at a moment (seconds since 1970,
// UTC), in °F when `fahrenheit`; an error object as the API sends it when
// latitude or longitude is missing or out of range (`status` 400).
std::string OpenMeteoForecastReply(std::string_view latitude, std::string_view longitude,
                                   bool fahrenheit, int64_t utcSeconds, int& status);

// The reply to /v1/search: the places whose name starts with `name` (ASCII
// case ignored); the empty answer when none does.
std::string OpenMeteoSearchReply(std::string_view name);
