// The setup dialog's photo source and cache controls on GTK, driven under
// Xvfb: the folder chooser, the refusals, what OK stores, the cache line and
// "Clear cache" with its question, over real files in temporary folders.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <map>
#include <string>
#include <system_error>

#include "base/process_state.h"
#include "base/text.h"
#include "dialog_driver.h"
#include "settings/settings.h"
#include "setup/setup_dialog_logic.h"
#include "setup_fixture.h"
#include "support/folder_snapshot.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
const std::string kCaption = Utf16ToUtf8(kSetupMessageCaption);

std::string LabelText(GtkWidget* w) {
    return gtk_label_get_text(GTK_LABEL(w));
}

// The open message box: its text and type, or "" when none is open.
std::string MessageText(GtkMessageType* type = nullptr) {
    GtkWindow* box = FindWindow(kCaption.c_str());
    if (!box || !GTK_IS_MESSAGE_DIALOG(box)) return "";
    gchar* text = nullptr;
    GtkMessageType shown;
    g_object_get(box, "text", &text, "message-type", &shown, nullptr);
    std::string out = text ? text : "";
    g_free(text);
    if (type) *type = shown;
    return out;
}

void Answer(int response) {
    GtkWindow* box = FindWindow(kCaption.c_str());
    ASSERT_NE(box, nullptr);
    gtk_dialog_response(GTK_DIALOG(box), response);
    PumpEvents();
    EXPECT_EQ(FindWindow(kCaption.c_str()), nullptr);
}

class PhotoSourceTest : public SetupDialogTest {
  protected:
    void TearDown() override {
        for (const std::string& title : {kCaption, Utf16ToUtf8(kFolderPickerTitle)})
            if (GtkWindow* w = FindWindow(title.c_str())) gtk_widget_destroy(GTK_WIDGET(w));
        SetupDialogTest::TearDown();
    }
    void Click(const char* id) {
        gtk_button_clicked(GTK_BUTTON(Find(id)));
        PumpEvents();
    }
    void ChooseSource(const char* id) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find(id)), TRUE);
        PumpEvents();
    }
    // Picks `folder` with "Choose..." as a user would, and presses Select.
    void Pick(const fs::path& folder) {
        Click("choose_folder");
        GtkWindow* picker = FindWindow(Utf16ToUtf8(kFolderPickerTitle).c_str());
        ASSERT_NE(picker, nullptr);
        ASSERT_TRUE(GTK_IS_FILE_CHOOSER(picker));
        EXPECT_EQ(gtk_file_chooser_get_action(GTK_FILE_CHOOSER(picker)),
                  GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER);
        EXPECT_TRUE(gtk_window_get_modal(picker));
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(picker), folder.c_str());
        ASSERT_TRUE(PumpUntil([&] {
            gchar* now = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(picker));
            const bool there = now && folder == now;
            g_free(now);
            return there;
        }));
        if (GdkPixbuf* shot = SaveScreenshot(picker, "folder_picker.png")) g_object_unref(shot);
        gtk_dialog_response(GTK_DIALOG(picker), GTK_RESPONSE_ACCEPT);
        PumpEvents();
        EXPECT_EQ(FindWindow(Utf16ToUtf8(kFolderPickerTitle).c_str()), nullptr);
    }
    bool Closed() const { return FindWindow(kSetupTitle) == nullptr; }

    TempDir photos;
};

}  // namespace

TEST_F(PhotoSourceTest, EachSourceGreysTheOther) {
    Open();
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Find("source_gallery"))));
    EXPECT_EQ(LabelText(Find("folder_name")), Utf16ToUtf8(kNoFolderChosenText));
    auto expectFolderSide = [&](bool folder) {
        EXPECT_EQ(gtk_widget_get_sensitive(Find("gallery")), !folder);
        for (const char* id : {"folder_name", "choose_folder"})
            EXPECT_EQ(gtk_widget_get_sensitive(Find(id)), folder) << id;
    };
    expectFolderSide(false);
    ChooseSource("source_folder");
    expectFolderSide(true);
    ChooseSource("source_gallery");
    expectFolderSide(false);
    gtk_widget_destroy(GTK_WIDGET(window));

    // A stored folder opens the dialog on it.
    Settings.photo_folder.Assign(FromPath(photos.path()).value());
    Open();
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Find("source_folder"))));
    EXPECT_EQ(LabelText(Find("folder_name")), photos.path().string());
    expectFolderSide(true);
}

