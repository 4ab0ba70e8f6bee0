// The location dialog on GTK. A search runs on a thread of its own; GTK is
// touched only on the main thread, so the thread leaves its outcome in a
// shared search record and hands the record to the main loop with
// g_idle_add. A dialog closed while its search runs marks the record, and the
// late outcome is dropped before it can reach freed widgets. Each search
// downloads into a file of its own (NextSearchDownloadPath), so a reopened
// dialog can search at once while an earlier search still runs.
//
// Implemented / Missing (location dialog on GTK): see location_dialog_gtk.h.
#include "setup/location_dialog_gtk.h"

#include <memory>
#include <mutex>
#include <string>

#include "base/process_state.h"
#include "base/text.h"
#include "setup/dialog_gtk.h"
#include "setup/location_search.h"
#include "weather/weather_feed.h"

namespace {
struct LocationDialog;

struct SearchRecord {
    // Written on the main thread before the thread starts; read-only after.
    std::u16string query;
    PathText downloadPath;
    // Written by the search thread (by the main thread when none could be
    // made), read by the main thread after hand-over.
    std::mutex lock;
    SearchOutcome outcome;
    // Main thread only: the dialog that waits for the outcome, null once it is gone.
    LocationDialog* dialog = nullptr;
};

// Main thread only; lives as long as the window.
struct LocationDialog {
    GtkBuilder* builder = nullptr;
    GtkWidget* window = nullptr;
    LocationDialogDone done;
    LocationDialogState state;
    std::shared_ptr<SearchRecord> search;  // the running search, if any
};

GtkWidget* Widget(LocationDialog* d, const char* id) {
    return LayoutWidget(d->builder, id);
}

GtkListStore* Lines(LocationDialog* d) {
    return GTK_LIST_STORE(gtk_builder_get_object(d->builder, "place_lines"));
}

void ShowLines(LocationDialog* d, const std::vector<std::u16string>& lines) {
    GtkListStore* store = Lines(d);
    gtk_list_store_clear(store);
    for (const auto& line : lines)
        gtk_list_store_insert_with_values(store, nullptr, -1, 0, Utf16ToUtf8(line).c_str(), -1);
}

void ShowView(LocationDialog* d) {
    const LocationDialogView& view = d->state.view;
    ShowLines(d, view.lines);
    if (view.selected >= 0) {
        GtkTreePath* row = gtk_tree_path_new_from_indices(view.selected, -1);
        gtk_tree_view_set_cursor(GTK_TREE_VIEW(Widget(d, "places")), row, nullptr, FALSE);
        gtk_tree_path_free(row);
    }
    gtk_widget_set_sensitive(Widget(d, "ok"), view.okEnabled);
    gtk_widget_set_sensitive(Widget(d, "search"), view.searchEnabled);
}

void Apply(LocationDialog* d, const LocationDialogStep& step);

gboolean DeliverOutcome(gpointer data) {
    auto& search = *static_cast<std::shared_ptr<SearchRecord>*>(data);
    LocationDialog* d = search->dialog;
    if (!d) return G_SOURCE_REMOVE;  // the dialog closed meanwhile
    d->search.reset();
    SearchOutcome outcome;
    {
        std::lock_guard<std::mutex> lock(search->lock);
        outcome = std::move(search->outcome);
    }
    Apply(d, SearchEnded(d->state, outcome));
    return G_SOURCE_REMOVE;
}

void ReleaseRecord(gpointer data) {
    delete static_cast<std::shared_ptr<SearchRecord>*>(data);
}

void WarnEmptySearch(LocationDialog* d) {
    GtkWidget* box = gtk_message_dialog_new(
        GTK_WINDOW(d->window), GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_WARNING, GTK_BUTTONS_OK, "%s", Utf16ToUtf8(kEmptySearchMessage).c_str());
    gtk_window_set_title(GTK_WINDOW(box), Utf16ToUtf8(kEmptySearchCaption).c_str());
    g_signal_connect(box, "response", G_CALLBACK(gtk_widget_destroy), nullptr);
    gtk_widget_show(box);
}

void StartSearch(LocationDialog* d, std::u16string query) {
    auto search = std::make_shared<SearchRecord>();
    search->query = std::move(query);
    if (!NextSearchDownloadPath(search->downloadPath)) search->downloadPath.Clear();
    search->dialog = d;
    d->search = search;
    auto deliver = [search](SearchOutcome outcome) {
        {
            std::lock_guard<std::mutex> lock(search->lock);
            search->outcome = std::move(outcome);
        }
        g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, DeliverOutcome,
                        new std::shared_ptr<SearchRecord>(search), ReleaseRecord);
    };
    const bool started = StartBackgroundThread([search, deliver] {
        deliver(RunLocationSearch(search->query, search->downloadPath.view()));
    });
    // No thread: the search failed as a lost connection does, by the same road.
    if (!started) deliver(SearchOutcome{});
}

