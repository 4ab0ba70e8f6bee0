// Runs a real program for an end-to-end test or a bench (the skyreel
// binary, the screen saver daemon that runs it, or a peer program): a child
// process with its own HOME, XDG_CONFIG_HOME and DISPLAY, killed when the
// object goes so that a failed assertion never leaves it running.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

class SaverProcess {
  public:
    // Starts `binary` with `args` and `extraEnv` ("NAME=value") added to the
    // environment, replacing an entry of the same name; its output goes to
    // `logFile`.
    SaverProcess(const std::string& binary, const std::filesystem::path& home,
                 const std::string& display, const std::vector<std::string>& args,
                 const std::filesystem::path& logFile,
                 const std::vector<std::string>& extraEnv = {});
    ~SaverProcess();
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // True while the process has not ended (an ended one is reaped).
    bool Running();

    struct Ending {
        int exitCode = -1;  // -1: killed by a signal or did not end in time
        int millis = 0;     // from the signal to the end
    };
    // Sends `signal` and waits up to `timeoutMillis`; a process still
    // running then is killed.
    Ending Stop(int signal, int timeoutMillis);

  private:
    pid_t pid_ = -1;
    int status_ = 0;
    bool ended_ = false;
};