TEST_F(PhotoSourceTest, APickedFolderIsStoredOnOkAndTheGalleryListClearsIt) {
    Open();
    gtk_combo_box_set_active(GTK_COMBO_BOX(Find("gallery")), 2);
    ChooseSource("source_folder");
    Pick(photos.path());
    EXPECT_EQ(LabelText(Find("folder_name")), photos.path().string());
    Click("ok");
    ASSERT_TRUE(Closed());
    EXPECT_NE(SettingsFile().find(u"\nphoto_folder=" + FromPath(photos.path()).value()),
              std::u16string::npos);
    EXPECT_NE(SettingsFile().find(u"dloption=2\n"), std::u16string::npos);

    Open();
    ChooseSource("source_gallery");
    Click("ok");
    ASSERT_TRUE(Closed());
    EXPECT_EQ(SettingsFile().find(u"photo_folder"), std::u16string::npos);
    EXPECT_TRUE(Settings.photo_folder.empty());
}

TEST_F(PhotoSourceTest, TheCacheFolderIsRefusedAndOkWithoutAFolderAsksForOne) {
    fs::create_directory(dir / "inner");
    Open();
    ChooseSource("source_folder");
    for (const fs::path& refused : {dir.path(), dir / "inner"}) {
        Pick(refused);
        GtkMessageType type{};
        EXPECT_EQ(MessageText(&type), Utf16ToUtf8(kFolderInDataFolderText));
        EXPECT_EQ(type, GTK_MESSAGE_WARNING);
        if (GdkPixbuf* shot = SaveScreenshot(FindWindow(kCaption.c_str()), "folder_refused.png"))
            g_object_unref(shot);
        Answer(GTK_RESPONSE_OK);
        EXPECT_EQ(LabelText(Find("folder_name")), Utf16ToUtf8(kNoFolderChosenText));
    }

    // A picker left with Cancel changes nothing.
    Click("choose_folder");
    GtkWindow* picker = FindWindow(Utf16ToUtf8(kFolderPickerTitle).c_str());
    ASSERT_NE(picker, nullptr);
    gtk_dialog_response(GTK_DIALOG(picker), GTK_RESPONSE_CANCEL);
    PumpEvents();
    EXPECT_EQ(MessageText(), "");
    EXPECT_EQ(LabelText(Find("folder_name")), Utf16ToUtf8(kNoFolderChosenText));

    // OK without a folder asks for one; the dialog stays and nothing is stored.
    Click("ok");
    EXPECT_EQ(MessageText(), Utf16ToUtf8(kNoFolderText));
    Answer(GTK_RESPONSE_OK);
    EXPECT_FALSE(Closed());
    EXPECT_FALSE(fs::exists(dir / "settings.cfg"));

    // A folder stored in the cache folder by hand is refused on OK as well.
    gtk_widget_destroy(GTK_WIDGET(window));
    Settings.photo_folder.Assign(FromPath(dir / "inner").value());
    Open();
    Click("ok");
    EXPECT_EQ(MessageText(), Utf16ToUtf8(kFolderInDataFolderText));
    Answer(GTK_RESPONSE_OK);
    EXPECT_FALSE(Closed());
    EXPECT_FALSE(fs::exists(dir / "settings.cfg"));
}

