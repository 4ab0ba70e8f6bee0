// A private Xvfb server for one GL test binary: started on a free display
// number, DISPLAY pointed at it, killed when the object goes.
#pragma once

#include <sys/types.h>

#include <string>

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
