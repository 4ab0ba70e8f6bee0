// The Debian package as a user has it after `apt-get install`: the files
// where the screen saver daemon and the desktop look for them, the module run
// the way the daemon runs it (XSCREENSAVER_WINDOW, --root, SIGTERM), and the
// daemon itself running it as an unprivileged user. tools/check.sh installs
// the package and runs this with SKYREEL_INSTALLED naming the module.
#include <gtest/gtest.h>
// X11 after gtest: its macros (None, Bool) collide with gtest's names.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "demo/demo_site_process.h"
#include "e2e/screen_frames.h"
#include "support/saver_process.h"
#include "support/temp_dir.h"
#include "support/xvfb.h"

namespace fs = std::filesystem;

namespace {
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kStopMillis = 1000;
constexpr auto kPhotoLimit = std::chrono::seconds(90);
constexpr uid_t kNobody = 65534;

fs::path Module() {
    const char* path = std::getenv("SKYREEL_INSTALLED");
    return path ? path : "/usr/libexec/xscreensaver/skyreel";
}

// The prefix the package installed into: two levels above libexec/xscreensaver.
fs::path Prefix() {
    return Module().parent_path().parent_path().parent_path();
}

std::string FileText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Reads the screen until it shows a photo, or the limit passes.
bool PhotoShown(const std::string& display, const std::function<bool()>& alive) {
    ScreenReader reader(display);
    if (!reader.connected()) return false;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < kPhotoLimit && alive()) {
        if (ClassifyFrame(reader.Read(), WeatherReport{}, 0, 0) == SlideKind::Photo) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
}

// Runs a program of the daemon's as the unprivileged user it must run as.
std::vector<std::string> AsNobody(const std::vector<std::string>& command) {
    std::vector<std::string> args = {"--reuid=65534", "--regid=65534", "--clear-groups"};
    args.insert(args.end(), command.begin(), command.end());
    return args;
}

// True once no process runs the module any more.
bool ModuleGone(int withinMillis) {
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(withinMillis)) {
        bool found = false;
        for (const auto& e : fs::directory_iterator("/proc")) {
            std::error_code ec;
            fs::path exe = fs::read_symlink(e.path() / "exe", ec);
            if (!ec && exe == fs::canonical(Module())) found = true;
        }
        if (!found) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}
}  // namespace

TEST(Installed, TheFilesAreWhereTheDaemonAndTheDesktopLookForThem) {
    ASSERT_TRUE(fs::is_regular_file(Module())) << Module();
    EXPECT_EQ(fs::canonical(Prefix() / "bin" / "skyreel"), fs::canonical(Module()));
    const std::string config = FileText(Prefix() / "share/xscreensaver/config/skyreel.xml");
    EXPECT_NE(config.find("<screensaver name=\"skyreel\""), std::string::npos);
    EXPECT_NE(config.find("<command arg=\"--root\"/>"), std::string::npos);
    EXPECT_NE(config.find("skyreel /C"), std::string::npos);  // how to set it up
    const std::string desktop = FileText(Prefix() / "share/applications/skyreel-settings.desktop");
    EXPECT_NE(desktop.find("\nExec=skyreel /C\n"), std::string::npos);
    EXPECT_NE(desktop.find("\nIcon=skyreel\n"), std::string::npos);
    for (const char* size : {"16x16", "24x24", "32x32", "48x48", "256x256"})
        EXPECT_TRUE(fs::exists(Prefix() / "share/icons/hicolor" / size / "apps/skyreel.png"))
            << size;
    EXPECT_TRUE(fs::exists(Prefix() / "share/man/man6/skyreel.6.gz"));
    EXPECT_TRUE(fs::exists(Prefix() / "share/metainfo/skyreel.metainfo.xml"));
}

TEST(Installed, TheModuleDrawsIntoTheDaemonsWindowAndEndsOnSigterm) {
    XvfbServer server(kWidth, kHeight);
    ASSERT_TRUE(server.running());
    DemoSiteProcess site;
    ASSERT_GT(site.port(), 0) << site.firstLine();
    // The window a daemon would make and name in XSCREENSAVER_WINDOW.
    Display* d = XOpenDisplay(server.display().c_str());
    ASSERT_NE(d, nullptr);
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, kWidth, kHeight, 0, 0, 0);
    XMapWindow(d, w);
    XSync(d, False);
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", w);

    TempDir home;
    SaverProcess saver(Module().string(), home.path(), server.display(),
                       {"--root", "--site", site.url(), "--slide-ms", "400"}, home / "saver.log",
                       {std::string("XSCREENSAVER_WINDOW=") + id});
    ASSERT_TRUE(saver.started());
    EXPECT_TRUE(PhotoShown(server.display(), [&] { return saver.Running(); }))
        << FileText(home / "saver.log");
    SaverProcess::Ending end = saver.Stop(SIGTERM, 5000);
    EXPECT_EQ(end.exitCode, 0);
    EXPECT_LT(end.millis, kStopMillis);
    // The daemon's window is left as it was.
    XWindowAttributes wa{};
    EXPECT_TRUE(XGetWindowAttributes(d, w, &wa));
    EXPECT_EQ(wa.width, kWidth);
    XCloseDisplay(d);
}

TEST(Installed, TheScreenSaverDaemonRunsTheModuleAndStopsIt) {
    ASSERT_EQ(geteuid(), 0u) << "runs the daemon as an unprivileged user: needs root";
    XvfbServer server(kWidth, kHeight);
    ASSERT_TRUE(server.running());
    DemoSiteProcess site;
    ASSERT_GT(site.port(), 0) << site.firstLine();

    // The user's list holds the module, as the README tells users to add it.
    TempDir home;
    std::ofstream(home / ".xscreensaver")
        << "mode:\tone\nselected:\t0\ntimeout:\t0:30:00\nlock:\tFalse\nsplash:\tFalse\n"
           "fade:\tFalse\nunfade:\tFalse\n"
           "programs:\t\"Skyreel\"  skyreel --root --site "
        << site.url() << " --slide-ms 400 \\n\n";
    for (const auto& p : fs::recursive_directory_iterator(home.path()))
        ASSERT_EQ(chown(p.path().c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(chown(home.path().c_str(), kNobody, kNobody), 0);

    SaverProcess daemon("/usr/bin/setpriv", home.path(), server.display(),
                        AsNobody({"/usr/bin/xscreensaver", "--no-splash", "--verbose"}),
                        home / "daemon.log");
    ASSERT_TRUE(daemon.started());
    std::this_thread::sleep_for(std::chrono::seconds(2));  // the daemon takes the screen
    auto command = [&](const char* what) {
        SaverProcess c("/usr/bin/setpriv", home.path(), server.display(),
                       AsNobody({"/usr/bin/xscreensaver-command", what}), home / "command.log");
        for (int i = 0; i < 100 && c.Running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return c.Stop(SIGKILL, 1000).exitCode;
    };
    EXPECT_EQ(command("-activate"), 0) << FileText(home / "command.log");
    EXPECT_TRUE(PhotoShown(server.display(), [&] { return daemon.Running(); }))
        << FileText(home / "daemon.log");
    EXPECT_NE(FileText(home / "daemon.log").find("skyreel --root"), std::string::npos);

    // Unblanking stops the module with SIGTERM; it is gone within a second.
    EXPECT_EQ(command("-deactivate"), 0);
    EXPECT_TRUE(ModuleGone(kStopMillis + 500)) << FileText(home / "daemon.log");
    command("-exit");
}
