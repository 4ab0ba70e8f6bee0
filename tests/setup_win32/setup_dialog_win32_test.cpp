// The Win32 setup dialogs under Wine, driven through their messages. The
// dialogs live on the test's main thread, which runs the setup pump; each
// case's driver runs on a second thread, as a user would, so that the modal
// location dialog can run its own loop while the driver sends to it. The
// weather service is a loopback server; settings.cfg and weather.xml are
// real files in a temporary data folder.
// winsock2.h (of the loopback server) must come before windows.h.
#include "support/folder_snapshot.h"
#include "support/loopback_http_server_win32.h"
// Then the system's and the test framework's headers.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/process_state.h"
#include "base/saver_app.h"
#include "base/text.h"
#include "net/endpoints.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"
#include "setup/location_search.h"
#include "setup/settings_combinations.h"
#include "setup/setup_dialog.h"
#include "setup/setup_dialog_logic.h"
#include "support/png_writer.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
const wchar_t kSetupTitle[] = L"Skyreel - Screensaver Setup";
const wchar_t kLocationTitle[] = L"Weather Location";
const wchar_t* const kMessageCaption = reinterpret_cast<const wchar_t*>(kSetupMessageCaption);
const wchar_t* const kPickerTitle = reinterpret_cast<const wchar_t*>(kFolderPickerTitle);
const std::string kTwoPlaces =
    "<?xml version=\"1.0\"?><search ver=\"3.0\">"
    "<loc id=\"USNY0996\" type=\"1\">New York, NY</loc>"
    "<loc id=\"UKXX0085\" type=\"1\">London, United Kingdom</loc></search>";
const std::u16string kFirstLine = u"New York, NY \u2014 USNY0996";
const std::u16string kSecondLine = u"London, United Kingdom \u2014 UKXX0085";
const std::u16string kConnectionLine =
    u"Could not find the location. Looks like connection problems...";

std::string PercentDecoded(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The weather service's search: answers by the "where" text. The answer to
// "slow" waits until the test releases it.
class SearchService {
  public:
    SearchService() : server([this](const std::string& target) { return Answer(target); }) {
        EXPECT_TRUE(SetSiteOverride(server.BaseUrl()));
    }
    ~SearchService() { Release(); }

    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    bool WaitForSlow() {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return slowArrived_; });
    }
    // The decoded "where" texts received so far.
    std::vector<std::string> Queries() {
        std::vector<std::string> out;
        const std::string prefix = "/search/search?where=";
        for (const auto& t : server.Targets())
            if (t.rfind(prefix, 0) == 0) out.push_back(PercentDecoded(t.substr(prefix.size())));
        return out;
    }

  private:
    LoopbackReply Answer(const std::string& target) {
        std::string where = PercentDecoded(target.substr(target.find('=') + 1));
        if (where == "slow") {
            std::unique_lock<std::mutex> lock(mutex_);
            slowArrived_ = true;
            changed_.notify_all();
            changed_.wait_for(lock, std::chrono::seconds(20), [this] { return released_; });
        }
        if (where == "nowhere") return {200, "<search ver=\"3.0\"></search>"};
        if (where == "broken") return {500, "down"};
        return {200, kTwoPlaces};
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool released_ = false;     // mutex_
    bool slowArrived_ = false;  // mutex_

  public:
    LoopbackHttpServer server;  // last: it stops before the fields its handler uses
};

// Polls `done` every 10 ms for up to `ms`.
bool WaitUntil(const std::function<bool()>& done, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 10) {
        if (done()) return true;
        Sleep(10);
    }
    return done();
}

std::u16string Text(HWND w) {
    wchar_t buf[512] = {};
    GetWindowTextW(w, buf, 512);
    return std::u16string(reinterpret_cast<const char16_t*>(buf));
}
std::u16string Text(HWND dialog, int id) {
    return Text(GetDlgItem(dialog, id));
}
bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != 0;
}
bool Visible(HWND dialog, int id) {
    return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}
bool Checked(HWND dialog, int id) {
    return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
// A command as the control sends it; blocks until the dialog handled it.
void Command(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// A press that may open a modal dialog: the driver must not wait for it.
void PostCommand(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
void Click(HWND dialog, int id) {
    SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0);
}
// A key through the dialog manager, as the keyboard delivers it.
void PressKey(HWND control, WPARAM key) {
    PostMessageW(control, WM_KEYDOWN, key, 0);
    PostMessageW(control, WM_KEYUP, key, 0);
}
std::vector<std::u16string> ListLines(HWND dialog, int id) {
    HWND list = GetDlgItem(dialog, id);
    std::vector<std::u16string> lines;
    LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        wchar_t buf[256] = {};
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
        lines.emplace_back(reinterpret_cast<const char16_t*>(buf));
    }
    return lines;
}
// The keyboard focus of the dialog's thread.
HWND FocusOf(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}
int Selected(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageW(dialog, id, LB_GETCURSEL, 0, 0));
}

// A control's place inside its window's screenshot.
RECT PlaceIn(HWND window, HWND control) {
    RECT c{};
    GetWindowRect(control, &c);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&c), 2);
    return c;
}

