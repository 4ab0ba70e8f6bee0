// Every combination of the settings the setup dialog shows differently:
// show_weather, show_newver (0 and a nonzero other than 1) and newver (none,
// the program's own, a newer one), with the gallery changing between them.
// Both dialog tests (logic alone, and through GTK) walk the same list.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "base/text.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"

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
