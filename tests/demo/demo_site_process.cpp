#include "demo/demo_site_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {
constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 10000;
constexpr const char* kLinePrefix = "listening on http://127.0.0.1:";
}  // namespace

DemoSiteProcess::DemoSiteProcess(const std::vector<std::string>& args) {
    int fds[2];
    if (pipe(fds) != 0) return;
    std::vector<char*> argv;
    std::string binary = SKYREEL_DEMO_SITE;
    argv.push_back(binary.data());
    std::vector<std::string> copies = args;
    for (auto& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_ = fork();
    if (pid_ == 0) {
        // The site dies with the test, even when the test itself crashes.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    stdoutFd_ = fds[0];
    if (pid_ < 0) return;

    // Read the first line, one byte at a time so nothing after it is taken.
    for (;;) {
        pollfd p{stdoutFd_, POLLIN, 0};
        if (poll(&p, 1, kStartTimeoutMs) <= 0) return;
        char c;
        if (read(stdoutFd_, &c, 1) != 1 || c == '\n') break;
        firstLine_ += c;
    }
    if (firstLine_.rfind(kLinePrefix, 0) == 0)
        port_ = std::atoi(firstLine_.c_str() + std::strlen(kLinePrefix));
}

DemoSiteProcess::~DemoSiteProcess() {
    if (pid_ > 0) Stop(SIGKILL);
    if (stdoutFd_ >= 0) close(stdoutFd_);
}

int DemoSiteProcess::Stop(int signal) {
    if (pid_ > 0) kill(pid_, signal);
    return Wait();
}

int DemoSiteProcess::Wait() {
    if (pid_ <= 0) return -1;
    int status = 0;
    pid_t done = 0;
    // A site that does not end in time is killed, so a broken stop fails the
    // test instead of hanging it.
    for (int waited = 0; done == 0 && waited < kStopTimeoutMs; waited += 10) {
        done = waitpid(pid_, &status, WNOHANG);
        if (done == 0) usleep(10000);
    }
    if (done == 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        done = -1;
    }
    pid_ = -1;
    if (done < 0 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}
