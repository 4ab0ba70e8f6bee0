// How a download works: the caller (the waiter) allocates a FetchJob and
// starts a detached transfer thread on it, then polls the job every 100 ms.
// The job leaves Running exactly once, by compare-and-exchange:
//   Running -> Succeeded / Failed   by the transfer thread; the waiter then
//                                   releases the job at its next poll
//   Running -> Abandoned            by the waiter (stop, inactivity, slow
//                                   rate); the transfer thread then releases
//                                   the job when it notices
// Every file effect of the transfer thread (create, write, close, delete)
// happens under the job's lock while the job is Running, and the waiter
// abandons under the same lock, closing the file there. So no write reaches
// a closed file, and after an abandoned call has returned its thread never
// touches the target path again (a new download may already own it).
#include "net/http_fetcher.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "base/clock.h"
#include "base/event_log.h"
#include "base/fixed_text.h"
#include "base/process_state.h"
#include "base/text.h"
#include "net/transport.h"

namespace {
constexpr int kWatchMillis = 100;
constexpr int64_t kInactivitySeconds = 180;
constexpr uint64_t kSlowRateLimit = 30;  // bytes per second; a measured 0 never counts

enum FetchState : int32_t { Running = 0, Abandoned = 1, Succeeded = 2, Failed = 3 };

// Why a download ended without its body: the rows of the download rules,
// named in the event log.
enum class FetchEnd : int32_t {
    Complete,
    NoConnection,  // no library, name lookup, connection or request
    BadStatus,
    AnnouncedTooLarge,
    CannotCreate,
    ReadFailed,
    WriteFailed,
    Empty,
    OverLimit,
    Stopped,
    Inactive,
    Slow,
};

const char* FetchEndText(FetchEnd end) {
    switch (end) {
        case FetchEnd::Complete:
            return "complete";
        case FetchEnd::NoConnection:
            return "failed: no connection";
        case FetchEnd::BadStatus:
            return "failed: status other than 200";
        case FetchEnd::AnnouncedTooLarge:
            return "failed: announced body over the size limit";
        case FetchEnd::CannotCreate:
            return "failed: target file cannot be created";
        case FetchEnd::ReadFailed:
            return "failed: read error";
        case FetchEnd::WriteFailed:
            return "failed: write error";
        case FetchEnd::Empty:
            return "failed: empty body";
        case FetchEnd::OverLimit:
            return "failed: body over the size limit";
        case FetchEnd::Stopped:
            return "abandoned: stop requested";
        case FetchEnd::Inactive:
            return "abandoned: no activity for more than 180 s";
        case FetchEnd::Slow:
            return "abandoned: below 30 bytes per second";
    }
    return "failed";
}

// One download, shared by the waiter and its transfer thread.
//  - url, path: written by the waiter before the thread starts, read-only after.
//  - lastActivity, bytesReceived: written by the transfer thread, read by the waiter.
//  - state: leaves Running once (compare-and-exchange); the winner's state says who
//    releases the job (see the note at the top).
//  - file: opened, written and closed by the transfer thread, or closed by the
//    abandoning waiter; always under fileLock, and written only while Running.
//  - ended: notified by the transfer thread under fileLock when it ends the
//    job, so the waiter's 100 ms wait ends at once instead of at the period.
//  - bodyLimit, agent: written by the waiter before the thread starts.
//  - end, status, retryAfter: written by the transfer thread before it ends the job,
//    read by the waiter after it saw the job end (for the event log).
struct FetchJob {
    std::u16string url;
    PathText path;
    uint32_t bodyLimit = kFetchBodyLimit;
    UserAgent agent = UserAgent::Fixed;
    std::vector<std::string> redirectHosts;
    std::atomic<int32_t> retryAfter{-1};
    std::atomic<FetchEnd> end{FetchEnd::Complete};
    std::atomic<int32_t> status{0};
    std::atomic<int64_t> lastActivity{0};
    std::atomic<int32_t> state{Running};
    std::atomic<uint32_t> bytesReceived{0};
    std::mutex fileLock;
    std::condition_variable ended;
    std::ofstream file;
};

bool JobAbandoned(const void* job) {
    return static_cast<const FetchJob*>(job)->state.load() == Abandoned;
}

void RemoveFile(std::u16string_view path) {
    std::error_code ec;
    std::filesystem::remove(ToPath(path), ec);
}

// Releases a job handed over by the other side, which may still be inside
// its last step under the lock (the waiter closing the file, the transfer
// thread notifying the end), so wait for it to leave first.
void ReleaseJob(FetchJob* job) {
    { std::lock_guard<std::mutex> wait(job->fileLock); }
    delete job;
}

// The transfer thread's way out: Running -> `final`, waking the waiter.
// False when the waiter abandoned the job first.
bool EndJob(FetchJob* job, int32_t final) {
    std::lock_guard<std::mutex> lock(job->fileLock);
    int32_t running = Running;
    if (!job->state.compare_exchange_strong(running, final)) return false;
    job->ended.notify_one();
    return true;
}

// The transfer thread's end of a failed download: the target goes (unless the
// failure came before it was opened) and the job becomes Failed, unless the
// waiter abandoned it first.
void EndFailed(FetchJob* job, FetchEnd why, bool removeTarget) {
    job->end = why;
    if (removeTarget) {
        std::lock_guard<std::mutex> lock(job->fileLock);
        if (job->state.load() == Running) RemoveFile(job->path.view());
    }
    if (!EndJob(job, Failed)) ReleaseJob(job);
}

// Opens the target while the job runs; false when abandoned (file untouched).
bool OpenTarget(FetchJob* job, bool& opened) {
    std::lock_guard<std::mutex> lock(job->fileLock);
    if (job->state.load() != Running) return false;
    // Stamped before the file can be seen, so whoever sees the file sees
    // the stamp too (a test moving the calendar on then cannot race it).
    job->lastActivity = CalendarSecondsNow();
    // Unbuffered, so each chunk reaches the file at once and a failed write shows.
    job->file.rdbuf()->pubsetbuf(nullptr, 0);
    job->file.open(ToPath(job->path.view()), std::ios::binary | std::ios::trunc);
    opened = job->file.is_open();
    return true;
}

enum class WriteResult { Written, Abandoned, Failed };

WriteResult WriteChunk(FetchJob* job, const char* data, long n) {
    std::lock_guard<std::mutex> lock(job->fileLock);
    if (job->state.load() != Running) return WriteResult::Abandoned;
    job->lastActivity = CalendarSecondsNow();  // before the bytes show, as in OpenTarget
    job->file.write(data, n);
    if (!job->file) return WriteResult::Failed;
    return WriteResult::Written;
}

// Closes the target; false when the last bytes could not be written.
bool CloseTarget(FetchJob* job) {
    std::lock_guard<std::mutex> lock(job->fileLock);
    if (job->state.load() != Running || !job->file.is_open()) return true;
    job->file.close();
    return !job->file.fail();
}

// Copies the body into the open target until its end, a failure, the body
// limit or abandonment (which the caller tells apart by the job's state).
FetchEnd ReadBody(FetchJob* job, Transfer* t, TransportCancel cancel) {
    char buffer[kTransportReadSize];
    for (;;) {
        long n = TransportRead(t, buffer, sizeof buffer, cancel);
        if (n == 0) return FetchEnd::Complete;
        if (n < 0) return FetchEnd::ReadFailed;
        uint64_t total = uint64_t{job->bytesReceived.load()} + static_cast<uint64_t>(n);
        if (total > job->bodyLimit) return FetchEnd::OverLimit;
        WriteResult w = WriteChunk(job, buffer, n);
        if (w == WriteResult::Abandoned) return FetchEnd::Stopped;
        // A byte that did not reach the disk is a lost byte, not a received one.
        if (w == WriteResult::Failed) return FetchEnd::WriteFailed;
        job->bytesReceived = static_cast<uint32_t>(total);
    }
}

void RunTransfer(FetchJob* job) {
    const TransportCancel cancel{JobAbandoned, job};
    job->lastActivity = CalendarSecondsNow();
    Transfer* t = TransportOpen(job->url, job->agent, job->redirectHosts, cancel);
    if (JobAbandoned(job)) {
        TransportClose(t);
        ReleaseJob(job);
        return;
    }
    if (!t) return EndFailed(job, FetchEnd::NoConnection, false);

    char status[4];
    TransportStatus(t, status);
    job->status = std::atoi(status);
    job->retryAfter = TransportRetryAfter(t);
    if (std::strcmp(status, "200") != 0) {
        TransportClose(t);
        return EndFailed(job, FetchEnd::BadStatus, false);
    }
    // A body announced over the limit is refused before a byte of it is read.
    if (TransportContentLength(t) > static_cast<long long>(job->bodyLimit)) {
        TransportClose(t);
        return EndFailed(job, FetchEnd::AnnouncedTooLarge, true);
    }

    bool opened = false;
    if (!OpenTarget(job, opened)) {
        TransportClose(t);
        ReleaseJob(job);
        return;
    }
    FetchEnd end = opened ? ReadBody(job, t, cancel) : FetchEnd::CannotCreate;
    if (opened && !CloseTarget(job) && end == FetchEnd::Complete) end = FetchEnd::WriteFailed;
    TransportClose(t);

    if (end == FetchEnd::Complete && job->bytesReceived.load() == 0) end = FetchEnd::Empty;
    if (end != FetchEnd::Complete) return EndFailed(job, end, true);
    if (!EndJob(job, Succeeded)) ReleaseJob(job);
}

// The waiter's way out: marks the job Abandoned and closes the target under
// the job's lock. False when the transfer thread ended the job first.
bool Abandon(FetchJob* job) {
    std::lock_guard<std::mutex> lock(job->fileLock);
    int32_t running = Running;
    if (!job->state.compare_exchange_strong(running, Abandoned)) return false;
    if (job->file.is_open()) job->file.close();
    return true;
}
// One watch period, cut short when the transfer thread ends the job.
void WaitOnePeriod(FetchJob* job) {
    std::unique_lock<std::mutex> lock(job->fileLock);
    job->ended.wait_for(lock, std::chrono::milliseconds(kWatchMillis),
                        [job] { return job->state.load() != Running; });
}
}  // namespace

