// The setup dialog on GTK: the layout comes from the embedded
// setup_dialog.ui; what it shows and what OK stores come from
// setup_dialog_logic, the signal handlers below only move values between it
// and the widgets. OK and Cancel (also Esc and the close box) end the setup
// run mode through PostQuit and destroy the dialog.
//
// Implemented: photo source (gallery list or a folder of the user's, picked
//   with GtkFileChooserDialog in folder mode), cache line and "Clear cache"
//   with its question, refusals as warning boxes, weather and new-version
//   check boxes, location label and "Change", new-version notice, "Home
//   Website", OK/Cancel, Enter/Esc/close box, transient parent from an X
//   window ID.
// Missing: nothing.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "base/process_state.h"
#include "base/text.h"
#include "net/endpoints.h"
#include "setup/dialog_gtk.h"
#include "setup/location_dialog_gtk.h"
#include "setup/location_search.h"
#include "setup/setup_dialog.h"
#include "setup/setup_dialog_logic.h"

namespace {
// Main thread only. Set while the dialog exists.
struct SetupDialog {
    GtkBuilder* builder = nullptr;
    GtkWidget* window = nullptr;
    GtkWidget* locationDialog = nullptr;  // the open location dialog, if any
    GtkWidget* folderPicker = nullptr;    // the open folder chooser, if any
    GdkWindow* owner = nullptr;           // the foreign transient parent, if any
    std::u16string folder;                // the folder shown; empty when none
};
SetupDialog* g_dialog = nullptr;

GtkWidget* Widget(const char* id) {
    return LayoutWidget(g_dialog->builder, id);
}

bool Ticked(const char* id) {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Widget(id)));
}

void EnableLocation(bool on) {
    for (const char* id : {"location_caption", "location_name", "change_location", "unit_celsius",
                           "unit_fahrenheit"})
        gtk_widget_set_sensitive(Widget(id), on);
}

void SetLocationName(std::u16string_view name) {
    gtk_label_set_text(GTK_LABEL(Widget("location_name")), Utf16ToUtf8(name).c_str());
}

// Shows the photo source chosen: the gallery list, or the folder and its picker.
void EnableSource(bool folder) {
    gtk_widget_set_sensitive(Widget("gallery"), !folder);
    for (const char* id : {"folder_name", "choose_folder"})
        gtk_widget_set_sensitive(Widget(id), folder);
}

void ShowFolder(std::u16string folder) {
    gtk_label_set_text(GTK_LABEL(Widget("folder_name")), Utf16ToUtf8(FolderLabel(folder)).c_str());
    g_dialog->folder = std::move(folder);
}

void ShowCacheLine(const std::u16string& text, bool clearable) {
    gtk_label_set_text(GTK_LABEL(Widget("cache_line")), Utf16ToUtf8(text).c_str());
    gtk_widget_set_sensitive(Widget("clear_cache"), clearable);
}

// A modal message box over the dialog; `answered` gets the button pressed
// while the dialog still exists.
void AskUser(GtkMessageType type, GtkButtonsType buttons, std::u16string_view text,
             std::function<void(int)> answered = {}) {
    GtkWidget* box =
        gtk_message_dialog_new(GTK_WINDOW(g_dialog->window),
                               GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                               type, buttons, "%s", Utf16ToUtf8(text).c_str());
    gtk_window_set_title(GTK_WINDOW(box), Utf16ToUtf8(kSetupMessageCaption).c_str());
    auto* callback = new std::function<void(int)>(std::move(answered));
    g_signal_connect_data(
        box, "response", G_CALLBACK(+[](GtkDialog* d, int response, gpointer data) {
            auto* f = static_cast<std::function<void(int)>*>(data);
            if (g_dialog && *f) (*f)(response);
            gtk_widget_destroy(GTK_WIDGET(d));
        }),
        callback,
        [](gpointer data, GClosure*) { delete static_cast<std::function<void(int)>*>(data); },
        GConnectFlags(0));
    gtk_widget_show(box);
}

void Warn(std::u16string_view text) {
    AskUser(GTK_MESSAGE_WARNING, GTK_BUTTONS_OK, text);
}

void ShowProgramIcon() {
    GtkWindow* window = GTK_WINDOW(g_dialog->window);
    GList* icons = nullptr;
    for (int size : {16, 24, 32, 48, 256})
        if (GdkPixbuf* icon = ProgramIcon(size)) icons = g_list_append(icons, icon);
    GtkImage* image = GTK_IMAGE(Widget("program_icon"));
    if (icons) {
        gtk_window_set_icon_list(window, icons);
        GdkPixbuf* large = ProgramIcon(48);
        gtk_image_set_from_pixbuf(image, large);
        if (large) g_object_unref(large);
        g_list_free_full(icons, g_object_unref);
    } else {
        gtk_window_set_icon_name(window, kFallbackIconName);
        gtk_image_set_from_icon_name(image, kFallbackIconName, GTK_ICON_SIZE_DIALOG);
    }
}