void End(LocationDialog* d, LocationDialogEnd end) {
    auto done = std::move(d->done);
    gtk_widget_destroy(d->window);  // frees `d`
    if (done) done(end);
}

// Carries out a step of the dialog's logic; ending the dialog comes last, as
// it frees `d`.
void Apply(LocationDialog* d, const LocationDialogStep& step) {
    if (step.viewChanged) ShowView(d);
    if (step.warnEmptySearch) WarnEmptySearch(d);
    if (step.query) StartSearch(d, *step.query);
    if (step.end) End(d, *step.end);
}

void OnSearch(GtkButton*, gpointer data) {
    auto* d = static_cast<LocationDialog*>(data);
    const gchar* typed = gtk_entry_get_text(GTK_ENTRY(Widget(d, "search_text")));
    Apply(d, PressSearch(d->state, Utf8ToUtf16(typed)));
}

void OnOk(GtkButton*, gpointer data) {
    auto* d = static_cast<LocationDialog*>(data);
    GtkTreeModel* model = nullptr;
    GtkTreeIter row;
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(Widget(d, "places")));
    std::u16string line;
    if (gtk_tree_selection_get_selected(selection, &model, &row)) {
        gchar* text = nullptr;
        gtk_tree_model_get(model, &row, 0, &text, -1);
        if (text) line = Utf8ToUtf16(text);
        g_free(text);
    }
    Apply(d, PressOk(d->state, line, PendingLocation));
}

void OnCancel(GtkButton*, gpointer data) {
    auto* d = static_cast<LocationDialog*>(data);
    Apply(d, PressCancel(d->state));
}

// A double click (or Enter) on a row selects it and acts as OK, even while
// OK is disabled.
void OnRowActivated(GtkTreeView* view, GtkTreePath* path, GtkTreeViewColumn*, gpointer data) {
    gtk_tree_selection_select_path(gtk_tree_view_get_selection(view), path);
    OnOk(nullptr, data);
}

void OnDestroy(GtkWidget*, gpointer data) {
    auto* d = static_cast<LocationDialog*>(data);
    if (d->search) d->search->dialog = nullptr;
    g_object_unref(d->builder);
    delete d;
}
}  // namespace

GtkWidget* OpenLocationDialog(GtkWindow* owner, LocationDialogDone done) {
    auto* d = new LocationDialog;
    d->builder = LoadDialogLayout("location_dialog.ui");
    d->window = Widget(d, "location_dialog");
    d->done = std::move(done);
    gtk_window_set_transient_for(GTK_WINDOW(d->window), owner);

    GtkButton* ok = GTK_BUTTON(Widget(d, "ok"));
    GtkButton* cancel = GTK_BUTTON(Widget(d, "cancel"));
    g_signal_connect(ok, "clicked", G_CALLBACK(OnOk), d);
    g_signal_connect(cancel, "clicked", G_CALLBACK(OnCancel), d);
    g_signal_connect(Widget(d, "search"), "clicked", G_CALLBACK(OnSearch), d);
    g_signal_connect(Widget(d, "places"), "row-activated", G_CALLBACK(OnRowActivated), d);
    g_signal_connect(d->window, "destroy", G_CALLBACK(OnDestroy), d);
    AttachDialogKeys(GTK_WINDOW(d->window), ok, cancel, GTK_CONTAINER(Widget(d, "layout")));

    ShowView(d);
    gtk_widget_set_visible(Widget(d, "place_credit"),
                           ChosenWeatherProvider == WeatherProvider::OpenMeteo);
    gtk_widget_grab_focus(Widget(d, "search_text"));
    gtk_widget_show(d->window);
    return d->window;
}
