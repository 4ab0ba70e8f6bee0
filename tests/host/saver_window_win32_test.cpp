// The Win32 saver window under Wine: what the window procedure does with
// the messages of each mode, the window's placement and the GL projection.
// The quit request cannot be taken back within a process, so every
// scenario runs in a process of its own (a death test that must exit 0).
#include <windows.h>
// The other system headers need windows.h first.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "base/process_state.h"
#include "host/command_line.h"
#include "host/run_mode.h"
#include "host/saver_host.h"
#include "host/saver_window.h"
#include "slideshow/slideshow.h"
#include "support/temp_dir.h"

namespace {
#define SCENARIO_CHECK(cond)                                                        \
    do {                                                                            \
        if (!(cond)) {                                                              \
            std::fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #cond); \
            std::fflush(stderr);                                                    \
            std::_Exit(1);                                                          \
        }                                                                           \
    } while (0)

void Settle() {
    for (int i = 0; i < 20; ++i) {
        while (PumpSaverWindow()) {
        }
        Sleep(5);
    }
}

// This process's saver window: other test programs run beside this one on
// the same display, and their saver windows have the same class and title.
HWND SaverWindow() {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, L"VelmoraSkyreel", L"Velmora Skyreel Saver"))) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId()) return w;
    }
    return nullptr;
}

// Saver mode: a topmost popup over the virtual screen with the GL viewport
// of its size and one slideshow viewport per monitor, the primary's first;
// the first mouse position is stored, the same one again and
// system keys and the wheel do nothing, a move of one pixel quits.
void SaverWindowAndMouseRule() {
    SetCursorPos(10, 10);  // where the window appears under the cursor
    RunMode = Saver;
    SCENARIO_CHECK(OpenSaverWindow(HostOptions{}));
    HWND w = SaverWindow();
    SCENARIO_CHECK(w != nullptr);
    SCENARIO_CHECK((GetWindowLongW(w, GWL_STYLE) & WS_POPUP) != 0);
    SCENARIO_CHECK((GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    RECT r{};
    GetWindowRect(w, &r);
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    SCENARIO_CHECK(r.left == left && r.top == top);
    SCENARIO_CHECK(r.right - r.left == GetSystemMetrics(SM_CXVIRTUALSCREEN));
    SCENARIO_CHECK(r.bottom - r.top == GetSystemMetrics(SM_CYVIRTUALSCREEN));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    SCENARIO_CHECK(viewport[2] == r.right - r.left && viewport[3] == r.bottom - r.top);
    ScreenExtent screen = ScreenSize();
    SCENARIO_CHECK(screen.width == GetSystemMetrics(SM_CXSCREEN));
    SCENARIO_CHECK(screen.height == GetSystemMetrics(SM_CYSCREEN));
    // The primary monitor is the one at the origin of the virtual screen's
    // coordinates.
    ViewportList views = SlideshowViewports();
    SCENARIO_CHECK(views.count == GetSystemMetrics(SM_CMONITORS));
    SCENARIO_CHECK(views.items[0] == (ViewportRect{-left, -top, screen.width, screen.height}));

    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    Settle();
    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    SendMessageW(w, WM_SYSKEYDOWN, VK_MENU, 1 << 29);
    SendMessageW(w, WM_SYSKEYUP, VK_MENU, 1 << 29);
    SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(10, 10));
    Settle();
    SCENARIO_CHECK(!QuitPosted());
    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(11, 10));
    SCENARIO_CHECK(QuitPosted());
    CloseSaverWindow();
    SCENARIO_CHECK(SaverWindow() == nullptr);
    WNDCLASSW wc;
    SCENARIO_CHECK(!GetClassInfoW(GetModuleHandleW(nullptr), L"VelmoraSkyreel", &wc));
    std::_Exit(0);
}

void SaverQuitsOn(UINT message, WPARAM wParam) {
    RunMode = Saver;
    SCENARIO_CHECK(OpenSaverWindow(HostOptions{}));
    Settle();
    SCENARIO_CHECK(!QuitPosted());
    SendMessageW(SaverWindow(), message, wParam, 0);
    SCENARIO_CHECK(QuitPosted());
    std::_Exit(0);
}