// What the screen shows of `window`'s client area (the frame is the window
// manager's, as with the GTK dialogs), as straight ARGB pixels, saved as a
// PNG under the build folder.
struct Shot {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
    int Count(RECT area, const std::function<bool(int, int, int)>& match) const {
        int count = 0;
        for (int y = std::max<LONG>(area.top, 0); y < area.bottom && y < height; ++y)
            for (int x = std::max<LONG>(area.left, 0); x < area.right && x < width; ++x) {
                uint32_t p = argb[static_cast<std::size_t>(y * width + x)];
                if (match((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF)) ++count;
            }
        return count;
    }
};
Shot Screenshot(HWND window, const std::string& fileName) {
    Sleep(300);  // let the dialog's thread paint
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    Shot shot;
    shot.width = r.right - r.left;
    shot.height = r.bottom - r.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* px = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < shot.width * shot.height; ++i) shot.argb.push_back(px[i] | 0xFF000000u);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    WriteFileBytes(fs::path(SKYREEL_SCREENSHOT_DIR) / fileName,
                   EncodePng(shot.argb.data(), shot.width, shot.height));
    return shot;
}
bool Warm(int r, int g, int b) {
    return r > 200 && g > 90 && b < 90;
}

// One control of a dialog template: text (null: not checked), place in
// dialog units and the style bits under `mask` that it must have.
struct TemplateControl {
    int id;
    const wchar_t* cls;
    const char16_t* text;
    RECT units;  // x, y, width, height
    DWORD mask;
    DWORD bits;
};

// Compares the children of `dialog`, in creation order, with `controls`.
void ExpectLayout(HWND dialog, const std::vector<TemplateControl>& controls) {
    std::size_t i = 0;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++i) {
        ASSERT_LT(i, controls.size());
        const TemplateControl& want = controls[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " id " << want.id);
        EXPECT_EQ(static_cast<int16_t>(GetDlgCtrlID(c)), want.id);
        wchar_t cls[64] = {};
        GetClassNameW(c, cls, 64);
        EXPECT_EQ(lstrcmpiW(cls, want.cls), 0) << Utf16ToUtf8(reinterpret_cast<char16_t*>(cls));
        if (want.text) {
            EXPECT_EQ(Text(c), want.text);
        }
        // Mapped field by field, as the dialog manager places controls.
        RECT units = want.units;
        MapDialogRect(dialog, &units);
        RECT shown{};
        GetWindowRect(c, &shown);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&shown), 2);
        EXPECT_EQ(shown.left, units.left);
        EXPECT_EQ(shown.top, units.top);
        // An icon static takes its icon's size; a drop-down list's height is
        // that of its closed part.
        const bool icon = lstrcmpiW(cls, L"Static") == 0 &&
                          (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (!icon) {
            EXPECT_EQ(shown.right - shown.left, units.right);
        }
        if (!icon && lstrcmpiW(cls, L"ComboBox") != 0) {
            EXPECT_EQ(shown.bottom - shown.top, units.bottom);
        }
        // Edits and lists turn a border into the sunken edge of their frame.
        const DWORD style = static_cast<DWORD>(GetWindowLongW(c, GWL_STYLE));
        EXPECT_EQ(style & want.mask & ~WS_BORDER, want.bits & ~WS_BORDER);
        if (want.mask & WS_BORDER) {
            const bool border = (style & WS_BORDER) != 0 ||
                                (GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0;
            EXPECT_EQ(border, (want.bits & WS_BORDER) != 0);
        }
    }
    EXPECT_EQ(i, controls.size());
}

// The dialog's caption, size in dialog units, styles and font.
void ExpectFrame(HWND dialog, const wchar_t* caption, int width, int height, DWORD styles) {
    EXPECT_EQ(Text(dialog), reinterpret_cast<const char16_t*>(caption));
    RECT client{}, units{0, 0, width, height};
    GetClientRect(dialog, &client);
    MapDialogRect(dialog, &units);
    EXPECT_TRUE(EqualRect(&client, &units)) << client.right << "x" << client.bottom;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)) & styles, styles);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"MS Shell Dlg");
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
}

class SetupDialogWin32 : public ::testing::Test {
  protected:
    void SetUp() override {
        SettingsFromDefaults();
        PendingLocation = PendingLocationRecord{};
    }
    void TearDown() override {
        if (HWND left = FindWindowW(nullptr, kSetupTitle)) Drive([&] { Command(left, IDCANCEL); });
    }

    // Opens the setup dialog on this thread.
    HWND Open(uint64_t owner = 0) {
        EXPECT_TRUE(CreateSetupDialog(owner));
        HWND dialog = FindWindowW(nullptr, kSetupTitle);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    // Runs `driver` on a thread of its own while this thread pumps the
    // dialogs' messages, then pumps a little longer. Modal windows a failed
    // driver left open are closed, or this thread would stay in their loop.
    static void Drive(const std::function<void()>& driver) {
        std::atomic<bool> done{false};
        std::thread t([&] {
            driver();
            for (const wchar_t* title :
                 {L"Cannot search", kLocationTitle, kMessageCaption, kPickerTitle})
                if (HWND w = FindWindowW(nullptr, title)) {
                    PostMessageW(w, WM_CLOSE, 0, 0);
                    WaitUntil([&] { return !IsWindow(w); });
                }
            done = true;
        });
        while (!done)
            if (!PumpSetupDialog()) Sleep(1);
        t.join();
        for (int i = 0; i < 20; ++i)
            if (!PumpSetupDialog()) Sleep(5);
    }

    std::u16string SettingsFile() const {
        std::string b = ReadFileBytes(dir / "settings.cfg");
        std::u16string out;
        for (std::size_t i = 0; i + 1 < b.size(); i += 2)
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(b[i]) |
                                                (static_cast<unsigned char>(b[i + 1]) << 8)));
        return out;
    }

    TempDataFolder dir;
};

