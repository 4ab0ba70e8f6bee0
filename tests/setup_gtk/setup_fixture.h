// A setup dialog opened over a fresh data folder with default settings.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/saver_app.h"
#include "dialog_driver.h"
#include "settings/settings.h"
#include "setup/location_search.h"
#include "setup/settings_combinations.h"
#include "setup/setup_dialog.h"
#include "support/temp_dir.h"
#include "weather/weather_feed.h"

inline constexpr char kSetupTitle[] = "Skyreel - Screensaver Setup";
inline constexpr char kLocationTitle[] = "Weather Location";

inline GtkWidget* SetupWindow() {
    return GTK_WIDGET(FindWindow(kSetupTitle));
}

// The width of the window on the X server, once it has settled.
inline int WindowWidth(GtkWindow* window) {
    PumpEvents();
    return gdk_window_get_width(gtk_widget_get_window(GTK_WIDGET(window)));
}

class SetupDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SettingsFromDefaults();
        PendingLocation = PendingLocationRecord{};
        ChosenWeatherProvider = WeatherProvider::Site;
    }
    void TearDown() override {
        for (const char* title : {kLocationTitle, kSetupTitle})
            if (GtkWindow* w = FindWindow(title)) gtk_widget_destroy(GTK_WIDGET(w));
        PumpEvents();
    }

    void Open() {
        ASSERT_TRUE(CreateSetupDialog(0));
        window = FindWindow(kSetupTitle);
        ASSERT_NE(window, nullptr);
        PumpEvents();
    }
    GtkWidget* Find(const char* id) const { return FindById(GTK_WIDGET(window), id); }

    std::u16string SettingsFile() const {
        std::string b = ReadFileBytes(dir / "settings.cfg");
        std::u16string out;
        for (std::size_t i = 0; i + 1 < b.size(); i += 2)
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(b[i]) |
                                                (static_cast<unsigned char>(b[i + 1]) << 8)));
        return out;
    }

    TempDataFolder dir;
    GtkWindow* window = nullptr;
};