namespace {
// Why the waiter gives up now, or Complete while it keeps watching.
FetchEnd GiveUpReason(const FetchJob* job, int64_t now, uint64_t rate) {
    if (StopRequested.load()) return FetchEnd::Stopped;
    if (now - job->lastActivity.load() > kInactivitySeconds) return FetchEnd::Inactive;
    if (rate != 0 && rate < kSlowRateLimit) return FetchEnd::Slow;
    return FetchEnd::Complete;
}

// Watches the job until it ends or is abandoned; says how it ended.
FetchEnd WatchJob(FetchJob* job, std::u16string_view path, uint32_t& bytes, FetchReply& reply) {
    const int64_t start = CalendarSecondsNow();
    uint64_t rate = 0;
    for (;;) {
        int64_t now = CalendarSecondsNow();
        if (job->state.load() != Running) {
            FetchEnd end = job->end.load();
            bytes = job->bytesReceived.load();
            reply = {job->status.load(), job->retryAfter.load()};
            ReleaseJob(job);
            return end;
        }
        FetchEnd why = GiveUpReason(job, now, rate);
        if (why != FetchEnd::Complete) {
            bytes = job->bytesReceived.load();
            reply = {job->status.load(), job->retryAfter.load()};
            if (Abandon(job)) {
                RemoveFile(path);
                return why;
            }
            continue;  // the transfer ended first; its state decides
        }
        uint32_t received = job->bytesReceived.load();
        if (received > 0 && now - start > 0) rate = received / static_cast<uint64_t>(now - start);
        WaitOnePeriod(job);
    }
}

void LogFetch(std::u16string_view url, FetchEnd end, uint32_t bytes, int32_t status,
              std::chrono::steady_clock::time_point began) {
    auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - began)
                      .count();
    std::string line = "request " + Utf16ToUtf8(url) + ": " + FetchEndText(end);
    if (status != 0) line += ", status " + std::to_string(status);
    line += ", " + std::to_string(bytes) + " bytes, " + std::to_string(millis) + " ms";
    LogEvent(line);
}
}  // namespace

