// Xvfb chooses a free display number itself and writes it to -displayfd
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

XvfbServer::XvfbServer(int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) return;
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    std::string fd = std::to_string(fds[1]);
    std::vector<std::string> args = {"Xvfb", "-displayfd", fd,    "-screen", "0",
                                     screen, "-nolisten",  "tcp", "-noreset"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    int rc = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        pid_ = -1;
        close(fds[0]);
        return;
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (poll(&p, 1, kStartTimeoutMillis) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number.push_back(c);
    close(fds[0]);
    if (number.empty()) return;
    std::string name = ":" + number;
    if (Display* d = XOpenDisplay(name.c_str())) {
        XCloseDisplay(d);
        display_ = name;
        setenv("DISPLAY", name.c_str(), 1);
    }
}

XvfbServer::~XvfbServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
}
