// The saver window on Win32 with a WGL context, and GDI+ around it.
//
//  - Saver: a topmost popup over the whole virtual screen (every monitor),
//    cursor hidden; keys, buttons 1..3 and a moved mouse end the saver
//    (saver_input.h decides). Each monitor is one viewport of the slideshow
//    (viewports.h). Windows sends a WM_MOUSEMOVE when the window appears under
//    the cursor; that is the first position the rule stores.
//  - Preview: a child of ParentWindow filling its client area, input
//    swallowed; WM_CLOSE or the parent's destruction (which destroys the
//    child) ends it. Without a usable parent a plain top-level window of
//    kPreviewWidth x kPreviewHeight.
// GDI+ lives from the start of OpenSaverWindow to the end of
// CloseSaverWindow: only the saver and preview modes draw with it. A
// failing system call only fails OpenSaverWindow; nothing here ends the
// process.
//
// Implemented / Missing (host/saver_window.h on Win32 + WGL):
//   [x] own window: full screen (Saver) or a child of ParentWindow (Preview)
//   [x] pixel format and WGL context, pixel projection
//   [x] input forwarded to JudgeInput; WM_CLOSE and the window's end quit
//   [x] PresentFrame (SwapBuffers), ScreenSize (primary screen)
//   [x] WM_PAINT validates and asks for the next frame to be presented
//   [x] several monitors (Saver): the virtual screen, one viewport per
//       monitor of EnumDisplayMonitors
//   [x] GdiplusStartup / GdiplusShutdown
//   [x] display power: RegisterPowerSettingNotification for the console
//       display state (Windows 8), else the monitor power setting (Vista);
//       WM_POWERBROADCAST's setting forwarded to NoteDisplayPower (off, on,
//       dimmed = on). Nothing here asks to keep the display or the system
//       awake (no execution state, no power request)
//   [x] WaitSaverWindow: MsgWaitForMultipleObjects
//   [x] per-monitor DPI awareness (the manifest); the preview's thread
//       takes its parent's DPI awareness context before the child is made
//   [ ] foreign windows (--window-id, --root) are X11 conventions: on
//       Win32 the options are accepted and a preview window is made
#include <windows.h>
// The other system headers need windows.h first.
#include <gdiplus.h>

#include <vector>

#include "base/process_state.h"
#include "base/saver_app.h"
#include "host/display_power.h"
#include "host/run_mode.h"
#include "host/saver_input.h"
#include "host/saver_window.h"
#include "overlay/gl_renderer.h"
#include "slideshow/slideshow.h"
#include "slideshow/viewports.h"