bool FetchToFile(std::u16string_view url, std::u16string_view path, const FetchOptions& options,
                 FetchReply* reply) {
    if (reply) *reply = FetchReply{};
    if (url.empty() || path.empty() || url.size() > options.urlLimit ||
        path.size() > PathText::kCapacity)
        return false;
    const auto began = std::chrono::steady_clock::now();
    auto* job = new FetchJob;
    job->url.assign(url);
    job->path.Assign(path);
    job->bodyLimit = std::min(options.bodyLimit, kFetchBodyLimit);
    job->agent = options.agent;
    job->redirectHosts = options.redirectHosts;
    job->lastActivity = CalendarSecondsNow();
    try {
        std::thread(RunTransfer, job).detach();
    } catch (const std::system_error&) {
        delete job;  // no thread, so nothing else holds the job
        return false;
    }
    uint32_t bytes = 0;
    FetchReply said;
    FetchEnd end = WatchJob(job, path, bytes, said);
    LogFetch(url, end, bytes, said.status, began);
    if (reply) *reply = said;
    return end == FetchEnd::Complete;
}

bool FetchToFile(std::u16string_view url, std::u16string_view path, uint32_t bodyLimit) {
    return FetchToFile(url, path, FetchOptions{bodyLimit}, nullptr);
}