TEST_F(SetupDialogWin32, InitialStateFollowsEveryCombinationOfSettings) {
    ForEachSettingsCombination([this](bool newer) {
        const bool weather = Settings.show_weather != 0;
        const bool notices = Settings.show_newver != 0;
        const int gallery = Settings.dloption;
        HWND dialog = Open();
        Drive([&] {
            EXPECT_EQ(SendDlgItemMessageW(dialog, 1001, CB_GETCOUNT, 0, 0), kGalleryCount);
            EXPECT_EQ(SendDlgItemMessageW(dialog, 1001, CB_GETCURSEL, 0, 0), gallery);
            EXPECT_EQ(Text(dialog, 1015), u"Saint-Petersburg, Russia");
            EXPECT_EQ(Checked(dialog, 1010), weather);
            EXPECT_EQ(Checked(dialog, 1013), notices);
            for (int id : {1014, 1015, 1012}) EXPECT_EQ(Enabled(dialog, id), weather) << id;
            EXPECT_EQ(Visible(dialog, 1004), newer);
            EXPECT_EQ(Visible(dialog, 1005), newer);
            if (newer) {
                EXPECT_EQ(Text(dialog, 1005),
                          u"New version 1.1 is available!\n"
                          u"Please, click \"Home Website\" for upgrade details.");
            }
            EXPECT_NE(SendDlgItemMessageW(dialog, 1000, STM_GETIMAGE, IMAGE_ICON, 0), 0);
            // Esc goes through the dialog manager of the setup pump.
            PressKey(GetDlgItem(dialog, 1001), VK_ESCAPE);
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
        });
    });
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(QuitExitCode(), 0);
    EXPECT_FALSE(fs::exists(dir / "settings.cfg"));
}

TEST_F(SetupDialogWin32, WeatherBoxEnablesAndDisablesTheLocationAtOnce) {
    Settings.show_weather = 0;
    HWND dialog = Open();
    Drive([&] {
        Click(dialog, 1010);
        EXPECT_TRUE(Checked(dialog, 1010));
        for (int id : {1014, 1015, 1012}) EXPECT_TRUE(Enabled(dialog, id)) << id;
        Click(dialog, 1010);
        for (int id : {1014, 1015, 1012}) EXPECT_FALSE(Enabled(dialog, id)) << id;
        Command(dialog, IDCANCEL);
    });
}

TEST_F(SetupDialogWin32, OkStoresTheChoicesAndReplacesTheLocationOnlyWhenItChanged) {
    WriteFileBytes(dir / "weather.xml", "<weather/>");
    // The stored place chosen again, in other case: nothing to discard.
    PendingLocation.name.Assign(u"SAINT-PETERSBURG, RUSSIA");
    PendingLocation.id.Assign(u"rsxx0091");
    HWND dialog = Open();
    Drive([&] {
        SendDlgItemMessageW(dialog, 1001, CB_SETCURSEL, 3, 0);
        Click(dialog, 1013);
        Click(dialog, 1010);
        EXPECT_TRUE(Checked(dialog, 1027));
        Click(dialog, 1027);
        Click(dialog, 1028);
        Click(dialog, 1029);
        Click(dialog, 1030);
        Command(dialog, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    });
    EXPECT_EQ(SaverApp.RefreshSeconds, GalleryTable[3].refresh);
    auto file = SettingsFile();
    EXPECT_NE(file.find(u"dloption=3\n"), std::u16string::npos);
    EXPECT_NE(file.find(u"show_weather=0\n"), std::u16string::npos);
    EXPECT_NE(file.find(u"show_newver=0"), std::u16string::npos);
    EXPECT_NE(file.find(u"weather_loc=Saint-Petersburg, Russia\n"), std::u16string::npos);
    EXPECT_TRUE(
        file.ends_with(u"\nshow_titles=0\nblur_edges=1\ngentle_motion=1\ndownload_anyway=1"));
    EXPECT_TRUE(fs::exists(dir / "weather.xml"));

    PendingLocation.name.Assign(u"Oslo, Norway");
    PendingLocation.id.Assign(u"NOXX0029");
    dialog = Open();
    Drive([&] { Command(dialog, IDOK); });
    EXPECT_FALSE(fs::exists(dir / "weather.xml"));
    file = SettingsFile();
    EXPECT_NE(file.find(u"weather_loc_id=NOXX0029\n"), std::u16string::npos);
    EXPECT_NE(file.find(u"weather_loc=Oslo, Norway\n"), std::u16string::npos);
}

TEST_F(SetupDialogWin32, CancelEscAndTheCloseBoxStoreNothing) {
    PendingLocation.name.Assign(u"Oslo, Norway");
    PendingLocation.id.Assign(u"NOXX0029");
    WriteFileBytes(dir / "weather.xml", "<weather/>");
    std::function<void(HWND)> closers[] = {
        [](HWND d) { Command(d, IDCANCEL); },
        [](HWND d) { PressKey(GetDlgItem(d, 1010), VK_ESCAPE); },
        [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); },
    };
    for (auto& close : closers) {
        HWND dialog = Open();
        Drive([&] {
            SendDlgItemMessageW(dialog, 1001, CB_SETCURSEL, 4, 0);
            close(dialog);
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
        });
    }
    EXPECT_FALSE(fs::exists(dir / "settings.cfg"));
    EXPECT_TRUE(fs::exists(dir / "weather.xml"));
    EXPECT_EQ(Settings.dloption, 0);
    EXPECT_EQ(Settings.weather_loc_id.view(), u"RSXX0091");
}

TEST_F(SetupDialogWin32, AnExistingWindowBecomesTheOwner) {
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    HWND dialog = Open(reinterpret_cast<uintptr_t>(host));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), host);
    Drive([&] { Command(dialog, IDCANCEL); });
    DestroyWindow(host);

    // A handle that names no window leaves the dialog without owner.
    dialog = Open(reinterpret_cast<uintptr_t>(host));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    Drive([&] { Command(dialog, IDCANCEL); });
}

