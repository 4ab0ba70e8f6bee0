// Xorg writes its display number to -displayfd once it accepts
// connections, like Xvfb. The dummy driver makes sixteen outputs with a
// CRTC each and lights one; the monitors are set up here over RandR, as a
// user would with the display settings, before the saver connects.
#include "support/xorg_dummy.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "support/xvfb.h"

namespace {
constexpr int kStartTimeoutMillis = 30000;
constexpr double kMillimetresPerPixel = 25.4 / 96;

// No input devices (the test sends its own events), no VT switching on a
// machine with a console.
constexpr const char* kConfig = R"(Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 131072
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  DefaultDepth 24
EndSection
)";

// Xlib's default handler would end the test process and leave the server
// running; a failed configuration shows in the result instead.
int g_xError = 0;
extern "C" int NoteXError(Display*, XErrorEvent* e) {
    g_xError = e->error_code;
    return 0;
}

// A mode of width x height from `modes` (the server's and those made
// here), else a new one added to them.
RRMode ModeOf(Display* d, Window root, std::vector<XRRModeInfo>& modes, int width, int height) {
    for (const XRRModeInfo& m : modes) {
        if (static_cast<int>(m.width) == width && static_cast<int>(m.height) == height) return m.id;
    }
    std::string name = "test-" + std::to_string(width) + "x" + std::to_string(height);
    XRRModeInfo info{};
    info.width = static_cast<unsigned>(width);
    info.height = static_cast<unsigned>(height);
    info.hTotal = static_cast<unsigned>(width) + 160;
    info.vTotal = static_cast<unsigned>(height) + 30;
    info.dotClock = static_cast<unsigned long>(info.hTotal) * info.vTotal * 60;
    info.name = name.data();
    info.nameLength = static_cast<unsigned>(name.size());
    info.id = XRRCreateMode(d, root, &info);
    modes.push_back(info);
    return info.id;
}
}  // namespace

XorgDummyServer::XorgDummyServer(const std::vector<MonitorLayout>& monitors) {
    running_ = Start() && SetMonitors(monitors);
}

bool XorgDummyServer::Start() {
    WriteFileBytes(dir_ / "xorg.conf", kConfig);
    std::string name = SpawnXServer(
        {"Xorg", "-config", (dir_ / "xorg.conf").string(), "-logfile", (dir_ / "xorg.log").string(),
         "-nolisten", "tcp", "-noreset", "-sharevts", "-novtswitch"},
        kStartTimeoutMillis, pid_);
    if (name.empty()) return false;
    setenv("DISPLAY", name.c_str(), 1);
    return true;
}

bool XorgDummyServer::SetMonitors(const std::vector<MonitorLayout>& monitors) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    XErrorHandler previous = XSetErrorHandler(NoteXError);
    g_xError = 0;
    Window root = DefaultRootWindow(d);
    XRRScreenResources* res = XRRGetScreenResources(d, root);
    bool ok = res && res->ncrtc >= static_cast<int>(monitors.size()) &&
              res->noutput >= static_cast<int>(monitors.size());
    if (ok) {
        int width = 0, height = 0;
        for (const MonitorLayout& m : monitors) {
            width = std::max(width, m.x + m.width);
            height = std::max(height, m.y + m.height);
        }
        std::vector<XRRModeInfo> modes(res->modes, res->modes + res->nmode);
        // Every CRTC off first: the lit one may not fit the new screen.
        for (int i = 0; i < res->ncrtc; ++i)
            XRRSetCrtcConfig(d, res, res->crtcs[i], CurrentTime, 0, 0, 0, RR_Rotate_0, nullptr, 0);
        XRRSetScreenSize(d, root, width, height, static_cast<int>(width * kMillimetresPerPixel),
                         static_cast<int>(height * kMillimetresPerPixel));
        for (size_t i = 0; i < monitors.size() && ok; ++i) {
            const MonitorLayout& m = monitors[i];
            RRMode mode = ModeOf(d, root, modes, m.width, m.height);
            XRRAddOutputMode(d, res->outputs[i], mode);
            ok = XRRSetCrtcConfig(d, res, res->crtcs[i], CurrentTime, m.x, m.y, mode, RR_Rotate_0,
                                  &res->outputs[i], 1) == RRSetConfigSuccess;
        }
        if (ok) XRRSetOutputPrimary(d, root, res->outputs[0]);
    }
    // The driver calls the outputs with a CRTC connected at its next probe,
    // which only this request runs; clients that read the current state
    // (Wine) would otherwise see one monitor.
    if (ok) XRRFreeScreenResources(XRRGetScreenResources(d, root));
    if (res) XRRFreeScreenResources(res);
    XSync(d, False);
    XSetErrorHandler(previous);
    XCloseDisplay(d);
    return ok && g_xError == 0;
}

std::string XorgDummyServer::log() const {
    return ReadFileBytes(dir_ / "xorg.log");
}

XorgDummyServer::~XorgDummyServer() {
    StopXServer(pid_);
}
