// Runs the real demo-site binary for a test: starts it, reads its
// "listening on" line for the port, and stops it with a signal.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class DemoSiteProcess {
  public:
    // Starts the binary with `args`; port() is 0 when it did not come up.
    explicit DemoSiteProcess(const std::vector<std::string>& args = {});
    ~DemoSiteProcess();
    DemoSiteProcess(const DemoSiteProcess&) = delete;
    DemoSiteProcess& operator=(const DemoSiteProcess&) = delete;

    int port() const { return port_; }
    // The first line the site printed, without its line break.
    const std::string& firstLine() const { return firstLine_; }
    // "http://127.0.0.1:PORT", as the saver's --site takes it.
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }

    // Sends `signal` and waits; the exit code, or -1 when it did not exit
    // normally within ten seconds (it is then killed).
    int Stop(int signal);
    // Waits for a process that ends by itself; its exit code as Stop gives it.
    int Wait();

  private:
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    int port_ = 0;
    std::string firstLine_;
};
