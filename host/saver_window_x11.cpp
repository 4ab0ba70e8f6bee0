// The saver window on X11 with a GLX context.
//
// Three kinds of window, one state record:
//  - Saver: an override-redirect window over the whole X screen (above
//    panels), keyboard grabbed, cursor hidden; keys, buttons 1..3 and a moved
//    mouse end the saver (saver_input.h decides), on whichever monitor. X
//    sends no motion event when the window maps, so the pointer's position
//    then is the first one seen. Each monitor is one viewport of the
//    slideshow (viewports.h).
//  - Preview: a child of ParentWindow sized to it, input swallowed; the
//    close request or the parent's destruction ends it. Without a usable
//    parent a plain top-level window of kPreviewWidth x kPreviewHeight.
//  - Foreign (--window-id, --root): somebody else's window. It is never
//    mapped, moved, resized or destroyed, the context uses its own visual,
//    and the viewport follows its size. Only SIGTERM ends it.
// X errors never end the process: a trap records them so that calls on a
// window that vanished (a destroyed parent) or a refused event selection
// (BadAccess for ButtonPress) simply fail.
//
// Implemented / Missing (host/saver_window.h on X11 + GLX):
//   [x] own window: full screen (Saver) or a child of ParentWindow (Preview)
//   [x] foreign window (--window-id, --root), its size followed
//   [x] GLX context from the nearest visual, pixel projection
//   [x] input forwarded to JudgeInput, first mouse position, keyboard focus
//   [x] PresentFrame, ScreenSize (the primary monitor's)
//   [x] several monitors (Saver): one viewport each, from Xinerama when it
//       is active, else RandR's monitors, else the whole screen
//   [x] display power: the DPMS level (libXext), asked for by the host's
//       poll; the extension is looked up at the first poll, not at start.
//       Servers without DPMS (Xvfb, the dummy Xorg) answer NotKnown
//   [x] WaitSaverWindow: poll() on the connection
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/dpms.h>
#include <X11/keysym.h>
#include <poll.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/process_state.h"
#include "base/saver_app.h"
#include "base/text.h"
#include "host/command_line.h"
#include "host/run_mode.h"
#include "host/saver_input.h"
#include "host/saver_window.h"
#include "overlay/gl_renderer.h"
#include "slideshow/slideshow.h"
#include "slideshow/viewports.h"

namespace {
constexpr int kPreviewWidth = 640;
constexpr int kPreviewHeight = 480;
constexpr int kGrabAttempts = 50;  // 10 ms apart: another client may hold the keyboard briefly

// Everything the backend made. Main thread only.
struct SaverWindowState {
    Display* display = nullptr;
    int screen = 0;
    Window window = 0;
    bool createdByUs = false;  // false for a foreign window: never map, move, resize or destroy
    bool windowGone = false;   // destroyed under us (with its parent)
    Window watchedParent = 0;  // preview parent whose destruction ends the saver
    Colormap colormap = 0;
    Cursor blankCursor = 0;
    GLXContext context = nullptr;
    bool keyboardGrabbed = false;
    Atom wmProtocols = 0;
    Atom wmDeleteWindow = 0;
    int width = 0;
    int height = 0;
    bool endsByInput = false;  // Saver mode in a window of our own
    InputRuleState input;
    XErrorHandler previousErrorHandler = nullptr;
    int dpms = -1;  // whether the server has usable DPMS; -1 = not asked yet
};
SaverWindowState g_win;

// Last X error code seen by the trap; main thread only (Xlib calls the
// handler on the thread that made the request).
int g_lastXError = 0;

extern "C" int TrapXError(Display*, XErrorEvent* e) {
    g_lastXError = e->error_code;
    return 0;
}

// Runs the requests made so far and returns the error the first of them
// raised, 0 when none.
int SyncAndTakeError() {
    XSync(g_win.display, False);
    int e = g_lastXError;
    g_lastXError = 0;
    return e;
}

// The attributes of a window that may not exist (any more); the error of a
// missing one is consumed here so that it cannot fail a later request.
bool QueryWindow(Window w, XWindowAttributes& wa) {
    bool ok = XGetWindowAttributes(g_win.display, w, &wa) != 0;
    return SyncAndTakeError() == 0 && ok;
}

// Nearest double-buffered RGBA visual to 24-bit colour, 8-bit alpha and a
// 32-bit depth buffer: relax depth, then alpha, as the server allows.
XVisualInfo* ChooseOwnVisual(Display* d, int screen) {
    const int depths[] = {32, 24, 16};
    for (int alpha : {8, 0}) {
        for (int depth : depths) {
            int attrs[] = {GLX_RGBA,
                           GLX_DOUBLEBUFFER,
                           GLX_RED_SIZE,
                           8,
                           GLX_GREEN_SIZE,
                           8,
                           GLX_BLUE_SIZE,
                           8,
                           GLX_ALPHA_SIZE,
                           alpha,
                           GLX_DEPTH_SIZE,
                           depth,
                           None};
            if (XVisualInfo* vi = glXChooseVisual(d, screen, attrs)) return vi;
        }
    }
    return nullptr;
}

XVisualInfo* VisualOfWindow(Display* d, const XWindowAttributes& wa) {
    XVisualInfo tmpl{};
    tmpl.visualid = XVisualIDFromVisual(wa.visual);
    int n = 0;
    return XGetVisualInfo(d, VisualIDMask, &tmpl, &n);
}

// RandR monitors came with version 1.5.
bool HasRandrMonitors(Display* d) {
    int event = 0, error = 0, major = 0, minor = 0;
    return XRRQueryExtension(d, &event, &error) && XRRQueryVersion(d, &major, &minor) &&
           (major > 1 || (major == 1 && minor >= 5));
}

// The monitors of `screen` in root coordinates: Xinerama's heads when it is
// active (it lists the primary first), else RandR's active monitors, else
// the whole screen.
std::vector<MonitorRect> ScreenMonitors(Display* d, int screen) {
    std::vector<MonitorRect> monitors;
    int n = 0;
    if (XineramaIsActive(d)) {
        if (XineramaScreenInfo* heads = XineramaQueryScreens(d, &n)) {
            for (int i = 0; i < n; ++i)
                monitors.push_back(
                    {{heads[i].x_org, heads[i].y_org, heads[i].width, heads[i].height}, i == 0});
            XFree(heads);
        }
    }
    if (monitors.empty() && HasRandrMonitors(d)) {
        if (XRRMonitorInfo* m = XRRGetMonitors(d, RootWindow(d, screen), True, &n)) {
            for (int i = 0; i < n; ++i)
                monitors.push_back({{m[i].x, m[i].y, m[i].width, m[i].height}, m[i].primary != 0});
            XRRFreeMonitors(m);
        }
    }
    SyncAndTakeError();
    if (monitors.empty())
        monitors.push_back({{0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen)}, true});
    return monitors;
}

