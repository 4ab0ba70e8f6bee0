// A private X server with several monitors for one GL test binary: Xorg
// with the dummy video driver on a free display number, its RandR outputs
// set to the given rectangles (the first one primary), DISPLAY pointed at
// it, stopped when the object goes. Xvfb cannot do this: its RandR has one
// output and takes no monitors.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

struct MonitorLayout {
    int x = 0, y = 0, width = 0, height = 0;
};

class XorgDummyServer {
  public:
    explicit XorgDummyServer(const std::vector<MonitorLayout>& monitors);
    ~XorgDummyServer();
    XorgDummyServer(const XorgDummyServer&) = delete;
    XorgDummyServer& operator=(const XorgDummyServer&) = delete;

    // False when the server did not come up or took no monitors (the test
    // then fails); the server's log is in log().
    bool running() const { return running_; }
    std::string log() const;

  private:
    bool Start();
    bool SetMonitors(const std::vector<MonitorLayout>& monitors);

    TempDir dir_;
    pid_t pid_ = -1;
    bool running_ = false;
};