TEST_F(SetupDialogWin32, TheTemplateHoldsEveryControlInItsPlace) {
    HWND dialog = Open();
    Drive([&] {
        ExpectFrame(dialog, kSetupTitle, 262, 288,
                    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SYSMODAL |
                        DS_3DLOOK | DS_FIXEDSYS | DS_SETFONT);
        EXPECT_NE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
        const DWORD kButton = BS_TYPEMASK, kStatic = SS_TYPEMASK;
        ExpectLayout(
            dialog,
            {
                {1, L"Button", u"OK", {150, 266, 50, 14}, kButton, BS_DEFPUSHBUTTON},
                {2, L"Button", u"Cancel", {204, 266, 50, 14}, kButton, BS_PUSHBUTTON},
                {1021,
                 L"Button",
                 u"Photos from the gallery:",
                 {6, 44, 120, 10},
                 kButton | WS_GROUP | WS_TABSTOP,
                 BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
                {1022,
                 L"Button",
                 u"Photos from my folder:",
                 {6, 76, 120, 10},
                 kButton | WS_GROUP,
                 BS_AUTORADIOBUTTON},
                {1001,
                 L"ComboBox",
                 nullptr,
                 {18, 56, 234, 30},
                 0xF | WS_GROUP | WS_TABSTOP,
                 CBS_DROPDOWNLIST | WS_GROUP | WS_TABSTOP},
                {1024, L"Button", u"Choose...", {202, 88, 50, 14}, kButton, BS_PUSHBUTTON},
                {1026, L"Button", u"Clear cache", {202, 110, 50, 14}, kButton, BS_PUSHBUTTON},
                {1028,
                 L"Button",
                 u"Fill the edges with a blur of the photo",
                 {6, 128, 150, 10},
                 kButton,
                 BS_AUTOCHECKBOX},
                {1029, L"Button", u"Gentle motion", {170, 128, 82, 10}, kButton, BS_AUTOCHECKBOX},
                {1027,
                 L"Button",
                 u"Show photo titles",
                 {6, 142, 150, 10},
                 kButton,
                 BS_AUTOCHECKBOX},
                {1030,
                 L"Button",
                 u"Download new photos on battery or metered connections",
                 {6, 156, 246, 10},
                 kButton,
                 BS_AUTOCHECKBOX},
                {1002, L"Button", u"Home Website", {6, 266, 57, 14}, kButton, BS_PUSHBUTTON},
                {1000, L"Static", u"", {6, 6, 20, 20}, kStatic, SS_ICON},
                {-1,
                 L"Static",
                 u"Velmora Skyreel Saver, version 1.0\nThe most viewed aviation photos on your "
                 u"screen,\nwith the weather of your town.",
                 {48, 6, 168, 30},
                 kStatic,
                 SS_LEFT},
                {1004, L"Static", u"", {6, 236, 20, 20}, kStatic, SS_ICON},
                {1005, L"Static", u"", {36, 236, 186, 18}, kStatic, SS_LEFT},
                {1013,
                 L"Button",
                 u"Show notifications about new versions in the screensaver.",
                 {6, 218, 204, 12},
                 kButton | BS_MULTILINE | BS_TOP,
                 BS_AUTOCHECKBOX | BS_MULTILINE | BS_TOP},
                {1010,
                 L"Button",
                 u"Show current weather and forecast in the screensaver.",
                 {6, 176, 192, 12},
                 kButton,
                 BS_AUTOCHECKBOX},
                {1014, L"Static", u"Location:", {18, 194, 30, 8}, kStatic, SS_LEFT},
                {1012, L"Button", u"Change", {156, 192, 42, 14}, kButton, BS_PUSHBUTTON},
                {1015,
                 L"Static",
                 u"Saint-Petersburg, Russia",
                 {60, 194, 90, 8},
                 kStatic | SS_ELLIPSISMASK,
                 SS_LEFT | SS_ENDELLIPSIS},
                {1019, L"Button", u"\u00B0C", {206, 194, 22, 10}, kButton, BS_AUTORADIOBUTTON},
                {1020, L"Button", u"\u00B0F", {230, 194, 22, 10}, kButton, BS_AUTORADIOBUTTON},
                {1023,
                 L"Static",
                 kNoFolderChosenText,
                 {18, 91, 176, 8},
                 kStatic | SS_ELLIPSISMASK | SS_NOPREFIX,
                 SS_LEFT | SS_PATHELLIPSIS | SS_NOPREFIX},
                {1025,
                 L"Static",
                 u"Cache: empty",
                 {6, 113, 190, 8},
                 kStatic | SS_NOPREFIX,
                 SS_LEFT | SS_NOPREFIX},
            });
        Command(dialog, IDCANCEL);
    });
}

TEST_F(SetupDialogWin32, ScreenshotsShowTheIconsAndTheVersion) {
    Settings.newver.Assign(u"1.1");
    HWND dialog = Open();
    Drive([&] {
        Shot shot = Screenshot(dialog, "setup_dialog.png");
        // The warning sign is yellow to orange; the program icon shows a blue sky.
        EXPECT_GT(shot.Count(PlaceIn(dialog, GetDlgItem(dialog, 1004)), Warm), 50);
        EXPECT_GT(shot.Count(PlaceIn(dialog, GetDlgItem(dialog, 1000)),
                             [](int r, int, int b) { return b > 150 && b > r + 40; }),
                  200);
        bool aboutFilled = false;
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            aboutFilled |= Text(c).find(u"version 1.0\n") != std::u16string::npos;
        EXPECT_TRUE(aboutFilled);
        Command(dialog, IDCANCEL);
    });
    Settings.newver.Clear();
    dialog = Open();
    Drive([&] {
        Shot shot = Screenshot(dialog, "setup_dialog_plain.png");
        EXPECT_EQ(shot.Count(PlaceIn(dialog, GetDlgItem(dialog, 1004)), Warm), 0);
        Command(dialog, IDCANCEL);
    });
}

// The location dialog, opened with "Change" of a fresh setup dialog.
class LocationDialogWin32 : public SetupDialogWin32 {
  protected:
    void SetUp() override {
        SetupDialogWin32::SetUp();
        setup = Open();
    }
    // Presses "Change" and returns the location dialog (driver thread).
    HWND Change() const {
        PostCommand(setup, 1012);
        HWND found = nullptr;
        // Shown once WM_INITDIALOG has run.
        WaitUntil([&] {
            found = FindWindowW(nullptr, kLocationTitle);
            return found && IsWindowVisible(found);
        });
        return found;
    }
    static void Search(HWND dialog, const char16_t* text) {
        SetDlgItemTextW(dialog, 1017, reinterpret_cast<const wchar_t*>(text));
        Command(dialog, 1016);
    }
    static bool SearchEnded(HWND dialog) {
        return WaitUntil([&] { return Enabled(dialog, 1016); });
    }
    static bool Closed(HWND dialog) {
        return WaitUntil([&] { return !IsWindow(dialog); });
    }
    bool NoDownloadLeft() const {
        for (const auto& entry : fs::directory_iterator(dir.path()))
            if (entry.path().filename().string().rfind("weather_search", 0) == 0) return false;
        return true;
    }

    SearchService service;
    HWND setup = nullptr;
};

TEST_F(LocationDialogWin32, SearchShowsTheWaitingLineThenThePlacesAndOkStoresTheChoice) {
    WriteFileBytes(dir / "weather.xml", "<weather/>");
    Drive([&] {
        HWND dialog = Change();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), setup);
        EXPECT_FALSE(Enabled(dialog, IDOK));
        Screenshot(dialog, "location_dialog.png");

        // Search pressed from the keyboard: the focus leaves the disabled button.
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, 1016)),
                     TRUE);
        EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, 1016));
        Search(dialog, u"  slow");
        EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, 1017));
        EXPECT_EQ(ListLines(dialog, 1015), std::vector<std::u16string>{kSearchingLine});
        EXPECT_FALSE(Enabled(dialog, 1016));
        EXPECT_FALSE(Enabled(dialog, IDOK));
        ASSERT_TRUE(service.WaitForSlow());
        service.Release();
        ASSERT_TRUE(SearchEnded(dialog));

        EXPECT_EQ(ListLines(dialog, 1015), (std::vector<std::u16string>{kFirstLine, kSecondLine}));
        EXPECT_EQ(Selected(dialog, 1015), 0);
        EXPECT_TRUE(Enabled(dialog, IDOK));
        Screenshot(dialog, "location_dialog_places.png");
        EXPECT_EQ(service.Queries(), std::vector<std::string>{"slow"});
        EXPECT_TRUE(NoDownloadLeft());

        Command(dialog, IDOK);
        EXPECT_TRUE(Closed(dialog));
        EXPECT_TRUE(WaitUntil([&] { return Text(setup, 1015) == u"New York, NY"; }));
        EXPECT_TRUE(fs::exists(dir / "weather.xml"));  // nothing stored before the setup OK
        Command(setup, IDOK);
    });
    EXPECT_FALSE(fs::exists(dir / "weather.xml"));
    auto file = SettingsFile();
    EXPECT_NE(file.find(u"weather_loc_id=USNY0996\n"), std::u16string::npos);
    EXPECT_NE(file.find(u"weather_loc=New York, NY\n"), std::u16string::npos);
}

