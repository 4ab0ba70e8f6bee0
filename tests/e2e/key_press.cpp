#include "e2e/key_press.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

bool PressKey(const std::string& display) {
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return false;
    const KeyCode key = XKeysymToKeycode(d, XK_space);
    bool ok = key != 0 && XTestFakeKeyEvent(d, key, True, 0) && XTestFakeKeyEvent(d, key, False, 0);
    XSync(d, False);
    XCloseDisplay(d);
    return ok;
}
