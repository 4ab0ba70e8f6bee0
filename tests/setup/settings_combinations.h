// Every combination of the settings the setup dialog shows differently:
// show_weather, show_newver (0 and a nonzero other than 1) and newver (none,
// the program's own, a newer one), with the gallery changing between them.
// The dialog tests (logic alone, through GTK, through Win32) walk the same
// list, from the same starting settings.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "base/saver_app.h"
#include "base/text.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"

// The settings of a fresh installation with a known identifier, and the
// refresh interval of the default gallery.
inline void SettingsFromDefaults() {
    Settings = SettingsRecord{};
    Settings.weather_loc_id.Assign(kDefaultLocationId);
    Settings.weather_loc.Assign(kDefaultLocationName);
    Settings.guid.Assign(u"0123456789ABCDEF0123456789ABCDEF");
    SaverApp.RefreshSeconds = 604800;
}

// Sets Settings to each combination in turn and calls `check(newer)`, with
// `newer` true when the combination knows a newer version.
template <typename Check>
void ForEachSettingsCombination(Check check) {
    const char16_t* versions[] = {u"", u"1.0", u"1.1"};
    int round = 0;
    for (int weather : {0, 1})
        for (int notices : {0, 2})
            for (const char16_t* newver : versions) {
                SCOPED_TRACE(testing::Message() << "show_weather=" << weather << " show_newver="
                                                << notices << " newver=" << Utf16ToUtf8(newver));
                Settings.show_weather = weather;
                Settings.show_newver = notices;
                Settings.newver.Assign(newver);
                Settings.dloption = round++ % kGalleryCount;
                check(std::u16string_view(newver) == u"1.1");
            }
}
