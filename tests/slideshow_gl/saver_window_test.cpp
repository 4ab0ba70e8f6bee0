// The saver window on a private Xvfb: which input ends the saver in each
// mode, preview and foreign windows. The quit request cannot be taken back
// within a process, so every scenario runs in a child process of its own;
// input comes from a second X connection (XTest for real keys and buttons,
// XSendEvent for exact pointer positions and close requests).
#include <gtest/gtest.h>
// X11 after gtest: its macros (None, Bool) collide with gtest's names.
#include <GL/gl.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "base/clock.h"
#include "base/process_state.h"
#include "host/command_line.h"
#include "host/run_mode.h"
#include "host/saver_host.h"
#include "support/temp_dir.h"
#include "support/xvfb.h"

namespace {
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

XvfbServer* server = nullptr;

#define CHILD_CHECK(cond)                                                           \
    do {                                                                            \
        if (!(cond)) {                                                              \
            std::fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #cond); \
            return 1;                                                               \
        }                                                                           \
    } while (0)

// Runs `body` in a child process; its result is the child's exit code.
int InChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

// Lets the saver handle what the other connection sent.
void Settle(Display* other) {
    XSync(other, False);
    for (int i = 0; i < 20; ++i) {
        while (PumpSaverWindow()) {
        }
        SleepMillis(5);
    }
}

Window TopWindow(Display* d) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n);
    Window top = n ? children[n - 1] : 0;
    if (children) XFree(children);
    return top;
}

Window OnlyChild(Display* d, Window w) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    XQueryTree(d, w, &root, &parent, &children, &n);
    Window child = n == 1 ? children[0] : 0;
    if (children) XFree(children);
    return child;
}

void SendMotion(Display* d, Window w, int x, int y) {
    XEvent ev{};
    ev.xmotion.type = MotionNotify;
    ev.xmotion.display = d;
    ev.xmotion.window = w;
    ev.xmotion.x = x;
    ev.xmotion.y = y;
    ev.xmotion.same_screen = True;
    XSendEvent(d, w, False, 0, &ev);
}

void SendCloseRequest(Display* d, Window w) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, 0, &ev);
}

void Click(Display* d, unsigned button) {
    XTestFakeButtonEvent(d, button, True, CurrentTime);
    XTestFakeButtonEvent(d, button, False, CurrentTime);
}

void PressKey(Display* d, KeySym sym = 'a') {
    KeyCode k = XKeysymToKeycode(d, sym);
    XTestFakeKeyEvent(d, k, True, CurrentTime);
    XTestFakeKeyEvent(d, k, False, CurrentTime);
}

// Presses `sym` while Alt is held.
void PressWithAlt(Display* d, KeySym sym) {
    KeyCode alt = XKeysymToKeycode(d, XK_Alt_L);
    XTestFakeKeyEvent(d, alt, True, CurrentTime);
    PressKey(d, sym);
    XTestFakeKeyEvent(d, alt, False, CurrentTime);
}

Window MakeWindow(Display* d, int w, int h, bool map) {
    Window win = XCreateSimpleWindow(d, DefaultRootWindow(d), 50, 60, w, h, 0, 0, 0);
    if (map) XMapWindow(d, win);
    XSync(d, False);
    return win;
}

class SaverWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { server = new XvfbServer(kScreenWidth, kScreenHeight); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(server && server->running());
        other = XOpenDisplay(nullptr);
        ASSERT_NE(other, nullptr);
    }
    void TearDown() override { XCloseDisplay(other); }

    // Opens the saver in `mode` in a child and runs `scenario` there.
    int Run(int32_t mode, uint64_t parent, const HostOptions& options,
            const std::function<int()>& scenario) {
        return InChild([&] {
            RunMode = mode;
            ParentWindow = parent;
            Display* own = XOpenDisplay(nullptr);  // the child's own input connection
            if (!own) return 2;
            other = own;
            if (CreateSaverWindow(options) != 1) return 3;
            int result = scenario();
            DestroySaverWindow();
            return result;
        });
    }

    TempDataFolder dir;
    Display* other = nullptr;
};
}  // namespace

