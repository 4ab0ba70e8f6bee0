// The weather service's side of the demo: a five-day feed for a handful of
// locations, made up deterministically from the location and the date, and
// the location search.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The feed of a location code at a moment (seconds since 1970, UTC); empty
// when the code is unknown.
std::string WeatherFeedXml(std::string_view locationId, int64_t utcSeconds);

// The places whose name starts with `where` (ASCII case ignored, blanks at
// either end dropped); an empty <search/> when none does.
std::string LocationSearchXml(std::string_view where);
