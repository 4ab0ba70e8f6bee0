// Implemented / Missing (shared GTK dialog parts): see dialog_gtk.h.
#include "setup/dialog_gtk.h"

#include <string>

// Made by glib-compile-resources from resources/*.ui and the icons.
extern "C" void skyreel_dialogs_register_resource(void);

namespace {
struct DialogButtons {
    GtkButton* ok;
    GtkButton* cancel;
};

void RegisterLayouts() {
    static bool registered = false;
    if (registered) return;
    skyreel_dialogs_register_resource();
    // The style applies to windows of the "skyreel-dialog" class only.
    GtkCssProvider* style = gtk_css_provider_new();
    gtk_css_provider_load_from_resource(style, "/skyreel/dialogs.css");
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(style),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(style);
    registered = true;
}

// Pressing a button the user could not press does nothing, as in Win32.
void PressIfSensitive(GtkButton* button) {
    if (gtk_widget_is_sensitive(GTK_WIDGET(button))) gtk_button_clicked(button);
}

bool IsPushButton(GtkWidget* w) {
    return GTK_IS_BUTTON(w) && !GTK_IS_TOGGLE_BUTTON(w);
}

gboolean OnKeyPress(GtkWidget* window, GdkEventKey* event, gpointer data) {
    auto* buttons = static_cast<DialogButtons*>(data);
    switch (event->keyval) {
        case GDK_KEY_Escape:
            PressIfSensitive(buttons->cancel);
            return TRUE;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter: {
            GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
            // A list row handles Enter itself (it acts as a double click).
            if (GTK_IS_TREE_VIEW(focus)) return FALSE;
            PressIfSensitive(IsPushButton(focus) ? GTK_BUTTON(focus) : buttons->ok);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    gtk_button_clicked(static_cast<DialogButtons*>(data)->cancel);
    return TRUE;  // the cancel handler decides what happens to the window
}

void FreeButtons(gpointer data, GClosure*) {
    delete static_cast<DialogButtons*>(data);
}
}  // namespace

GtkBuilder* LoadDialogLayout(const char* name) {
    RegisterLayouts();
    std::string path = std::string("/skyreel/") + name;
    return gtk_builder_new_from_resource(path.c_str());
}

GtkWidget* LayoutWidget(GtkBuilder* builder, const char* id) {
    return GTK_WIDGET(gtk_builder_get_object(builder, id));
}

GdkPixbuf* ProgramIcon(int size) {
    RegisterLayouts();
    std::string path = "/skyreel/icons/skyreel-" + std::to_string(size) + ".png";
    return gdk_pixbuf_new_from_resource(path.c_str(), nullptr);
}

void AttachDialogKeys(GtkWindow* window, GtkButton* ok, GtkButton* cancel, GtkContainer* layout) {
    auto* buttons = new DialogButtons{ok, cancel};
    g_signal_connect_data(window, "key-press-event", G_CALLBACK(OnKeyPress), buttons, FreeButtons,
                          GConnectFlags(0));
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), buttons);
    gtk_widget_grab_default(GTK_WIDGET(ok));

    // GtkFixed would order Tab by position; the .ui lists children in tab order.
    GList* children = gtk_container_get_children(layout);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_container_set_focus_chain(layout, children);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_list_free(children);
}

void FillLabelTemplate(GtkLabel* label, const char* value) {
    std::string text = gtk_label_get_text(label);
    if (auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, value);
    gtk_label_set_text(label, text.c_str());
}
