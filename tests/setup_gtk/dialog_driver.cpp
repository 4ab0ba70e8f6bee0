#include "dialog_driver.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {
// Starts Xvfb on a display number it picks itself (-displayfd) and stops it
// when the tests end.
class XvfbEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        pid_ = fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            // The server goes when the test binary goes, however it ends.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            int devNull = open("/dev/null", O_WRONLY);
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
            close(fds[0]);
            std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
        close(fds[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        setenv("DISPLAY", (":" + number).c_str(), 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        setenv("GSETTINGS_BACKEND", "memory", 1);
        ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

  private:
    pid_t pid_ = -1;
};

testing::Environment* const g_xvfb = testing::AddGlobalTestEnvironment(new XvfbEnvironment);

void Collect(GtkWidget* w, gpointer data) {
    auto* found = static_cast<std::vector<GtkWidget*>*>(data);
    found->push_back(w);
    if (GTK_IS_CONTAINER(w)) gtk_container_forall(GTK_CONTAINER(w), Collect, data);
}
}  // namespace

GtkWindow* FindWindow(const char* title) {
    GtkWindow* result = nullptr;
    GList* all = gtk_window_list_toplevels();
    for (GList* l = all; l; l = l->next) {
        GtkWindow* w = GTK_WINDOW(l->data);
        const char* t = gtk_window_get_title(w);
        if (t && std::strcmp(t, title) == 0 && gtk_widget_get_visible(GTK_WIDGET(w))) result = w;
    }
    g_list_free(all);
    return result;
}

GtkWidget* FindById(GtkWidget* root, const char* id) {
    std::vector<GtkWidget*> all;
    Collect(root, &all);
    for (GtkWidget* w : all) {
        const char* name = gtk_buildable_get_name(GTK_BUILDABLE(w));
        if (name && std::strcmp(name, id) == 0) return w;
    }
    return nullptr;
}

void PumpEvents() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

bool PumpUntil(const std::function<bool()>& done, int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        if (!g_main_context_iteration(nullptr, FALSE))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::vector<std::string> ListLines(GtkWidget* treeView) {
    std::vector<std::string> lines;
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(treeView));
    GtkTreeIter row;
    for (gboolean ok = gtk_tree_model_get_iter_first(model, &row); ok;
         ok = gtk_tree_model_iter_next(model, &row)) {
        gchar* text = nullptr;
        gtk_tree_model_get(model, &row, 0, &text, -1);
        lines.emplace_back(text ? text : "");
        g_free(text);
    }
    return lines;
}

std::string SelectedLine(GtkWidget* treeView) {
    GtkTreeModel* model = nullptr;
    GtkTreeIter row;
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(treeView));
    if (!gtk_tree_selection_get_selected(selection, &model, &row)) return {};
    gchar* text = nullptr;
    gtk_tree_model_get(model, &row, 0, &text, -1);
    std::string line = text ? text : "";
    g_free(text);
    return line;
}

void PressKey(GtkWindow* window, guint keyval) {
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(window))));
    event->key.keyval = keyval;
    event->key.time = GDK_CURRENT_TIME;
    // Key bindings match the hardware key code, not only the key value.
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()),
                                          keyval, &keys, &count) &&
        count > 0)
        event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    g_free(keys);
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(
                                    gtk_widget_get_display(GTK_WIDGET(window)))));
    gtk_main_do_event(event);
    gdk_event_free(event);
}

GdkPixbuf* SaveScreenshot(GtkWindow* window, const std::string& fileName) {
    // Read back what the X server shows, so the picture is what a user sees.
    PumpUntil([] { return false; }, 100);
    GdkWindow* shown = gtk_widget_get_window(GTK_WIDGET(window));
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(shown, 0, 0, gdk_window_get_width(shown),
                                                 gdk_window_get_height(shown));
    if (!shot) return nullptr;
    std::string path = std::string(SKYREEL_SCREENSHOT_DIR) + "/" + fileName;
    EXPECT_TRUE(gdk_pixbuf_save(shot, path.c_str(), "png", nullptr, nullptr));
    return shot;
}

int CountPixels(GdkPixbuf* shot, GdkRectangle area,
                const std::function<bool(int, int, int)>& match) {
    int channels = gdk_pixbuf_get_n_channels(shot);
    int stride = gdk_pixbuf_get_rowstride(shot);
    const guchar* pixels = gdk_pixbuf_read_pixels(shot);
    int count = 0;
    for (int y = area.y; y < area.y + area.height && y < gdk_pixbuf_get_height(shot); ++y)
        for (int x = area.x; x < area.x + area.width && x < gdk_pixbuf_get_width(shot); ++x) {
            const guchar* p = pixels + y * stride + x * channels;
            if (match(p[0], p[1], p[2])) ++count;
        }
    return count;
}