bool RenameNoReplace(std::u16string_view from, std::u16string_view to) {
    // Like MoveFile, never replace an existing name. Only the harvest thread
    // writes photo names, so the test and the rename do not race.
    std::error_code ec;
    auto target = ToPath(to);
    auto st = std::filesystem::symlink_status(target, ec);
    if (std::filesystem::exists(st) || (ec && ec != std::errc::no_such_file_or_directory))
        return false;
    std::filesystem::rename(ToPath(from), target, ec);
    return !ec;
}

bool FetchViaTempFile(std::u16string_view url, std::u16string_view path, uint32_t bodyLimit) {
    return FetchViaTempFile(url, path, FetchOptions{bodyLimit});
}

bool FetchViaTempFile(std::u16string_view url, std::u16string_view path,
                      const FetchOptions& options) {
    PathText temp;
    if (!temp.Assign(path) || !temp.Append(kFetchTempSuffix)) return false;
    if (!FetchToFile(url, temp.view(), options, nullptr)) return false;
    return RenameNoReplace(temp.view(), path);
}

bool FetchIntoMemory(std::u16string_view url, std::u16string_view path, std::string& body,
                     const FetchOptions& options, FetchReply* reply) {
    body.clear();
    if (!FetchToFile(url, path, options, reply)) return false;
    return ReadWholeFile(ToPath(path), body, std::min(options.bodyLimit, kFetchBodyLimit));
}

bool FetchIntoMemory(std::u16string_view url, std::u16string_view path, std::string& body,
                     uint32_t bodyLimit) {
    return FetchIntoMemory(url, path, body, FetchOptions{bodyLimit}, nullptr);
}

int ParseRetryAfter(std::string_view value) {
    constexpr int kLongestSeconds = 24 * 3600;
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r' ||
                              value.back() == '\n'))
        value.remove_suffix(1);
    if (value.empty() || value.size() > 9) return -1;
    int seconds = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return -1;  // an HTTP date, or garbage
        seconds = seconds * 10 + (c - '0');
    }
    return std::min(seconds, kLongestSeconds);
}