TEST_F(SaverWindow, SaverModeCoversTheScreenAndQuitsOnTheFirstMoveOfOnePixel) {
    // X sends no motion when the window maps: the pointer's position then
    // is the first one seen, so one real move of one pixel is enough.
    XWarpPointer(other, None, DefaultRootWindow(other), 0, 0, 0, 0, 100, 100);
    XSync(other, False);
    EXPECT_EQ(Run(Saver, 0, {},
                  [&] {
                      Window w = TopWindow(other);
                      XWindowAttributes wa{};
                      XGetWindowAttributes(other, w, &wa);
                      CHILD_CHECK(wa.width == kScreenWidth && wa.height == kScreenHeight);
                      CHILD_CHECK(wa.override_redirect && wa.map_state == IsViewable);
                      GLint viewport[4] = {};
                      glGetIntegerv(GL_VIEWPORT, viewport);
                      CHILD_CHECK(viewport[2] == kScreenWidth && viewport[3] == kScreenHeight);
                      SendMotion(other, w, 100, 100);  // the same position does nothing
                      Settle(other);
                      CHILD_CHECK(!QuitPosted());
                      XTestFakeMotionEvent(other, -1, 101, 100, CurrentTime);
                      Settle(other);
                      CHILD_CHECK(QuitPosted());
                      return 0;
                  }),
              0);
}

TEST_F(SaverWindow, SystemKeysDoNotEndTheSaverButAltF4Does) {
    EXPECT_EQ(Run(Saver, 0, {},
                  [&] {
                      PressWithAlt(other, 'a');
                      PressKey(other, XK_F10);
                      Settle(other);
                      CHILD_CHECK(!QuitPosted());
                      PressWithAlt(other, XK_F4);
                      Settle(other);
                      CHILD_CHECK(QuitPosted());
                      return 0;
                  }),
              0);
}

TEST_F(SaverWindow, SaverModeIgnoresTheWheelAndQuitsOnKeysAndButtons) {
    EXPECT_EQ(Run(Saver, 0, {},
                  [&] {
                      for (unsigned b = 4; b <= 7; ++b) Click(other, b);
                      Settle(other);
                      CHILD_CHECK(!QuitPosted());
                      PressKey(other);
                      Settle(other);
                      CHILD_CHECK(QuitPosted());
                      return 0;
                  }),
              0);
    for (unsigned button : {1u, 3u}) {
        EXPECT_EQ(Run(Saver, 0, {},
                      [&] {
                          Click(other, button);
                          Settle(other);
                          CHILD_CHECK(QuitPosted());
                          return 0;
                      }),
                  0)
            << "button " << button;
    }
}

TEST_F(SaverWindow, TheCloseRequestEndsTheSaver) {
    EXPECT_EQ(Run(Saver, 0, {},
                  [&] {
                      SendCloseRequest(other, TopWindow(other));
                      Settle(other);
                      CHILD_CHECK(QuitPosted());
                      return 0;
                  }),
              0);
}

TEST_F(SaverWindow, APreviewFillsItsParentSwallowsInputAndEndsOnClose) {
    Window parent = MakeWindow(other, 300, 200, true);
    EXPECT_EQ(Run(Preview, parent, {},
                  [&] {
                      Window w = OnlyChild(other, parent);
                      CHILD_CHECK(w != 0);
                      XWindowAttributes wa{};
                      XGetWindowAttributes(other, w, &wa);
                      CHILD_CHECK(wa.width == 300 && wa.height == 200);
                      Window focus = 0;
                      int revert = 0;
                      XGetInputFocus(other, &focus, &revert);
                      CHILD_CHECK(focus == w);  // a preview takes the keyboard too
                      XTestFakeMotionEvent(other, -1, 100, 120, CurrentTime);
                      XTestFakeMotionEvent(other, -1, 140, 150, CurrentTime);
                      Click(other, 1);
                      PressKey(other);
                      SendMotion(other, w, 5, 5);
                      SendMotion(other, w, 9, 9);
                      Settle(other);
                      CHILD_CHECK(!QuitPosted());
                      SendCloseRequest(other, w);
                      Settle(other);
                      CHILD_CHECK(QuitPosted());
                      return 0;
                  }),
              0);
    XDestroyWindow(other, parent);
}