TEST_F(LocationDialogWin32, TheTemplateHoldsEveryControlInItsPlace) {
    Drive([&] {
        HWND dialog = Change();
        ASSERT_NE(dialog, nullptr);
        ExpectFrame(dialog, kLocationTitle, 232, 142,
                    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_FIXEDSYS | DS_SETFONT);
        // The list shows its scroll bar (WS_VSCROLL) only while its lines overflow.
        const DWORD kList = LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_BORDER;
        ExpectLayout(
            dialog, {
                        {1, L"Button", u"OK", {120, 120, 50, 14}, BS_TYPEMASK, BS_DEFPUSHBUTTON},
                        {2, L"Button", u"Cancel", {174, 120, 50, 14}, BS_TYPEMASK, BS_PUSHBUTTON},
                        {1017,
                         L"Edit",
                         u"",
                         {100, 10, 92, 14},
                         ES_AUTOHSCROLL | WS_BORDER,
                         ES_AUTOHSCROLL | WS_BORDER},
                        {-1,
                         L"Static",
                         u"Enter city name or ZIP code:",
                         {6, 12, 92, 8},
                         SS_TYPEMASK,
                         SS_LEFT},
                        {1015,
                         L"ListBox",
                         u"",
                         {6, 30, 216, 78},
                         kList,
                         LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER},
                        {1016, L"Button", u"Search", {192, 10, 30, 14}, BS_TYPEMASK, BS_PUSHBUTTON},
                        {1018,
                         L"Static",
                         u"Location data based on GeoNames",
                         {6, 123, 110, 8},
                         SS_TYPEMASK,
                         SS_LEFT},
                    });
        Command(dialog, IDCANCEL);
        Command(setup, IDCANCEL);
    });
}

