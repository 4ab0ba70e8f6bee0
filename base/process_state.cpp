#include "base/process_state.h"

#include <condition_variable>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "base/platform.h"
#include "base/text.h"

PathText DataFolder;
std::atomic<bool> StopRequested{false};

bool DataFilePath(std::u16string_view name, PathText& out) {
    out = DataFolder;
    return out.Push(kPathSeparator) && out.Append(name);
}

bool LiesInDataFolder(std::u16string_view folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path data = fs::weakly_canonical(ToPath(DataFolder.view()), ec);
    if (ec || data.empty()) return false;
    const fs::path inner = fs::weakly_canonical(fs::absolute(ToPath(folder), ec), ec);
    if (ec) return false;
    // Compared without regard to case on every platform: a refusal too many
    // costs a rename, a refusal too few the user's photos.
    auto d = data.begin(), i = inner.begin();
    for (; d != data.end(); ++d, ++i) {
        if (d->empty() && std::next(d) == data.end()) break;  // a trailing separator
        if (i == inner.end()) return false;
        const std::optional<std::u16string> a = FromPath(*d), b = FromPath(*i);
        if (!a || !b || !EqualsNoCase(*a, *b)) return false;
    }
    return true;
}

namespace {
std::atomic<int> g_quitCode{-1};
std::atomic<const char*> g_quitReason{nullptr};  // written once, by the request that won
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<const char*>::is_always_lock_free);

std::mutex g_threadsLock;
std::condition_variable g_threadsDone;
int g_threadsRunning = 0;
std::atomic<bool> g_refuseThreads{false};  // set by tests only
}  // namespace

void PostQuit(int exitCode, const char* reason) {
    int none = -1;
    if (g_quitCode.compare_exchange_strong(none, exitCode < 0 ? 0 : exitCode))
        g_quitReason.store(reason);
}

const char* QuitReason() {
    const char* reason = g_quitReason.load();
    return reason ? reason : "";
}
bool QuitPosted() {
    return g_quitCode.load() >= 0;
}
int QuitExitCode() {
    return g_quitCode.load() < 0 ? 0 : g_quitCode.load();
}

bool StartBackgroundThread(std::function<void()> body) {
    if (g_refuseThreads.load()) return false;
    {
        std::lock_guard<std::mutex> lock(g_threadsLock);
        ++g_threadsRunning;
    }
    try {
        std::thread([body = std::move(body)]() mutable {
            body();
            body = nullptr;  // release captures before shutdown may go on
            std::lock_guard<std::mutex> lock(g_threadsLock);
            --g_threadsRunning;
            g_threadsDone.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        // Out of threads or memory: the only way std::thread reports it.
        std::lock_guard<std::mutex> lock(g_threadsLock);
        --g_threadsRunning;
        g_threadsDone.notify_all();
        return false;
    }
    return true;
}

void RefuseBackgroundThreadsForTests(bool refuse) {
    g_refuseThreads = refuse;
}

bool WaitBackgroundThreads(int ms) {
    std::unique_lock<std::mutex> lock(g_threadsLock);
    return g_threadsDone.wait_for(lock, std::chrono::milliseconds(ms),
                                  [] { return g_threadsRunning == 0; });
}
