// The setup dialog's fill and OK steps. The version texts go out bare: each
// backend's layout holds the sentence they are put into.
#include "setup/setup_dialog_logic.h"

#include "base/saver_app.h"
#include "base/text.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"
#include "weather/open_meteo.h"
#include "weather/weather_feed.h"

namespace {
// A place chosen with Change replaces the stored one only when it differs.
bool LocationChanged(const PendingLocationRecord& pending) {
    return (!pending.name.empty() &&
            !EqualsNoCase(pending.name.view(), Settings.weather_loc.view())) ||
           (!pending.id.empty() &&
            !EqualsNoCase(pending.id.view(), Settings.weather_loc_id.view()));
}
}  // namespace

SetupDialogFill FillSetupDialog() {
    SetupDialogFill fill;
    const Gallery* galleries = ChosenGalleries();
    for (int i = 0; galleries[i].title; ++i) fill.titles.emplace_back(galleries[i].title);
    fill.dloption = Settings.dloption;
    fill.weather_loc = Settings.weather_loc.str();
    // A code of another weather service names no place Open-Meteo knows:
    // the label asks for one instead of naming a place that shows nothing.
    PlaceCoordinates place;
    if (ChosenWeatherProvider == WeatherProvider::OpenMeteo &&
        !PlaceFromCode(Settings.weather_loc_id.view(), place))
        fill.weather_loc = kChoosePlaceText;
    fill.show_weather = Settings.show_weather != 0;
    fill.show_newver = Settings.show_newver != 0;
    fill.locationEnabled = fill.show_weather;
    fill.tempUnit = TemperatureUnit();
    fill.version = SaverApp.Version;
    fill.newerVersion = NewerVersionKnown();
    if (fill.newerVersion) fill.newver = NewVersionText();
    return fill;
}

void ApplySetupDialogOk(const SetupDialogChoices& choices, const PendingLocationRecord& pending) {
    ApplyGalleryEntry(kGalleryKey, DecimalText(choices.dloption));
    Settings.show_newver = choices.show_newver ? 1 : 0;
    Settings.show_weather = choices.show_weather ? 1 : 0;
    const char16_t unit = TemperatureUnitFrom(std::u16string_view(&choices.tempUnit, 1));
    const bool unitChanged = unit != 0 && unit != TemperatureUnit();
    if (unitChanged) Settings.temp_unit = unit;
    if (LocationChanged(pending)) {
        DiscardWeatherCache();
        Settings.weather_loc.Assign(pending.name.view());
        Settings.weather_loc_id.Assign(pending.id.view());
    } else if (unitChanged) {
        DiscardWeatherCache();
    }
    SaveSettings();
}

std::optional<std::u16string> LocationNameAfterChange(LocationDialogEnd end,
                                                      const PendingLocationRecord& pending) {
    if (end != LocationDialogEnd::Taken) return std::nullopt;
    return pending.name.str();
}
