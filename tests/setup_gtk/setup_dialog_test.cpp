#include "setup/setup_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "base/process_state.h"
#include "base/saver_app.h"
#include "base/text.h"
#include "dialog_driver.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"
#include "setup/location_search.h"
#include "setup/settings_combinations.h"
#include "setup_fixture.h"
#include "support/temp_dir.h"

// X11 last: its macros clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>

namespace {
bool Sensitive(GtkWidget* w) {
    return gtk_widget_get_sensitive(w);
}
bool Active(GtkWidget* w) {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w));
}
std::string LabelText(GtkWidget* w) {
    return gtk_label_get_text(GTK_LABEL(w));
}

TEST_F(SetupDialogTest, InitialStateFollowsEveryCombinationOfSettings) {
    ForEachSettingsCombination([this](bool newer) {
        const bool weather = Settings.show_weather != 0;
        Open();
        GtkWidget* gallery = Find("gallery");
        EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(gallery)), Settings.dloption);
        GtkTreeModel* titles = gtk_combo_box_get_model(GTK_COMBO_BOX(gallery));
        EXPECT_EQ(gtk_tree_model_iter_n_children(titles, nullptr), kGalleryCount);
        EXPECT_EQ(LabelText(Find("location_name")), "Saint-Petersburg, Russia");
        EXPECT_EQ(Active(Find("show_weather")), weather);
        EXPECT_EQ(Active(Find("show_newver")), Settings.show_newver != 0);
        EXPECT_TRUE(Active(Find("show_titles")));
        for (const char* id : {"location_caption", "location_name", "change_location"})
            EXPECT_EQ(Sensitive(Find(id)), weather) << id;

        EXPECT_EQ(gtk_widget_get_visible(Find("newver_icon")), newer);
        EXPECT_EQ(gtk_widget_get_visible(Find("newver_message")), newer);
        if (newer) {
            EXPECT_EQ(LabelText(Find("newver_message")),
                      "New version 1.1 is available!\n"
                      "Please, click \"Home Website\" for upgrade details.");
        }
        gtk_button_clicked(GTK_BUTTON(Find("cancel")));
        PumpEvents();
        EXPECT_EQ(FindWindow(kSetupTitle), nullptr);
    });
}

TEST_F(SetupDialogTest, WeatherBoxEnablesAndDisablesTheLocationAtOnce) {
    Settings.show_weather = 0;
    Open();
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find("show_weather")), TRUE);
    for (const char* id : {"location_caption", "location_name", "change_location"})
        EXPECT_TRUE(Sensitive(Find(id))) << id;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find("show_weather")), FALSE);
    for (const char* id : {"location_caption", "location_name", "change_location"})
        EXPECT_FALSE(Sensitive(Find(id))) << id;
}

TEST_F(SetupDialogTest, OkStoresTheChoicesAndKeepsTheWeatherOfAnUnchangedLocation) {
    WriteFileBytes(dir / "weather.xml", "<weather/>");
    Open();
    gtk_combo_box_set_active(GTK_COMBO_BOX(Find("gallery")), 3);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find("show_newver")), FALSE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find("show_weather")), FALSE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find("show_titles")), FALSE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find("blur_edges")), TRUE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find("gentle_motion")), TRUE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find("download_anyway")), TRUE);
    gtk_button_clicked(GTK_BUTTON(Find("ok")));
    PumpEvents();

    EXPECT_EQ(FindWindow(kSetupTitle), nullptr);
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(SaverApp.RefreshSeconds, GalleryTable[3].refresh);
    auto file = SettingsFile();
    EXPECT_NE(file.find(u"dloption=3\n"), std::u16string::npos);
    EXPECT_NE(file.find(u"show_weather=0\n"), std::u16string::npos);
    EXPECT_NE(file.find(u"show_newver=0"), std::u16string::npos);
    EXPECT_NE(file.find(u"weather_loc_id=RSXX0091\n"), std::u16string::npos);
    EXPECT_TRUE(
        file.ends_with(u"\nshow_titles=0\nblur_edges=1\ngentle_motion=1\ndownload_anyway=1"));
    EXPECT_TRUE(std::filesystem::exists(dir / "weather.xml"));
}