// Alt+F4 is a system key: its default processing closes the window.
void SaverQuitsOnAltF4() {
    RunMode = Saver;
    SCENARIO_CHECK(OpenSaverWindow(HostOptions{}));
    Settle();
    PostMessageW(SaverWindow(), WM_SYSKEYDOWN, VK_F4, 1 << 29);
    Settle();
    SCENARIO_CHECK(QuitPosted());
    std::_Exit(0);
}

// A still frame is presented once; a patch uncovered by another window (a
// WM_PAINT) is validated and the next frame is presented again.
void StillFrameRedrawnAfterPaint() {
    TempDataFolder folder;
    RunMode = Saver;
    SCENARIO_CHECK(CreateSaverWindow(HostOptions{}) == 1);
    HWND w = SaverWindow();
    SCENARIO_CHECK(w != nullptr);
    Settle();
    int frames = 0;
    while (DrawFrame() == 1) SCENARIO_CHECK(++frames < 100);
    SCENARIO_CHECK(DrawFrame() == 0);
    RECT patch{20, 20, 120, 80};
    InvalidateRect(w, &patch, FALSE);
    Settle();
    SCENARIO_CHECK(!GetUpdateRect(w, nullptr, FALSE));
    SCENARIO_CHECK(DrawFrame() == 1);
    SCENARIO_CHECK(DrawFrame() == 0);
    DestroySaverWindow();
    std::_Exit(0);
}

HWND MakeParent() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PreviewParent";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"parent", WS_POPUP | WS_VISIBLE, 50, 50, 320, 240,
                           nullptr, nullptr, wc.hInstance, nullptr);
}

// Preview mode: a child filling the parent; keys, clicks and moves are
// swallowed; WM_CLOSE quits (or, with `destroyParent`, the parent's end).
void PreviewInput(bool destroyParent) {
    HWND parent = MakeParent();
    SCENARIO_CHECK(parent != nullptr);
    RunMode = Preview;
    ParentWindow = reinterpret_cast<uintptr_t>(parent);
    SCENARIO_CHECK(OpenSaverWindow(HostOptions{}));
    HWND w = FindWindowExW(parent, nullptr, L"VelmoraSkyreel", nullptr);
    SCENARIO_CHECK(w != nullptr);
    SCENARIO_CHECK((GetWindowLongW(w, GWL_STYLE) & WS_CHILD) != 0);
    RECT r{};
    GetClientRect(w, &r);
    SCENARIO_CHECK(r.right == 320 && r.bottom == 240);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    SCENARIO_CHECK(viewport[2] == 320 && viewport[3] == 240);

    for (UINT m : {WM_KEYDOWN, WM_KEYUP, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
        SendMessageW(w, m, 0, 0);
    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(50, 60));
    Settle();
    SCENARIO_CHECK(!QuitPosted());
    if (destroyParent)
        DestroyWindow(parent);
    else
        SendMessageW(w, WM_CLOSE, 0, 0);
    SCENARIO_CHECK(QuitPosted());
    CloseSaverWindow();
    std::_Exit(0);
}
}  // namespace

TEST(Win32SaverWindow, SaverModePlacementProjectionAndMouseRule) {
    EXPECT_EXIT(SaverWindowAndMouseRule(), ::testing::ExitedWithCode(0), "");
}

TEST(Win32SaverWindow, SaverModeQuitsOnKeysButtonsAndClose) {
    for (UINT m : {WM_KEYDOWN, WM_KEYUP, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_CLOSE})
        EXPECT_EXIT(SaverQuitsOn(m, 'A'), ::testing::ExitedWithCode(0), "") << m;
    EXPECT_EXIT(SaverQuitsOnAltF4(), ::testing::ExitedWithCode(0), "");
}

TEST(Win32SaverWindow, AStillFrameIsPresentedAgainAfterAPaintMessage) {
    EXPECT_EXIT(StillFrameRedrawnAfterPaint(), ::testing::ExitedWithCode(0), "");
}

TEST(Win32SaverWindow, PreviewSwallowsInputAndEndsOnCloseOrWithItsParent) {
    EXPECT_EXIT(PreviewInput(false), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(PreviewInput(true), ::testing::ExitedWithCode(0), "");
}
