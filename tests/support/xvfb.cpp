// An X server chooses a free display number itself and writes it to -displayfd
// once it accepts connections, which avoids racing other test binaries for
// a number.
#include "support/xvfb.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

extern char** environ;

namespace {
constexpr int kStartTimeoutMillis = 20000;
}

std::string SpawnXServer(std::vector<std::string> command, int timeoutMillis, pid_t& pid) {
    pid = -1;
    // Without a session bus GIO starts one for the display (dbus-launch, of
    // dbus-x11, which python3-dbusmock brings) and ends the whole test binary
    // with SIGTERM once the display and that bus go away. No test needs one.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
    int fds[2];
    if (command.empty() || pipe(fds) != 0) return "";
    command.insert(command.begin() + 1, {"-displayfd", std::to_string(fds[1])});
    std::vector<char*> argv;
    for (auto& a : command) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        pid = -1;
        close(fds[0]);
        return "";
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (poll(&p, 1, timeoutMillis) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number.push_back(c);
    close(fds[0]);
    return number.empty() ? "" : ":" + number;
}

void StopXServer(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

XvfbServer::XvfbServer(int width, int height) {
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    std::string name =
        SpawnXServer({"Xvfb", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"},
                     kStartTimeoutMillis, pid_);
    if (name.empty()) return;
    if (Display* d = XOpenDisplay(name.c_str())) {
        XCloseDisplay(d);
        display_ = name;
        setenv("DISPLAY", name.c_str(), 1);
    }
}

XvfbServer::~XvfbServer() {
    StopXServer(pid_);
}