TEST_F(LocationDialogWin32, TheTextReachesTheServiceWholeAsUtf8) {
    Drive([&] {
        HWND dialog = Change();
        ASSERT_NE(dialog, nullptr);
        Search(dialog, u"Saint John's & Co #1 Z\u00fcrich");
        ASSERT_TRUE(SearchEnded(dialog));
        Command(dialog, IDCANCEL);
        Command(setup, IDCANCEL);
    });
    EXPECT_EQ(service.Queries(), std::vector<std::string>{"Saint John's & Co #1 Z\xc3\xbcrich"});
}

TEST_F(LocationDialogWin32, FailuresAndEmptyAnswersShowTheirLineAndOkActsAsCancel) {
    Drive([&] {
        HWND dialog = Change();
        ASSERT_NE(dialog, nullptr);
        const std::pair<const char16_t*, std::u16string> cases[] = {
            {u"nowhere", kNotFoundLine},
            {u"broken", kConnectionLine},
        };
        for (const auto& [text, line] : cases) {
            Search(dialog, text);
            ASSERT_TRUE(SearchEnded(dialog));
            EXPECT_EQ(ListLines(dialog, 1015), std::vector<std::u16string>{line});
            EXPECT_FALSE(Enabled(dialog, IDOK));
        }
        EXPECT_TRUE(NoDownloadLeft());
        ASSERT_TRUE(SetSiteOverride(u"http://127.0.0.1:1"));  // nothing listens there
        Search(dialog, u"Oslo");
        ASSERT_TRUE(SearchEnded(dialog));
        EXPECT_EQ(ListLines(dialog, 1015), std::vector<std::u16string>{kConnectionLine});
        // A system out of threads fails the search the same way.
        ASSERT_TRUE(SetSiteOverride(service.server.BaseUrl()));
        RefuseBackgroundThreadsForTests(true);
        Search(dialog, u"Oslo");
        const bool ended = SearchEnded(dialog);
        RefuseBackgroundThreadsForTests(false);
        ASSERT_TRUE(ended);
        EXPECT_EQ(ListLines(dialog, 1015), std::vector<std::u16string>{kConnectionLine});

        SendDlgItemMessageW(dialog, 1015, LB_SETCURSEL, 0, 0);
        Command(dialog, IDOK);
        EXPECT_TRUE(Closed(dialog));
        EXPECT_TRUE(PendingLocation.name.empty());
        EXPECT_EQ(Text(setup, 1015), u"Saint-Petersburg, Russia");
        Command(setup, IDCANCEL);
    });
}

TEST_F(LocationDialogWin32, AnEmptySearchTextWarnsAndSendsNothing) {
    Drive([&] {
        HWND dialog = Change();
        ASSERT_NE(dialog, nullptr);
        SetDlgItemTextW(dialog, 1017, L" \t ");
        PostCommand(dialog, 1016);  // the warning box is modal
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (box = FindWindowW(nullptr, L"Cannot search")); }));
        bool said = false;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            said |= Text(c) == kEmptySearchMessage;
        EXPECT_TRUE(said);
        EXPECT_TRUE(ListLines(dialog, 1015).empty());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
        EXPECT_TRUE(IsWindow(dialog));
        Command(dialog, IDCANCEL);
        Command(setup, IDCANCEL);
    });
    EXPECT_TRUE(service.Queries().empty());
}

TEST_F(LocationDialogWin32, ADoubleClickOnAPlaceActsAsOkAndEscAsCancel) {
    Drive([&] {
        HWND dialog = Change();
        ASSERT_NE(dialog, nullptr);
        Search(dialog, u"London");
        ASSERT_TRUE(SearchEnded(dialog));
        PressKey(GetDlgItem(dialog, 1017), VK_ESCAPE);
        ASSERT_TRUE(Closed(dialog));
        EXPECT_TRUE(PendingLocation.name.empty());

        dialog = Change();
        ASSERT_NE(dialog, nullptr);
        Search(dialog, u"London");
        ASSERT_TRUE(SearchEnded(dialog));
        SendDlgItemMessageW(dialog, 1015, LB_SETCURSEL, 1, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(1015, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1015)));
        ASSERT_TRUE(Closed(dialog));
        EXPECT_EQ(PendingLocation.name.view(), u"London, United Kingdom");
        EXPECT_EQ(PendingLocation.id.view(), u"UKXX0085");
        EXPECT_TRUE(WaitUntil([&] { return Text(setup, 1015) == u"London, United Kingdom"; }));
        Command(setup, IDCANCEL);
    });
}

TEST_F(LocationDialogWin32, ASearchLeftRunningByAClosedDialogIsDropped) {
    Drive([&] {
        HWND first = Change();
        ASSERT_NE(first, nullptr);
        Search(first, u"slow");
        ASSERT_TRUE(service.WaitForSlow());
        Command(first, IDCANCEL);
        ASSERT_TRUE(Closed(first));

        // The reopened dialog searches at once, beside the running search.
        HWND second = Change();
        ASSERT_NE(second, nullptr);
        Search(second, u"nowhere");
        ASSERT_TRUE(SearchEnded(second));

        // The first answer arrives now and must not reach the new dialog.
        service.Release();
        EXPECT_TRUE(WaitUntil([&] { return NoDownloadLeft(); }));
        EXPECT_TRUE(WaitBackgroundThreads(10000));
        Sleep(300);
        EXPECT_EQ(ListLines(second, 1015), std::vector<std::u16string>{kNotFoundLine});
        EXPECT_FALSE(Enabled(second, IDOK));
        Command(second, IDCANCEL);
        Command(setup, IDCANCEL);
    });
}