TEST_F(SaverWindow, APreviewEndsWhenItsParentIsDestroyed) {
    Window parent = MakeWindow(other, 200, 150, true);
    EXPECT_EQ(Run(Preview, parent, {},
                  [&] {
                      XDestroyWindow(other, parent);
                      Settle(other);
                      CHILD_CHECK(QuitPosted());
                      PresentFrame();  // drawing into the vanished window is harmless
                      return 0;
                  }),
              0);
}

TEST_F(SaverWindow, APreviewWithoutAUsableParentGetsAWindowOfItsOwn) {
    EXPECT_EQ(Run(Preview, 0x7fff1234, {},
                  [&] {
                      GLint viewport[4] = {};
                      glGetIntegerv(GL_VIEWPORT, viewport);
                      CHILD_CHECK(viewport[2] == 640 && viewport[3] == 480);
                      CHILD_CHECK(!QuitPosted());
                      return 0;
                  }),
              0);
}

TEST_F(SaverWindow, AForeignWindowIsLeftAloneAndItsSizeFollowed) {
    Window foreign = MakeWindow(other, 320, 240, false);
    // Another client already holds ButtonPress on it.
    XSelectInput(other, foreign, ButtonPressMask);
    XSync(other, False);
    HostOptions options;
    options.hasWindowId = true;
    options.windowId = foreign;
    EXPECT_EQ(Run(Preview, 0, options,
                  [&] {
                      GLint viewport[4] = {};
                      glGetIntegerv(GL_VIEWPORT, viewport);
                      CHILD_CHECK(viewport[2] == 320 && viewport[3] == 240);
                      XWindowAttributes wa{};
                      XGetWindowAttributes(other, foreign, &wa);
                      CHILD_CHECK(wa.map_state == IsUnmapped);
                      XResizeWindow(other, foreign, 400, 300);
                      Settle(other);
                      glGetIntegerv(GL_VIEWPORT, viewport);
                      CHILD_CHECK(viewport[2] == 400 && viewport[3] == 300);
                      return 0;
                  }),
              0);
    XWindowAttributes wa{};
    EXPECT_TRUE(XGetWindowAttributes(other, foreign, &wa));
    EXPECT_EQ(wa.width, 400);
    EXPECT_EQ(wa.map_state, IsUnmapped);
    XDestroyWindow(other, foreign);
}

TEST_F(SaverWindow, RootDrawsIntoTheWindowNamedByTheEnvironment) {
    Window named = MakeWindow(other, 256, 128, true);
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", named);
    HostOptions options;
    options.root = true;
    setenv("XSCREENSAVER_WINDOW", id, 1);
    EXPECT_EQ(Run(Preview, 0, options,
                  [&] {
                      GLint viewport[4] = {};
                      glGetIntegerv(GL_VIEWPORT, viewport);
                      CHILD_CHECK(viewport[2] == 256 && viewport[3] == 128);
                      Click(other, 1);
                      Settle(other);
                      CHILD_CHECK(!QuitPosted());
                      return 0;
                  }),
              0);
    unsetenv("XSCREENSAVER_WINDOW");
    EXPECT_EQ(Run(Preview, 0, options,
                  [&] {
                      GLint viewport[4] = {};
                      glGetIntegerv(GL_VIEWPORT, viewport);
                      CHILD_CHECK(viewport[2] == kScreenWidth && viewport[3] == kScreenHeight);
                      return 0;
                  }),
              0);
    XDestroyWindow(other, named);
}