TEST_F(SetupDialogTest, OkReplacesTheLocationOnlyWhenThePendingOneDiffers) {
    WriteFileBytes(dir / "weather.xml", "<weather/>");
    // The stored place chosen again, in other case: nothing to discard.
    PendingLocation.name.Assign(u"SAINT-PETERSBURG, RUSSIA");
    PendingLocation.id.Assign(u"rsxx0091");
    Open();
    gtk_button_clicked(GTK_BUTTON(Find("ok")));
    PumpEvents();
    EXPECT_TRUE(std::filesystem::exists(dir / "weather.xml"));
    EXPECT_NE(SettingsFile().find(u"weather_loc=Saint-Petersburg, Russia"), std::u16string::npos);

    PendingLocation.name.Assign(u"Oslo, Norway");
    PendingLocation.id.Assign(u"NOXX0029");
    Open();
    gtk_button_clicked(GTK_BUTTON(Find("ok")));
    PumpEvents();
    EXPECT_FALSE(std::filesystem::exists(dir / "weather.xml"));
    auto file = SettingsFile();
    EXPECT_NE(file.find(u"weather_loc_id=NOXX0029\n"), std::u16string::npos);
    EXPECT_NE(file.find(u"weather_loc=Oslo, Norway\n"), std::u16string::npos);
}

TEST_F(SetupDialogTest, CancelEscAndTheCloseBoxStoreNothing) {
    PendingLocation.name.Assign(u"Oslo, Norway");
    PendingLocation.id.Assign(u"NOXX0029");
    WriteFileBytes(dir / "weather.xml", "<weather/>");
    std::function<void(GtkWindow*)> closers[] = {
        [](GtkWindow*) { gtk_button_clicked(GTK_BUTTON(FindById(SetupWindow(), "cancel"))); },
        [](GtkWindow* w) { PressKey(w, GDK_KEY_Escape); },
        [](GtkWindow* w) { gtk_window_close(w); },
    };
    for (auto& close : closers) {
        Open();
        gtk_combo_box_set_active(GTK_COMBO_BOX(Find("gallery")), 4);
        close(window);
        PumpEvents();
        EXPECT_EQ(FindWindow(kSetupTitle), nullptr);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "settings.cfg"));
    EXPECT_TRUE(std::filesystem::exists(dir / "weather.xml"));
    EXPECT_EQ(Settings.dloption, 0);
    EXPECT_EQ(Settings.weather_loc_id.view(), u"RSXX0091");
}

TEST_F(SetupDialogTest, EnterPressesOkUnlessAnotherPushButtonHasTheFocus) {
    Open();
    gtk_widget_grab_focus(Find("cancel"));
    PressKey(window, GDK_KEY_Return);
    PumpEvents();
    EXPECT_EQ(FindWindow(kSetupTitle), nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir / "settings.cfg"));

    Open();
    gtk_widget_grab_focus(Find("show_newver"));
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find("show_newver")), FALSE);
    PressKey(window, GDK_KEY_Return);
    PumpEvents();
    EXPECT_EQ(FindWindow(kSetupTitle), nullptr);
    EXPECT_NE(SettingsFile().find(u"show_newver=0"), std::u16string::npos);
}

TEST_F(SetupDialogTest, TabFollowsTheOrderOfTheLayout) {
    WriteFileBytes(dir / "cached.jpg", "jpeg");  // "Clear cache" takes the focus only when enabled
    Open();
    // Tab moves the focus only inside the window that has the keyboard.
    gtk_window_present(window);
    ASSERT_TRUE(PumpUntil([&] { return gtk_window_is_active(window); }, 3000));
    const char* ids[] = {"ok",
                         "cancel",
                         "source_gallery",
                         "source_folder",
                         "gallery",
                         "choose_folder",
                         "clear_cache",
                         "blur_edges",
                         "gentle_motion",
                         "show_titles",
                         "download_anyway",
                         "home_website",
                         "show_newver",
                         "show_weather",
                         "change_location",
                         "unit_celsius",
                         "unit_fahrenheit"};
    std::vector<std::string> order;
    for (int i = 0; i < 15; ++i) {
        gtk_widget_child_focus(GTK_WIDGET(window), GTK_DIR_TAB_FORWARD);
        GtkWidget* focus = gtk_window_get_focus(window);
        std::string name = "none";
        // The gallery list takes the focus with an inner button of its own.
        for (const char* id : ids)
            if (focus && (focus == Find(id) || gtk_widget_is_ancestor(focus, Find(id)))) name = id;
        // Two radio buttons are one stop: the selected one takes the focus.
        if (name.starts_with("unit_")) name = "unit";
        if (name.starts_with("source_")) name = "source";
        order.push_back(name);
    }
    // "Choose..." is skipped while the gallery list is the source.
    EXPECT_EQ(order,
              (std::vector<std::string>{"cancel", "source", "gallery", "clear_cache", "blur_edges",
                                        "gentle_motion", "show_titles", "download_anyway",
                                        "home_website", "show_newver", "show_weather",
                                        "change_location", "unit", "ok", "cancel"}));
}

