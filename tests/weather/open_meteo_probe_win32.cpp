// The Open-Meteo provider of the Win32 build (WinInet), for the Wine test
// that runs it against a loopback server:
//   open_meteo_probe forecast SITE FOLDER   the weather refresh for
//       Enschede in °F, with FOLDER as the data folder; prints "true" or
//       "false", then unit, temperature, conditions, last update, and the
//       first day's date, day text and night text, a line each
//   open_meteo_probe search SITE FOLDER TEXT   the place search; prints the
//       outcome (places, none, failed), then "label|code" per place
// The exit code is 0 for true or places, 1 otherwise, 2 for bad usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/process_state.h"
#include "base/text.h"
#include "net/endpoints.h"
#include "settings/settings.h"
#include "setup/location_search.h"
#include "weather/weather_feed.h"

namespace {
void Line(std::u16string_view text) {
    std::printf("%s\n", Utf16ToUtf8(text).c_str());
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || !SetSiteOverride(Utf8ToUtf16(argv[2]))) return 2;
    DataFolder.Assign(Utf8ToUtf16(argv[3]));
    ChosenWeatherProvider = WeatherProvider::OpenMeteo;
    if (std::strcmp(argv[1], "forecast") == 0 && argc == 4) {
        Settings.weather_loc_id.Assign(u"52.2183,6.8958");
        Settings.weather_loc.Assign(u"Enschede, Overijssel, The Netherlands");
        Settings.temp_unit = u'F';
        const bool ok = FetchWeather();
        const WeatherReport r = CurrentWeatherReport();
        std::printf("%s\n%c\n%d\n", ok ? "true" : "false", static_cast<char>(r.TempUnit),
                    static_cast<int>(r.CurrentTemp));
        for (const auto* text : {&r.Conditions, &r.LastUpdated, &r.Days[0].Date, &r.Days[0].DayText,
                                 &r.Days[0].NightText})
            Line(text->view());
        return ok ? 0 : 1;
    }
    if (std::strcmp(argv[1], "search") == 0 && argc == 5) {
        PathText path;
        if (!NextSearchDownloadPath(path)) return 2;
        const SearchOutcome outcome = RunLocationSearch(Utf8ToUtf16(argv[4]), path.view());
        std::printf("%s\n", outcome.kind == SearchOutcome::Places         ? "places"
                            : outcome.kind == SearchOutcome::NothingFound ? "none"
                                                                          : "failed");
        for (std::size_t i = 0; i < outcome.lines.size() && i < outcome.codes.size(); ++i)
            Line(outcome.lines[i] + u"|" + outcome.codes[i].str());
        return outcome.kind == SearchOutcome::Places ? 0 : 1;
    }
    return 2;
}