// The program itself: "/C" shows the setup dialog and Cancel ends it with
// exit code 0; "/C:HWND" makes that window its owner.
TEST(SetupModeProgram, SlashCShowsTheDialogOwnedByTheGivenWindow) {
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring scr(self);
    // build-win32/tests/setup_win32/this.exe -> build-win32/skyreel.scr
    for (int up = 0; up < 3; ++up) scr.resize(scr.find_last_of(L"\\/"));
    scr += L"\\skyreel.scr";
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    for (bool owned : {false, true}) {
        SCOPED_TRACE(owned ? "/C:HWND" : "/C");
        std::wstring line = L"\"" + scr + L"\" /C";
        if (owned) line += L":" + std::to_wstring(reinterpret_cast<uintptr_t>(host));
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &pi));
        HWND dialog = nullptr;
        EXPECT_TRUE(WaitUntil([&] {
            MSG msg;  // the owner window answers the dialog's messages
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            dialog = FindWindowW(nullptr, kSetupTitle);
            return dialog && IsWindowVisible(dialog);
        }));
        DWORD pid = 0;
        GetWindowThreadProcessId(dialog, &pid);
        EXPECT_EQ(pid, pi.dwProcessId);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), owned ? host : nullptr);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitUntil([&] {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
        }));
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        EXPECT_EQ(code, 0u);
        if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    DestroyWindow(host);
}
}  // namespace

namespace {
// The setup dialog's photo source and cache controls.
class PhotoSourceWin32 : public SetupDialogWin32 {
  protected:
    // The message box the dialog opened (driver thread), or null.
    static HWND MessageBox() {
        HWND box = nullptr;
        WaitUntil([&] {
            box = FindWindowW(nullptr, kMessageCaption);
            return box && IsWindowVisible(box);
        });
        return box;
    }
    // The text of a message box: its one static with text.
    static std::u16string MessageText(HWND box) {
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            wchar_t cls[32] = {};
            GetClassNameW(c, cls, 32);
            if (lstrcmpiW(cls, L"Static") == 0 && !Text(c).empty()) return Text(c);
        }
        return u"";
    }
    static void Answer(HWND box, int button) {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    }
    // Opens the folder picker with "Choose..." (driver thread).
    HWND OpenPicker(HWND dialog) const {
        PostCommand(dialog, 1024);
        HWND picker = nullptr;
        WaitUntil([&] {
            picker = FindWindowW(nullptr, kPickerTitle);
            return picker && IsWindowVisible(picker);
        });
        return picker;
    }

    TempDir photos;
};

TEST_F(PhotoSourceWin32, EachSourceGreysTheOther) {
    HWND dialog = Open();
    Drive([&] {
        EXPECT_TRUE(Checked(dialog, 1021));
        EXPECT_EQ(Text(dialog, 1023), kNoFolderChosenText);
        auto expectFolderSide = [&](bool folder) {
            EXPECT_EQ(Enabled(dialog, 1001), !folder);
            for (int id : {1023, 1024}) EXPECT_EQ(Enabled(dialog, id), folder) << id;
        };
        expectFolderSide(false);
        Click(dialog, 1022);
        EXPECT_FALSE(Checked(dialog, 1021));
        expectFolderSide(true);
        Click(dialog, 1021);
        expectFolderSide(false);
        Command(dialog, IDCANCEL);
    });
    Settings.photo_folder.Assign(FromPath(photos.path()).value());
    dialog = Open();
    Drive([&] {
        EXPECT_TRUE(Checked(dialog, 1022));
        EXPECT_EQ(Text(dialog, 1023), Settings.photo_folder.view());
        EXPECT_FALSE(Enabled(dialog, 1001));
        Command(dialog, IDCANCEL);
    });
}

TEST_F(PhotoSourceWin32, TheCommonItemDialogPicksTheFolderThatOkStores) {
    const std::u16string folder = FromPath(photos.path()).value();
    HWND dialog = Open();
    Drive([&] {
        SendDlgItemMessageW(dialog, 1001, CB_SETCURSEL, 2, 0);
        Click(dialog, 1022);
        HWND picker = OpenPicker(dialog);
        ASSERT_NE(picker, nullptr);
        Screenshot(picker, "folder_picker.png");
        // The folder typed as its path into the picker's name field, then Open.
        SetDlgItemTextW(picker, 1152, reinterpret_cast<const wchar_t*>(folder.c_str()));
        PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(picker, IDOK)));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
        EXPECT_TRUE(WaitUntil([&] { return Text(dialog, 1023) == folder; }));
        Command(dialog, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    });
    EXPECT_NE(SettingsFile().find(u"\nphoto_folder=" + folder), std::u16string::npos);
    EXPECT_NE(SettingsFile().find(u"dloption=2\n"), std::u16string::npos);

    // The gallery list chosen again forgets the folder.
    dialog = Open();
    Drive([&] {
        EXPECT_EQ(Text(dialog, 1023), folder);
        Click(dialog, 1021);
        Command(dialog, IDOK);
    });
    EXPECT_EQ(SettingsFile().find(u"photo_folder"), std::u16string::npos);
}

