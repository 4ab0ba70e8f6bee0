// A private Xvfb server for one GL test binary: started on a free display
// number, DISPLAY pointed at it, killed when the object goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Starts the X server `command` (its program name first, found on the
// PATH) with "-displayfd" added, and waits up to timeoutMillis for the
// display number it writes there. Returns ":N", or "" when it did not come
// up; `pid` is the server's process, -1 when none was started.
std::string SpawnXServer(std::vector<std::string> command, int timeoutMillis, pid_t& pid);
// Stops a server SpawnXServer started (nothing for pid -1).
void StopXServer(pid_t pid);

class XvfbServer {
  public:
    XvfbServer(int width, int height);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False when the server did not come up (the test then fails).
    bool running() const { return !display_.empty(); }
    const std::string& display() const { return display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};
