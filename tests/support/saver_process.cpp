#include "support/saver_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

SaverProcess::SaverProcess(const std::string& binary, const std::filesystem::path& home,
                           const std::string& display, const std::vector<std::string>& args,
                           const std::filesystem::path& logFile,
                           const std::vector<std::string>& extraEnv) {
    std::vector<std::string> argv = {binary};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = {"HOME=" + home.string(),
                                    "XDG_CONFIG_HOME=" + (home / ".config").string(),
                                    "DISPLAY=" + display, "PATH=/usr/bin:/bin"};
    // The Wine loader the test command chose (64-bit Wine where 32-bit
    // programs cannot run): /usr/bin/wine would pick the 32-bit one.
    if (const char* loader = std::getenv("WINELOADER"))
        env.push_back(std::string("WINELOADER=") + loader);
    for (const std::string& extra : extraEnv) {
        const size_t eq = extra.find('=');
        if (eq != std::string::npos)
            std::erase_if(
                env, [&](const std::string& e) { return e.starts_with(extra.substr(0, eq + 1)); });
        env.push_back(extra);
    }
    // Built before the fork: the child only calls async-signal-safe functions.
    std::vector<char*> argp, envp;
    for (auto& a : argv) argp.push_back(a.data());
    for (auto& e : env) envp.push_back(e.data());
    argp.push_back(nullptr);
    envp.push_back(nullptr);
    std::string log = logFile.string();
    pid_ = fork();
    if (pid_ == 0) {
        // The saver dies with the test, even when the test itself crashes.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd >= 0) {
            dup2(fd, STDOUT_FILENO);
            dup2(fd, STDERR_FILENO);
            close(fd);
        }
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
}

SaverProcess::~SaverProcess() {
    if (pid_ > 0 && !ended_) Stop(SIGKILL, 10000);
}

bool SaverProcess::Running() {
    if (pid_ <= 0 || ended_) return false;
    if (waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
    return !ended_;
}

SaverProcess::Ending SaverProcess::Stop(int signal, int timeoutMillis) {
    Ending e;
    if (pid_ <= 0) return e;
    auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] {
        return int(std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now() - start)
                       .count());
    };
    if (!ended_) kill(pid_, signal);
    while (!ended_ && elapsed() < timeoutMillis) {
        if (waitpid(pid_, &status_, WNOHANG) == pid_) {
            ended_ = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    e.millis = elapsed();
    if (!ended_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
        ended_ = true;
        return e;
    }
    if (WIFEXITED(status_)) e.exitCode = WEXITSTATUS(status_);
    return e;
}