TEST_F(PhotoSourceWin32, TheCacheFolderIsRefusedAndOkWithoutAFolderAsksForOne) {
    fs::create_directory(dir / "inner");
    const std::u16string inner = FromPath(dir / "inner").value();
    HWND dialog = Open();
    Drive([&] {
        Click(dialog, 1022);
        HWND picker = OpenPicker(dialog);
        ASSERT_NE(picker, nullptr);
        SetDlgItemTextW(picker, 1152, reinterpret_cast<const wchar_t*>(inner.c_str()));
        PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(picker, IDOK)));
        HWND box = MessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageText(box), kFolderInDataFolderText);
        Screenshot(box, "folder_refused.png");
        Answer(box, IDOK);
        EXPECT_EQ(Text(dialog, 1023), kNoFolderChosenText);

        // OK without a folder asks for one, and the dialog stays.
        PostCommand(dialog, IDOK);
        box = MessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageText(box), kNoFolderText);
        Answer(box, IDOK);
        EXPECT_TRUE(IsWindow(dialog));
        Command(dialog, IDCANCEL);
    });
    EXPECT_FALSE(fs::exists(dir / "settings.cfg"));

    // A folder put into the cache folder by hand is refused on OK as well.
    Settings.photo_folder.Assign(inner);
    dialog = Open();
    Drive([&] {
        PostCommand(dialog, IDOK);
        HWND box = MessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageText(box), kFolderInDataFolderText);
        Answer(box, IDOK);
        EXPECT_TRUE(IsWindow(dialog));
        Command(dialog, IDCANCEL);
    });
    EXPECT_FALSE(fs::exists(dir / "settings.cfg"));
}

TEST_F(PhotoSourceWin32, ClearAsksFirstThenDeletesOnlyTheSaversPhotos) {
    WriteFileBytes(dir / "1.jpg", std::string(1536, 'a'));
    WriteFileBytes(dir / "2.JPG", std::string(1000, 'b'));
    WriteFileBytes(dir / "3.jpg.tmp", "partial");
    for (const char* kept : {"weather.xml", "index.htm", "notes.txt"})
        WriteFileBytes(dir / kept, kept);
    WriteFileBytes(photos / "mine.jpg", "the user's own photo");
    // A link, where this system makes one (Wine makes none though it says
    // so), stays with its target: the snapshot lists it among the files kept.
    CreateSymbolicLinkW((dir / "link.jpg").c_str(), (photos / "mine.jpg").c_str(), 0);
    auto kept = SnapshotFolder(dir.path());
    for (const char* gone : {"1.jpg", "2.JPG", "3.jpg.tmp"}) kept.erase(fs::path(gone).native());
    const auto photosBefore = SnapshotFolder(photos.path());
    HWND dialog = Open();
    Drive([&] {
        EXPECT_EQ(Text(dialog, 1025), u"Cache: 2 photos, 3 KB");
        EXPECT_TRUE(Enabled(dialog, 1026));
        PostCommand(dialog, 1026);
        HWND box = MessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageText(box), kClearCacheQuestion);
        Screenshot(box, "clear_cache_question.png");
        Answer(box, IDNO);
        EXPECT_TRUE(fs::exists(dir / "1.jpg"));
        EXPECT_EQ(Text(dialog, 1025), u"Cache: 2 photos, 3 KB");

        PostCommand(dialog, 1026);
        box = MessageBox();
        ASSERT_NE(box, nullptr);
        Answer(box, IDYES);
        EXPECT_TRUE(WaitUntil([&] { return Text(dialog, 1025) == u"Cache: empty"; }));
        EXPECT_FALSE(Enabled(dialog, 1026));
        Command(dialog, IDCANCEL);
    });
    EXPECT_EQ(SnapshotDifference(kept, SnapshotFolder(dir.path())), "");
    EXPECT_EQ(SnapshotDifference(photosBefore, SnapshotFolder(photos.path())), "");
    EXPECT_FALSE(fs::exists(dir / "settings.cfg"));
}

TEST_F(PhotoSourceWin32, TheLayoutKeepsEveryControlWholeAndApart) {
    WriteFileBytes(dir / "1.jpg", std::string(1536, 'a'));
    Settings.photo_folder.Assign(u"C:\\Users\\someone\\Pictures\\" + std::u16string(120, u'p') +
                                 u"\\planes");
    Settings.newver.Assign(u"1.1");
    HWND dialog = Open();
    Drive([&] {
        RECT client{};
        GetClientRect(dialog, &client);
        HDC dc = GetDC(dialog);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
        std::vector<std::pair<int, RECT>> shown;
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (!IsWindowVisible(c)) continue;
            const int id = GetDlgCtrlID(c);
            RECT r = PlaceIn(dialog, c);
            wchar_t cls[32] = {};
            GetClassNameW(c, cls, 32);
            EXPECT_GE(r.left, 0) << id;
            EXPECT_GE(r.top, 0) << id;
            EXPECT_LE(r.right, client.right) << id;
            EXPECT_LE(r.bottom, client.bottom) << id;
            // One-line texts without an ellipsis fit their control.
            const DWORD style = static_cast<DWORD>(GetWindowLongW(c, GWL_STYLE));
            const std::u16string text = Text(c);
            if (lstrcmpiW(cls, L"Static") == 0 && !(style & SS_ELLIPSISMASK) &&
                text.find(u'\n') == std::u16string::npos && !text.empty()) {
                SIZE extent{};
                GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.c_str()),
                                      static_cast<int>(text.size()), &extent);
                EXPECT_LE(extent.cx, r.right - r.left) << id;
            }
            // A drop-down list's rectangle is that of its closed part.
            for (const auto& [other, o] : shown) {
                RECT overlap{};
                EXPECT_FALSE(IntersectRect(&overlap, &r, &o)) << id << " and " << other;
            }
            shown.emplace_back(id, r);
        }
        SelectObject(dc, old);
        ReleaseDC(dialog, dc);
        Screenshot(dialog, "setup_dialog_folder.png");
        Command(dialog, IDCANCEL);
    });
}
}  // namespace