namespace {
constexpr int kPreviewWidth = 640;
constexpr int kPreviewHeight = 480;

// Everything the backend made. Main thread only.
struct SaverWindowState {
    HINSTANCE instance = nullptr;
    bool classRegistered = false;
    bool cursorHidden = false;
    HWND window = nullptr;
    bool windowGone = false;  // destroyed under us (with its parent)
    HDC dc = nullptr;
    HGLRC context = nullptr;
    ULONG_PTR gdiplusToken = 0;
    bool gdiplusStarted = false;
    int width = 0;
    int height = 0;
    bool endsByInput = false;  // Saver mode
    InputRuleState input;
    HPOWERNOTIFY powerNotify = nullptr;
};
SaverWindowState g_win;

const wchar_t* ClassName() {
    return reinterpret_cast<const wchar_t*>(SaverApp.WindowClass);
}

bool Forward(const SaverInput& in, InputVerdict& verdict) {
    verdict = JudgeInput(g_win.input, g_win.endsByInput, in);
    if (verdict == InputVerdict::Quit) PostQuit(0, InputName(in.kind));
    return verdict != InputVerdict::Default;
}

LRESULT CALLBACK SaverWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    InputVerdict verdict = InputVerdict::Default;
    switch (message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (Forward({InputKind::Key}, verdict)) return 0;
            break;
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            // Alt+F4 closes through the WM_CLOSE of the default processing.
            if (Forward({InputKind::SystemKey}, verdict)) return 0;
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (Forward({InputKind::Button}, verdict)) return 0;
            break;
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            if (Forward({InputKind::Wheel}, verdict)) return 0;
            break;
        case WM_MOUSEMOVE: {
            // The rule, then default processing whatever it decided.
            const auto bits = static_cast<uint32_t>(lParam);
            Forward({InputKind::MouseMove, static_cast<int>(bits & 0xFFFF),
                     static_cast<int>(bits >> 16)},
                    verdict);
            break;
        }
        case WM_PAINT: {
            // A still slide swaps no frame of its own: an uncovered patch
            // would keep what covered it until the next change.
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            RequestRedraw();
            return 0;
        }
        case WM_CLOSE:
            Forward({InputKind::CloseRequest}, verdict);
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_POWERSETTINGCHANGE) {
                // Data: 0 off, 1 on, 2 dimmed (the monitor setting knows 0 and 1).
                const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
                if (setting && setting->DataLength >= sizeof(DWORD) &&
                    (IsEqualGUID(setting->PowerSetting, GUID_CONSOLE_DISPLAY_STATE) ||
                     IsEqualGUID(setting->PowerSetting, GUID_MONITOR_POWER_ON))) {
                    DWORD state = 0;
                    CopyMemory(&state, setting->Data, sizeof state);
                    NoteDisplayPower(state != 0);
                }
                return TRUE;
            }
            break;
        case WM_DESTROY:
            if (hwnd == g_win.window) {
                g_win.windowGone = true;
                Forward({InputKind::WindowGone}, verdict);
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool StartGdiplus() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, nothing suppressed
    g_win.gdiplusStarted =
        Gdiplus::GdiplusStartup(&g_win.gdiplusToken, &input, nullptr) == Gdiplus::Ok;
    return g_win.gdiplusStarted;
}

bool RegisterSaverClass() {
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    wc.lpfnWndProc = SaverWindowProc;
    wc.hInstance = g_win.instance;
    wc.hIcon = LoadIconW(nullptr, IDI_WINLOGO);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = ClassName();
    g_win.classRegistered = RegisterClassW(&wc) != 0;
    return g_win.classRegistered;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        const RECT& r = info.rcMonitor;
        reinterpret_cast<std::vector<MonitorRect>*>(list)->push_back(
            {{r.left, r.top, r.right - r.left, r.bottom - r.top},
             (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    }
    return TRUE;
}

RECT VirtualScreen() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// The monitors as viewports of a window over the virtual screen.
ViewportList MonitorViewports() {
    std::vector<MonitorRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    const RECT v = VirtualScreen();
    return ViewportsOfMonitors(monitors, {v.left, v.top, v.right - v.left, v.bottom - v.top});
}

// A child window must share its parent's DPI awareness, and the preview's
// parent belongs to another process: this thread takes the parent's before
// the child is made. Both functions are looked up, since Windows before 10
// (1607) has neither; there the process's awareness is the only one.
void FollowParentDpiAwareness(HWND parent) {
    using ContextOfWindow = HANDLE(WINAPI*)(HWND);
    using SetThreadContext = HANDLE(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return;
    auto contextOf = reinterpret_cast<ContextOfWindow>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    auto setContext = reinterpret_cast<SetThreadContext>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
    if (!contextOf || !setContext) return;
    if (HANDLE context = contextOf(parent)) setContext(context);
}

bool CreateOwnWindow() {
    HWND parent = reinterpret_cast<HWND>(static_cast<uintptr_t>(ParentWindow));
    RECT r{0, 0, kPreviewWidth, kPreviewHeight};
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    if (RunMode == Saver) {
        r = VirtualScreen();
        style = WS_POPUP;
        exStyle = WS_EX_TOPMOST;
        parent = nullptr;
        ShowCursor(FALSE);
        g_win.cursorHidden = true;
    } else if (parent && IsWindow(parent) && GetClientRect(parent, &r) && r.right > r.left &&
               r.bottom > r.top) {
        style = WS_CHILD;
        FollowParentDpiAwareness(parent);
        GetClientRect(parent, &r);  // in the parent's DPI from now on
    } else {
        parent = nullptr;
    }
    g_win.window = CreateWindowExW(
        exStyle, ClassName(), reinterpret_cast<const wchar_t*>(SaverApp.WindowTitle), style, r.left,
        r.top, r.right - r.left, r.bottom - r.top, parent, nullptr, g_win.instance, nullptr);
    if (!g_win.window) return false;
    // The client area is the drawing surface (a titled preview's is smaller).
    RECT client{};
    GetClientRect(g_win.window, &client);
    g_win.width = client.right - client.left;
    g_win.height = client.bottom - client.top;
    return true;
}

bool MakeContext() {
    g_win.dc = GetDC(g_win.window);
    if (!g_win.dc) return false;
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cAlphaBits = 8;
    pfd.cDepthBits = 32;
    pfd.iLayerType = PFD_MAIN_PLANE;
    int format = ChoosePixelFormat(g_win.dc, &pfd);
    if (format == 0 || !SetPixelFormat(g_win.dc, format, &pfd)) return false;
    g_win.context = wglCreateContext(g_win.dc);
    return g_win.context && wglMakeCurrent(g_win.dc, g_win.context);
}
}  // namespace

bool OpenSaverWindow(const HostOptions&) {
    g_win = SaverWindowState{};
    g_win.instance = GetModuleHandleW(nullptr);
    // Drawing without GDI+ would only give black pictures; go on regardless.
    StartGdiplus();
    if (!RegisterSaverClass()) {
        CloseSaverWindow();
        return false;
    }
    if (!CreateOwnWindow() || !MakeContext()) {
        CloseSaverWindow();
        return false;
    }
    g_win.endsByInput = RunMode == Saver;
    ShowWindow(g_win.window, SW_SHOW);
    SetForegroundWindow(g_win.window);
    SetFocus(g_win.window);
    GlSetPixelProjection(g_win.width, g_win.height);
    SetSlideshowViewports(g_win.endsByInput ? MonitorViewports() : ViewportList{});
    // Windows before 8 know only the monitor's power setting. Without
    // either the show simply never hears that the display went off.
    g_win.powerNotify = RegisterPowerSettingNotification(g_win.window, &GUID_CONSOLE_DISPLAY_STATE,
                                                         DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!g_win.powerNotify)
        g_win.powerNotify = RegisterPowerSettingNotification(g_win.window, &GUID_MONITOR_POWER_ON,
                                                             DEVICE_NOTIFY_WINDOW_HANDLE);
    return true;
}

void CloseSaverWindow() {
    if (g_win.powerNotify) UnregisterPowerSettingNotification(g_win.powerNotify);
    if (g_win.cursorHidden) ShowCursor(TRUE);
    if (g_win.context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(g_win.context);
    }
    if (g_win.dc) ReleaseDC(g_win.window, g_win.dc);
    if (g_win.window && !g_win.windowGone) {
        // Our own destruction is no reason to quit: the loop is over.
        HWND w = g_win.window;
        g_win.window = nullptr;
        DestroyWindow(w);
    }
    if (g_win.classRegistered) UnregisterClassW(ClassName(), g_win.instance);
    if (g_win.gdiplusStarted) Gdiplus::GdiplusShutdown(g_win.gdiplusToken);
    g_win = SaverWindowState{};
}

bool PumpSaverWindow() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        PostQuit(static_cast<int>(msg.wParam), "the quit message");
        return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

void PresentFrame() {
    if (g_win.dc && !g_win.windowGone) SwapBuffers(g_win.dc);
}

void WaitSaverWindow(int millis) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(millis), QS_ALLINPUT);
}

// The state arrives as WM_POWERBROADCAST instead.
DisplayPowerReading ReadDisplayPower() {
    return DisplayPowerReading::NotKnown;
}

ScreenExtent ScreenSize() {
    if (!g_win.window) return {};
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}