TEST_F(PhotoSourceTest, ClearAsksFirstThenDeletesOnlyTheSaversPhotos) {
    WriteFileBytes(dir / "1.jpg", std::string(1536, 'a'));
    WriteFileBytes(dir / "2.JPG", std::string(1000, 'b'));
    WriteFileBytes(dir / "3.jpg.tmp", "partial");
    for (const char* kept : {"weather.xml", "index.htm", "notes.txt"})
        WriteFileBytes(dir / kept, kept);
    WriteFileBytes(photos / "mine.jpg", "the user's own photo");
    std::error_code ec;
    fs::create_symlink(photos / "mine.jpg", dir / "link.jpg", ec);
    ASSERT_FALSE(ec);
    auto kept = SnapshotFolder(dir.path());
    for (const char* gone : {"1.jpg", "2.JPG", "3.jpg.tmp"}) kept.erase(fs::path(gone).native());
    const auto photosBefore = SnapshotFolder(photos.path());

    Open();
    EXPECT_EQ(LabelText(Find("cache_line")), "Cache: 2 photos, 3 KB");
    EXPECT_TRUE(gtk_widget_get_sensitive(Find("clear_cache")));
    Click("clear_cache");
    GtkMessageType type{};
    EXPECT_EQ(MessageText(&type), Utf16ToUtf8(kClearCacheQuestion));
    if (GdkPixbuf* shot = SaveScreenshot(FindWindow(kCaption.c_str()), "clear_cache_question.png"))
        g_object_unref(shot);
    EXPECT_EQ(type, GTK_MESSAGE_QUESTION);
    Answer(GTK_RESPONSE_NO);
    EXPECT_TRUE(fs::exists(dir / "1.jpg"));
    EXPECT_EQ(LabelText(Find("cache_line")), "Cache: 2 photos, 3 KB");

    Click("clear_cache");
    Answer(GTK_RESPONSE_YES);
    EXPECT_EQ(LabelText(Find("cache_line")), "Cache: empty");
    EXPECT_FALSE(gtk_widget_get_sensitive(Find("clear_cache")));
    EXPECT_EQ(SnapshotDifference(kept, SnapshotFolder(dir.path())), "");
    EXPECT_EQ(SnapshotDifference(photosBefore, SnapshotFolder(photos.path())), "");
    // Clear is no choice to store: Cancel still stores nothing.
    Click("cancel");
    EXPECT_FALSE(fs::exists(dir / "settings.cfg"));
}

TEST_F(PhotoSourceTest, TheLayoutKeepsEveryControlWholeAndApart) {
    WriteFileBytes(dir / "1.jpg", std::string(1536, 'a'));
    Settings.photo_folder.Assign(u"/home/someone/Pictures/" + std::u16string(120, u'p') +
                                 u"/planes");
    Settings.newver.Assign(u"1.1");
    Open();
    EXPECT_EQ(WindowWidth(window), 393);
    EXPECT_TRUE(pango_layout_is_ellipsized(gtk_label_get_layout(GTK_LABEL(Find("folder_name")))));
    GtkAllocation all{};
    gtk_widget_get_allocation(Find("layout"), &all);
    std::vector<std::pair<std::string, GtkAllocation>> shown;
    GList* children = gtk_container_get_children(GTK_CONTAINER(Find("layout")));
    for (GList* c = children; c; c = c->next) {
        GtkWidget* w = GTK_WIDGET(c->data);
        if (!gtk_widget_get_visible(w)) continue;
        GtkAllocation a{};
        gtk_widget_get_allocation(w, &a);
        const std::string id = gtk_buildable_get_name(GTK_BUILDABLE(w));
        EXPECT_GE(a.x, all.x) << id;
        EXPECT_GE(a.y, all.y) << id;
        EXPECT_LE(a.x + a.width, all.x + all.width) << id;
        EXPECT_LE(a.y + a.height, all.y + all.height) << id;
        // A label shows its whole text unless it ends in an ellipsis.
        if (GTK_IS_LABEL(w) && gtk_label_get_ellipsize(GTK_LABEL(w)) == PANGO_ELLIPSIZE_NONE) {
            int natural = 0;
            gtk_widget_get_preferred_width(w, nullptr, &natural);
            EXPECT_LE(natural, a.width) << id;
        }
        for (const auto& [other, b] : shown) {
            GdkRectangle overlap;
            EXPECT_FALSE(gdk_rectangle_intersect(&a, &b, &overlap))
                << id << " and " << other << " share " << overlap.width << "x" << overlap.height
                << " px at " << overlap.x << "," << overlap.y;
        }
        shown.emplace_back(id, a);
    }
    g_list_free(children);
    GdkPixbuf* shot = SaveScreenshot(window, "setup_dialog_folder.png");
    ASSERT_NE(shot, nullptr);
    g_object_unref(shot);
}
TEST_F(PhotoSourceTest, OkThatCannotWriteTheSettingsWarnsStaysOpenAndKeepsTheChoices) {
    fs::create_directory(dir / "settings.cfg");  // refused even to root
    Open();
    Click("show_newver");
    Click("ok");
    EXPECT_EQ(MessageText(), Utf16ToUtf8(kSettingsNotSavedText) + ": " +
                                 std::make_error_code(std::errc::is_a_directory).message());
    Answer(GTK_RESPONSE_OK);
    ASSERT_NE(SetupWindow(), nullptr);
    fs::remove(dir / "settings.cfg");
    Click("ok");
    EXPECT_EQ(SetupWindow(), nullptr);
    EXPECT_NE(SettingsFile().find(u"\nshow_newver=0"), std::u16string::npos);
}