void FillControls() {
    SetupDialogFill fill = FillSetupDialog();
    GtkComboBoxText* gallery = GTK_COMBO_BOX_TEXT(Widget("gallery"));
    // Long titles are cut with an ellipsis instead of widening the dialog.
    GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(gallery));
    for (GList* c = cells; c; c = c->next)
        g_object_set(c->data, "ellipsize", PANGO_ELLIPSIZE_END, "max-width-chars", 40, nullptr);
    g_list_free(cells);
    for (const auto& title : fill.titles)
        gtk_combo_box_text_append_text(gallery, Utf16ToUtf8(title).c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(gallery), fill.dloption);

    SetLocationName(fill.weather_loc);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Widget("show_weather")), fill.show_weather);
    EnableLocation(fill.locationEnabled);
    gtk_toggle_button_set_active(
        GTK_TOGGLE_BUTTON(Widget(fill.tempUnit == u'F' ? "unit_fahrenheit" : "unit_celsius")),
        TRUE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Widget("show_newver")), fill.show_newver);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Widget("show_titles")), fill.show_titles);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Widget("blur_edges")), fill.blur_edges);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Widget("gentle_motion")), fill.gentle_motion);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Widget("download_anyway")), fill.downloadAnyway);

    gtk_toggle_button_set_active(
        GTK_TOGGLE_BUTTON(Widget(fill.useFolder ? "source_folder" : "source_gallery")), TRUE);
    EnableSource(fill.useFolder);
    ShowFolder(fill.folder);
    ShowCacheLine(fill.cacheLine, fill.cacheClearable);

    FillLabelTemplate(GTK_LABEL(Widget("about")), Utf16ToUtf8(fill.version).c_str());
    if (fill.newerVersion)
        FillLabelTemplate(GTK_LABEL(Widget("newver_message")), Utf16ToUtf8(fill.newver).c_str());
    gtk_widget_set_visible(Widget("newver_icon"), fill.newerVersion);
    gtk_widget_set_visible(Widget("newver_message"), fill.newerVersion);
}

void Close() {
    PostQuit(0, "the setup dialog closed");
    gtk_widget_destroy(g_dialog->window);  // clears g_dialog
}

void OnOk(GtkButton*, gpointer) {
    SetupDialogChoices choices;
    choices.dloption = gtk_combo_box_get_active(GTK_COMBO_BOX(Widget("gallery")));
    choices.show_weather = Ticked("show_weather");
    choices.show_newver = Ticked("show_newver");
    choices.show_titles = Ticked("show_titles");
    choices.blur_edges = Ticked("blur_edges");
    choices.gentle_motion = Ticked("gentle_motion");
    choices.tempUnit = Ticked("unit_fahrenheit") ? u'F' : u'C';
    choices.useFolder = Ticked("source_folder");
    choices.folder = g_dialog->folder;
    choices.downloadAnyway = Ticked("download_anyway");
    if (const std::u16string refusal = ApplySetupDialogOk(choices, PendingLocation);
        !refusal.empty()) {
        Warn(refusal);  // the dialog stays open for another choice or another try
        return;
    }
    Close();
}

void OnSourceToggled(GtkToggleButton* folder, gpointer) {
    EnableSource(gtk_toggle_button_get_active(folder));
}

void OnFolderPicked(GtkDialog* picker, int response, gpointer) {
    std::optional<std::u16string> folder;
    bool picked = response == GTK_RESPONSE_ACCEPT;
    if (picked) {
        if (gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(picker))) {
            // A name that is no valid text cannot be stored: refused as unfit.
            folder = FromPath(std::filesystem::path(name));
            g_free(name);
        }
    }
    gtk_widget_destroy(GTK_WIDGET(picker));  // clears folderPicker
    if (!g_dialog || !picked) return;
    std::u16string_view refusal = folder ? FolderRefusal(*folder) : kFolderUnfitText;
    if (!refusal.empty())
        Warn(refusal);
    else
        ShowFolder(*folder);
}

void OnFolderPickerGone(GtkWidget*, gpointer) {
    if (g_dialog) g_dialog->folderPicker = nullptr;
}

void OnChooseFolder(GtkButton*, gpointer) {
    if (g_dialog->folderPicker) {
        gtk_window_present(GTK_WINDOW(g_dialog->folderPicker));
        return;
    }
    GtkWidget* picker = gtk_file_chooser_dialog_new(
        Utf16ToUtf8(kFolderPickerTitle).c_str(), GTK_WINDOW(g_dialog->window),
        GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Cancel", GTK_RESPONSE_CANCEL, "_Select",
        GTK_RESPONSE_ACCEPT, nullptr);
    g_dialog->folderPicker = picker;
    gtk_window_set_modal(GTK_WINDOW(picker), TRUE);
    gtk_window_set_destroy_with_parent(GTK_WINDOW(picker), TRUE);
    gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(picker), TRUE);
    if (!g_dialog->folder.empty())
        gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(picker), ToPath(g_dialog->folder).c_str());
    g_signal_connect(picker, "response", G_CALLBACK(OnFolderPicked), nullptr);
    g_signal_connect(picker, "destroy", G_CALLBACK(OnFolderPickerGone), nullptr);
    gtk_widget_show(picker);
}