ViewportList ScreenViewports(Display* d, int screen) {
    return ViewportsOfMonitors(ScreenMonitors(d, screen),
                               {0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen)});
}

Cursor MakeBlankCursor(Display* d, Window w) {
    char zero = 0;
    Pixmap p = XCreateBitmapFromData(d, w, &zero, 1, 1);
    XColor black{};
    Cursor c = XCreatePixmapCursor(d, p, p, &black, &black, 0, 0);
    XFreePixmap(d, p);
    return c;
}

// The window XScreenSaver names, else the root window.
Window ForeignWindowOf(const HostOptions& o, Display* d) {
    if (o.hasWindowId) return static_cast<Window>(o.windowId);
    uint64_t id = 0;
    if (const char* env = std::getenv("XSCREENSAVER_WINDOW"); env && ParseWindowId(env, id))
        return static_cast<Window>(id);
    return DefaultRootWindow(d);
}

bool AttachToForeignWindow(Window w, XVisualInfo*& vi) {
    Display* d = g_win.display;
    XWindowAttributes wa{};
    if (!QueryWindow(w, wa)) return false;
    vi = VisualOfWindow(d, wa);
    if (!vi) return false;
    g_win.window = w;
    g_win.width = wa.width;
    g_win.height = wa.height;
    long mask = ExposureMask | StructureNotifyMask;
    XSelectInput(d, w, mask);
    // Only one client may select ButtonPress on a window; keep out if taken.
    XSelectInput(d, w, mask | ButtonPressMask);
    if (SyncAndTakeError() == BadAccess) XSelectInput(d, w, mask);
    SyncAndTakeError();
    return true;
}