TEST_F(SetupDialogTest, AnXWindowIdMakesTheDialogTransientForIt) {
    GtkWidget* host = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_realize(host);
    Window hostId = gdk_x11_window_get_xid(gtk_widget_get_window(host));
    ASSERT_TRUE(CreateSetupDialog(hostId));
    window = FindWindow(kSetupTitle);
    ASSERT_NE(window, nullptr);
    PumpEvents();
    Display* x = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    Window owner = 0;
    ASSERT_TRUE(XGetTransientForHint(
        x, gdk_x11_window_get_xid(gtk_widget_get_window(SetupWindow())), &owner));
    EXPECT_EQ(owner, hostId);
    gtk_widget_destroy(GTK_WIDGET(window));
    gtk_widget_destroy(host);

    // A window ID that names nothing leaves the dialog without owner.
    ASSERT_TRUE(CreateSetupDialog(0x7ffffff0));
    window = FindWindow(kSetupTitle);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(XGetTransientForHint(
        x, gdk_x11_window_get_xid(gtk_widget_get_window(SetupWindow())), &owner));
}

// Also run with GDK_SCALE=2 (setup_dialog_scale2_test): the same layout in
// twice the device pixels, not a stretched bitmap.
TEST_F(SetupDialogTest, ALongLocationNameKeepsTheTemplatesWidth) {
    const char* scaleVariable = std::getenv("GDK_SCALE");
    const int scale = scaleVariable ? std::atoi(scaleVariable) : 1;
    Open();
    EXPECT_EQ(WindowWidth(window), 393);
    EXPECT_EQ(gdk_window_get_scale_factor(gtk_widget_get_window(GTK_WIDGET(window))), scale);
    GdkPixbuf* shot = SaveScreenshot(window, "setup_dialog_scaled.png");
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(shot), 393 * scale);
    g_object_unref(shot);
    GtkAllocation titles;
    gtk_widget_get_allocation(Find("show_titles"), &titles);
    EXPECT_EQ(titles.y, 229);
    gtk_widget_destroy(GTK_WIDGET(window));
    Settings.weather_loc.Assign(std::u16string(90, u'W') + u", Far Away");
    Open();
    EXPECT_EQ(WindowWidth(window), 393);
    EXPECT_TRUE(pango_layout_is_ellipsized(gtk_label_get_layout(GTK_LABEL(Find("location_name")))));
}

TEST_F(SetupDialogTest, ShowsTheIconsAndCutsALongLocationName) {
    Settings.newver.Assign(u"1.1");
    Settings.weather_loc.Assign(u"Llanfairpwllgwyngyll, Isle of Anglesey, United Kingdom");
    Open();
    EXPECT_NE(LabelText(Find("about")).find("version 1.0"), std::string::npos);
    EXPECT_TRUE(pango_layout_is_ellipsized(gtk_label_get_layout(GTK_LABEL(Find("location_name")))));
    GdkPixbuf* shot = SaveScreenshot(window, "setup_dialog.png");
    ASSERT_NE(shot, nullptr);
    // The warning sign is yellow to orange; the program icon shows a blue sky.
    int warm = CountPixels(shot, {9, 379, 32, 32},
                           [](int r, int g, int b) { return r > 200 && g > 90 && b < 90; });
    int sky =
        CountPixels(shot, {9, 10, 48, 48}, [](int r, int, int b) { return b > 150 && b > r + 40; });
    EXPECT_GT(warm, 100);
    EXPECT_GT(sky, 300);
    g_object_unref(shot);
    gtk_widget_destroy(GTK_WIDGET(window));

    // No warning sign when no newer version is known.
    Settings.newver.Clear();
    Open();
    shot = SaveScreenshot(window, "setup_dialog_plain.png");
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(CountPixels(shot, {9, 379, 32, 32},
                          [](int r, int g, int b) { return r > 200 && g > 90 && b < 90; }),
              0);
    g_object_unref(shot);
}
}  // namespace
