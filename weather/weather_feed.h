// Weather feed fetch and cache: keeps the chosen provider's reply for the
// chosen location in the data folder ("weather.xml" from the weather site,
// "open-meteo.json" from Open-Meteo) and keeps the shared WeatherReport
// filled from it. The copy is fresh for 15 minutes after it was last
// written; a last-write time in the future counts as fresh.
//
// The slideshow calls WeatherCheck at its start, after every cache scan and
// at each periodic check. There is no timer of its own: a stale or
// incomplete report is reloaded from the file at every check and, when that
// does not help and no download runs, one WeatherThread is started that
// downloads the feed once and loads it.
#pragma once

#include <cstdint>
#include <mutex>

#include "weather/weather_report.h"

// Where the weather comes from. Set once at start-up (--weather), before
// any other thread exists; read-only afterwards.
enum class WeatherProvider { Site, OpenMeteo };
extern WeatherProvider ChosenWeatherProvider;

// How long a cached reply stays fresh. Open-Meteo is also asked at most
// once per this long, whatever fails, and after failures no sooner than
// the back-off (base/backoff.h) or a longer Retry-After allows. A reply is
// stored only when it reads as a forecast with current conditions, so a
// refusal keeps the last good cache.
inline constexpr int32_t kWeatherFreshSeconds = 15 * 60;
// The back-off the last Open-Meteo refresh left, in seconds; 0 when none.
int32_t WeatherBackoffSeconds();
// Tests start each case with no refresh made and no back-off.
void ResetWeatherRefreshGate();

// Held around the creation of the weather thread.
extern std::mutex WeatherStartLock;

// Main thread only. Reloads the cache file when the report is incomplete or
// stale and, if it still is, starts the weather thread unless one runs.
void WeatherCheck();

// Scans the cache file into a fresh report and publishes it whole (an empty
// report when there is no file). True when the report is complete and fresh.
// A load that overlaps a download of the feed publishes nothing and returns
// false: the file may be half written, and the report on show stays.
bool LoadWeatherCache();

// Run by the weather thread. Downloads the feed for the stored location into the
// cache file and loads it; true when both succeeded and the report is
// complete and fresh. For the weather site, a location id holding anything
// but ASCII letters, digits, "-" and "_" (or an empty one) fails like a
// failed download; for Open-Meteo, one that names no place (PlaceFromCode).
bool FetchWeather();

// Clears the report and deletes the cache file (a missing file is fine).
void DiscardWeatherCache();

// True from the start of a weather thread until its last act.
bool WeatherThreadRunning();

// A report is complete when it names its location and the time of its
// current conditions.
bool WeatherReportComplete(const WeatherReport& report);
// Fresh: written less than 15 minutes before `now` (UTC file time), or later.
bool WeatherReportFresh(const WeatherReport& report, int64_t now);