void OnClearCache(GtkButton*, gpointer) {
    AskUser(GTK_MESSAGE_QUESTION, GTK_BUTTONS_YES_NO, kClearCacheQuestion, [](int response) {
        if (response != GTK_RESPONSE_YES) return;
        CacheLineView line = ClearCacheConfirmed();
        ShowCacheLine(line.text, line.clearable);
    });
}

void OnCancel(GtkButton*, gpointer) {
    Close();
}

// The README the package installs: found from the saver's own place, so that
// an install under another prefix finds its own; else Debian's place.
std::u16string InstalledReadme() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path readme =
            (self.parent_path() / SKYREEL_README_FROM_SAVER).lexically_normal();
        if (std::filesystem::is_regular_file(readme, error)) return Utf8ToUtf16(readme.string());
    }
    return u"/usr/share/doc/skyreel/README.md";
}

void OnHomeWebsite(GtkButton*, gpointer) {
    // A failure to open the page is not reported.
    g_app_info_launch_default_for_uri(Utf16ToUtf8(HomeWebsiteUrl(InstalledReadme())).c_str(),
                                      nullptr, nullptr);
}

void OnWeatherToggled(GtkToggleButton* box, gpointer) {
    EnableLocation(gtk_toggle_button_get_active(box));
}

void OnLocationDialogGone(GtkWidget*, gpointer) {
    if (g_dialog) g_dialog->locationDialog = nullptr;
}

void OnChangeLocation(GtkButton*, gpointer) {
    if (g_dialog->locationDialog) {
        gtk_window_present(GTK_WINDOW(g_dialog->locationDialog));
        return;
    }
    g_dialog->locationDialog =
        OpenLocationDialog(GTK_WINDOW(g_dialog->window), [](LocationDialogEnd end) {
            if (!g_dialog) return;
            if (auto name = LocationNameAfterChange(end, PendingLocation)) SetLocationName(*name);
        });
    g_signal_connect(g_dialog->locationDialog, "destroy", G_CALLBACK(OnLocationDialogGone),
                     nullptr);
}

void OnDestroy(GtkWidget*, gpointer) {
    g_object_unref(g_dialog->builder);
    if (g_dialog->owner) g_object_unref(g_dialog->owner);
    delete g_dialog;
    g_dialog = nullptr;
}

// ParentWindow is an X window ID; an unknown ID leaves the dialog without owner.
void SetOwner(uint64_t parent) {
    GdkDisplay* display = gtk_widget_get_display(g_dialog->window);
    if (parent == 0 || !GDK_IS_X11_DISPLAY(display)) return;
    gtk_widget_realize(g_dialog->window);
    g_dialog->owner = gdk_x11_window_foreign_new_for_display(display, static_cast<Window>(parent));
    if (g_dialog->owner)
        gdk_window_set_transient_for(gtk_widget_get_window(g_dialog->window), g_dialog->owner);
}
}  // namespace

bool CreateSetupDialog(uint64_t parent) {
    if (g_dialog) return true;
    if (!gtk_init_check(nullptr, nullptr)) return false;
    g_dialog = new SetupDialog;
    g_dialog->builder = LoadDialogLayout("setup_dialog.ui");
    g_dialog->window = Widget("setup_dialog");

    FillControls();
    ShowProgramIcon();
    GtkButton* ok = GTK_BUTTON(Widget("ok"));
    GtkButton* cancel = GTK_BUTTON(Widget("cancel"));
    g_signal_connect(ok, "clicked", G_CALLBACK(OnOk), nullptr);
    g_signal_connect(cancel, "clicked", G_CALLBACK(OnCancel), nullptr);
    g_signal_connect(Widget("home_website"), "clicked", G_CALLBACK(OnHomeWebsite), nullptr);
    g_signal_connect(Widget("show_weather"), "toggled", G_CALLBACK(OnWeatherToggled), nullptr);
    g_signal_connect(Widget("change_location"), "clicked", G_CALLBACK(OnChangeLocation), nullptr);
    g_signal_connect(Widget("source_folder"), "toggled", G_CALLBACK(OnSourceToggled), nullptr);
    g_signal_connect(Widget("choose_folder"), "clicked", G_CALLBACK(OnChooseFolder), nullptr);
    g_signal_connect(Widget("clear_cache"), "clicked", G_CALLBACK(OnClearCache), nullptr);
    g_signal_connect(g_dialog->window, "destroy", G_CALLBACK(OnDestroy), nullptr);
    AttachDialogKeys(GTK_WINDOW(g_dialog->window), ok, cancel, GTK_CONTAINER(Widget("layout")));

    SetOwner(parent);
    gtk_window_present(GTK_WINDOW(g_dialog->window));
    gtk_widget_grab_focus(GTK_WIDGET(ok));
    return true;
}

bool PumpSetupDialog() {
    return g_main_context_iteration(nullptr, FALSE);
}