bool CreateOwnWindow(XVisualInfo* vi) {
    Display* d = g_win.display;
    int screen = vi->screen;
    g_win.screen = screen;
    Window root = RootWindow(d, screen);
    Window parent = root;
    int width = kPreviewWidth;
    int height = kPreviewHeight;
    bool fullScreen = RunMode == Saver;
    if (fullScreen) {
        width = DisplayWidth(d, screen);
        height = DisplayHeight(d, screen);
    } else if (ParentWindow != 0) {
        XWindowAttributes pa{};
        Window p = static_cast<Window>(ParentWindow);
        if (QueryWindow(p, pa) && pa.width > 0) {
            parent = p;
            width = pa.width;
            height = pa.height;
        }
    }

    g_win.colormap = XCreateColormap(d, root, vi->visual, AllocNone);
    XSetWindowAttributes swa{};
    swa.colormap = g_win.colormap;
    swa.background_pixel = BlackPixel(d, screen);
    swa.border_pixel = 0;
    swa.override_redirect = fullScreen ? True : False;
    swa.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | PointerMotionMask |
                     ExposureMask | StructureNotifyMask;
    g_win.window = XCreateWindow(
        d, parent, 0, 0, width, height, 0, vi->depth, InputOutput, vi->visual,
        CWColormap | CWBackPixel | CWBorderPixel | CWOverrideRedirect | CWEventMask, &swa);
    if (SyncAndTakeError() || !g_win.window) return false;
    g_win.createdByUs = true;
    g_win.width = width;
    g_win.height = height;

    std::string title = Utf16ToUtf8(SaverApp.WindowTitle);
    XStoreName(d, g_win.window, title.c_str());
    std::string cls = Utf16ToUtf8(SaverApp.WindowClass);
    XClassHint hint{cls.data(), cls.data()};
    XSetClassHint(d, g_win.window, &hint);
    XSetWMProtocols(d, g_win.window, &g_win.wmDeleteWindow, 1);
    if (parent != root) {
        XSelectInput(d, parent, StructureNotifyMask);
        g_win.watchedParent = parent;
    }
    if (fullScreen) {
        g_win.blankCursor = MakeBlankCursor(d, g_win.window);
        XDefineCursor(d, g_win.window, g_win.blankCursor);
    }
    XMapRaised(d, g_win.window);
    XEvent ev;
    do {
        XWindowEvent(d, g_win.window, StructureNotifyMask, &ev);
    } while (ev.type != MapNotify);
    if (fullScreen) {
        for (int i = 0; i < kGrabAttempts && !g_win.keyboardGrabbed; ++i) {
            g_win.keyboardGrabbed = XGrabKeyboard(d, g_win.window, True, GrabModeAsync,
                                                  GrabModeAsync, CurrentTime) == GrabSuccess;
            if (!g_win.keyboardGrabbed) SleepMillis(10);
        }
    }
    // Every mode gives the window of its own the keyboard focus.
    XSetInputFocus(d, g_win.window, RevertToParent, CurrentTime);
    SyncAndTakeError();
    return true;
}

void Forward(const SaverInput& in) {
    if (JudgeInput(g_win.input, g_win.endsByInput, in) == InputVerdict::Quit)
        PostQuit(0, InputName(in.kind));
}

// The pointer's position in the window when it is shown: the first position
// the mouse rule sees, so that the first real move of one pixel counts.
void TakeFirstMousePosition() {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (XQueryPointer(g_win.display, g_win.window, &root, &child, &rootX, &rootY, &x, &y, &mask))
        Forward({InputKind::MouseMove, x, y});
    SyncAndTakeError();
}

// A key is a system key, as Win32 counts them, while Alt is held, and F10
// and the Alt keys themselves are system keys.
SaverInput KeyInput(const XKeyEvent& key) {
    KeySym sym = XLookupKeysym(const_cast<XKeyEvent*>(&key), 0);
    bool alt = (key.state & Mod1Mask) != 0;
    bool system = alt || sym == XK_F10 || sym == XK_Alt_L || sym == XK_Alt_R || sym == XK_Meta_L ||
                  sym == XK_Meta_R;
    SaverInput in{system ? InputKind::SystemKey : InputKind::Key};
    // No window manager turns Alt+F4 into a close request over the saver.
    in.closes = key.type == KeyPress && alt && sym == XK_F4;
    return in;
}

SaverInput ButtonInput(unsigned int button) {
    // 4..7 are the wheel, 8 and 9 the side buttons, which Win32 does not
    // deliver as button-down messages either.
    if (button >= Button1 && button <= Button3) return {InputKind::Button};
    return {InputKind::Wheel};
}

void OnResize(int width, int height) {
    if (width == g_win.width && height == g_win.height) return;
    g_win.width = width;
    g_win.height = height;
    GlSetPixelProjection(width, height);
    RequestRedraw();
}

void HandleEvent(XEvent& ev) {
    switch (ev.type) {
        case KeyPress:
        case KeyRelease:
            Forward(KeyInput(ev.xkey));
            break;
        case ButtonPress:
            Forward(ButtonInput(ev.xbutton.button));
            break;
        case MotionNotify:
            Forward({InputKind::MouseMove, ev.xmotion.x, ev.xmotion.y});
            break;
        case ClientMessage:
            if (g_win.createdByUs && ev.xclient.message_type == g_win.wmProtocols &&
                static_cast<Atom>(ev.xclient.data.l[0]) == g_win.wmDeleteWindow)
                Forward({InputKind::CloseRequest});
            break;
        case DestroyNotify:
            if (ev.xdestroywindow.window == g_win.window) {
                g_win.windowGone = true;
                Forward({InputKind::WindowGone});
            } else if (ev.xdestroywindow.window == g_win.watchedParent) {
                Forward({InputKind::WindowGone});
            }
            break;
        case ConfigureNotify:
            if (ev.xconfigure.window == g_win.window)
                OnResize(ev.xconfigure.width, ev.xconfigure.height);
            break;
        case Expose:
            if (ev.xexpose.count == 0) RequestRedraw();
            break;
        default:
            break;
    }
}

void ReleaseWindow() {
    Display* d = g_win.display;
    if (!d) return;
    if (g_win.context) {
        glXMakeCurrent(d, None, nullptr);
        glXDestroyContext(d, g_win.context);
    }
    if (g_win.keyboardGrabbed) XUngrabKeyboard(d, CurrentTime);
    if (g_win.createdByUs && !g_win.windowGone && g_win.window) XDestroyWindow(d, g_win.window);
    if (g_win.blankCursor) XFreeCursor(d, g_win.blankCursor);
    if (g_win.colormap) XFreeColormap(d, g_win.colormap);
    SyncAndTakeError();
    XSetErrorHandler(g_win.previousErrorHandler);
    XCloseDisplay(d);
    g_win = SaverWindowState{};
}
}  // namespace

bool OpenSaverWindow(const HostOptions& options) {
    g_win = SaverWindowState{};
    g_win.display = XOpenDisplay(nullptr);
    if (!g_win.display) return false;
    Display* d = g_win.display;
    g_win.previousErrorHandler = XSetErrorHandler(TrapXError);
    g_win.wmProtocols = XInternAtom(d, "WM_PROTOCOLS", False);
    g_win.wmDeleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);

    XVisualInfo* vi = nullptr;
    bool ok;
    if (options.hasWindowId || options.root) {
        ok = AttachToForeignWindow(ForeignWindowOf(options, d), vi);
    } else {
        vi = ChooseOwnVisual(d, DefaultScreen(d));
        ok = vi && CreateOwnWindow(vi);
    }
    if (ok) {
        g_win.context = glXCreateContext(d, vi, nullptr, True);
        ok = g_win.context && glXMakeCurrent(d, g_win.window, g_win.context) && !SyncAndTakeError();
    }
    if (vi) XFree(vi);
    if (!ok) {
        CloseSaverWindow();
        return false;
    }
    g_win.endsByInput = RunMode == Saver && g_win.createdByUs;
    if (g_win.endsByInput) TakeFirstMousePosition();
    GlSetPixelProjection(g_win.width, g_win.height);
    // The full-screen window lies at the root's origin, so root coordinates
    // are window coordinates. Other windows are one viewport, following
    // their size.
    SetSlideshowViewports(g_win.endsByInput ? ScreenViewports(d, g_win.screen) : ViewportList{});
    return true;
}

void CloseSaverWindow() {
    ReleaseWindow();
}

bool PumpSaverWindow() {
    if (!g_win.display || !XPending(g_win.display)) return false;
    XEvent ev;
    XNextEvent(g_win.display, &ev);
    HandleEvent(ev);
    return true;
}

void PresentFrame() {
    if (g_win.display && !g_win.windowGone) glXSwapBuffers(g_win.display, g_win.window);
}

void WaitSaverWindow(int millis) {
    if (!g_win.display) {
        SleepMillis(millis);
        return;
    }
    // Requests still buffered would wait with us; events already read
    // need no wait.
    if (XPending(g_win.display)) return;
    pollfd fd{ConnectionNumber(g_win.display), POLLIN, 0};
    poll(&fd, 1, millis);
}

DisplayPowerReading ReadDisplayPower() {
    Display* d = g_win.display;
    if (!d) return DisplayPowerReading::NotKnown;
    if (g_win.dpms < 0) {
        int event = 0, error = 0;
        g_win.dpms = DPMSQueryExtension(d, &event, &error) && DPMSCapable(d) ? 1 : 0;
    }
    if (g_win.dpms == 0) return DisplayPowerReading::NotKnown;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (!DPMSInfo(d, &level, &enabled)) return DisplayPowerReading::NotKnown;
    // A server with DPMS disabled keeps the monitor lit.
    return !enabled || level == DPMSModeOn ? DisplayPowerReading::On : DisplayPowerReading::Off;
}

ScreenExtent ScreenSize() {
    if (!g_win.display || !g_win.window) return {};
    XWindowAttributes wa{};
    if (!QueryWindow(g_win.window, wa) || !wa.screen) return {};
    const ViewportList views = ScreenViewports(g_win.display, XScreenNumberOfScreen(wa.screen));
    return {views.items[0].width, views.items[0].height};
}
