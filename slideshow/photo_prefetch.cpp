// The prefetcher: one background thread, started on first use, decodes one
// requested photo at a time. Decoded pixels live in at most two pictures,
// kept for reuse: the one ready (the next photo) and a spare that the main
// thread hands back once it has painted its photo, so that neither side
// fills fresh memory at a change and a still slide holds one decoded photo.
// The thread ends on StopRequested or after a while without requests; the
// state is never destroyed, so a late thread never meets a destroyed lock at
// process exit.
#include "slideshow/photo_prefetch.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <utility>

#include "base/process_state.h"
#include "base/text.h"
#include "photos/photo_backdrop.h"
#include "photos/photo_decode.h"

namespace {
constexpr auto kIdleWait = std::chrono::milliseconds(100);  // StopRequested poll
constexpr int kIdleWaitsBeforeExit = 100;                   // 10 s without requests

struct DecodeJob {
    PathText path;
    int screenWidth = 0;
    int screenHeight = 0;
    bool backdrop = false;
    bool operator==(const DecodeJob& o) const {
        return path == o.path && screenWidth == o.screenWidth && screenHeight == o.screenHeight &&
               backdrop == o.backdrop;
    }
};

// Owner: shared by the main thread and the decode thread; every field is
// read and written under `lock`.
struct Prefetcher {
    std::mutex lock;
    std::condition_variable changed;
    bool threadRunning = false;
    bool requested = false;  // `job` waits for the thread
    bool decoding = false;   // the thread works on `job`
    bool done = false;       // `job` is decoded into `ready` (decodeOk says how it went)
    DecodeJob job;
    Picture ready;
    bool decodeOk = false;
    uint32_t width = 0;
    uint32_t height = 0;
    PhotoCredit credit;  // read from the bytes decoded into `ready`
    Picture backdrop;    // made from `ready` when the job asked for it
    Picture spare;       // storage for the next decode, on either thread
};
Prefetcher& g_prefetch = *new Prefetcher;  // never destroyed: see the note above

void DecodeThread() {
    std::unique_lock<std::mutex> lock(g_prefetch.lock);
    int idle = 0;
    while (!StopRequested.load()) {
        if (!g_prefetch.requested) {
            if (++idle > kIdleWaitsBeforeExit) break;
            g_prefetch.changed.wait_for(lock, kIdleWait);
            continue;
        }
        idle = 0;
        DecodeJob job = g_prefetch.job;
        g_prefetch.requested = false;
        g_prefetch.decoding = true;
        // A result nobody took is overwritten; its storage is reused.
        Picture work = std::move(g_prefetch.done ? g_prefetch.ready : g_prefetch.spare);
        g_prefetch.done = false;
        lock.unlock();
        uint32_t w = 0, h = 0;
        PhotoCredit credit;
        bool ok = DecodePhoto(ToPath(job.path.view()), job.screenWidth, job.screenHeight, work, w,
                              h, &credit);
        Picture backdrop;
        if (ok && job.backdrop) MakePhotoBackdrop(work, backdrop);
        lock.lock();
        g_prefetch.decoding = false;
        if (!g_prefetch.requested && g_prefetch.job == job) {
            g_prefetch.ready = std::move(work);
            g_prefetch.decodeOk = ok;
            g_prefetch.width = w;
            g_prefetch.height = h;
            g_prefetch.credit = std::move(credit);
            g_prefetch.backdrop = std::move(backdrop);
            g_prefetch.done = true;
        } else {
            // A newer request replaced this one meanwhile: its result is not wanted.
            g_prefetch.spare = std::move(work);
        }
        g_prefetch.changed.notify_all();
    }
    g_prefetch.threadRunning = false;
    g_prefetch.requested = false;
    g_prefetch.changed.notify_all();
}

enum class Prefetched { No, Decoded, Failed };

// Takes the prefetched result for `job` into `out` (an empty picture),
// waiting while it is being decoded; otherwise gives `out` the spare storage
// to decode into. No when the decoder has nothing for this job.
Prefetched TakePrefetched(const DecodeJob& job, Picture& out, uint32_t& width, uint32_t& height,
                          PhotoCredit* credit, Picture* backdrop) {
    std::unique_lock<std::mutex> lock(g_prefetch.lock);
    if (g_prefetch.job == job) {
        g_prefetch.changed.wait(lock, [] {
            return !g_prefetch.threadRunning || !(g_prefetch.requested || g_prefetch.decoding);
        });
    }
    if (!(g_prefetch.job == job) || !g_prefetch.done) {
        std::swap(out, g_prefetch.spare);
        return Prefetched::No;
    }
    g_prefetch.done = false;
    g_prefetch.job = DecodeJob{};
    std::swap(out, g_prefetch.ready);
    if (!g_prefetch.decodeOk) return Prefetched::Failed;
    width = g_prefetch.width;
    height = g_prefetch.height;
    if (credit) *credit = std::move(g_prefetch.credit);
    if (backdrop) *backdrop = std::move(g_prefetch.backdrop);
    return Prefetched::Decoded;
}

bool FileExists(const PathText& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(ToPath(path.view()), ec);
}
}  // namespace

void PrefetchPhoto(const PathText& path, int screenWidth, int screenHeight, bool backdrop) {
    if (!PhotoDecoderRunsOnAnyThread() || StopRequested.load()) return;
    const DecodeJob job{path, screenWidth, screenHeight, backdrop};
    std::lock_guard<std::mutex> lock(g_prefetch.lock);
    if (g_prefetch.job == job && (g_prefetch.requested || g_prefetch.decoding || g_prefetch.done))
        return;
    g_prefetch.job = job;
    g_prefetch.requested = true;
    if (!g_prefetch.threadRunning) {
        g_prefetch.threadRunning = true;
        // Without a thread the main thread decodes the photo itself.
        if (!StartBackgroundThread(DecodeThread)) {
            g_prefetch.threadRunning = false;
            g_prefetch.requested = false;
        }
    }
    g_prefetch.changed.notify_all();
}

bool ObtainPhoto(const PathText& path, int screenWidth, int screenHeight, Picture& out,
                 uint32_t& width, uint32_t& height, PhotoCredit* credit, Picture* backdrop) {
    const DecodeJob job{path, screenWidth, screenHeight, backdrop != nullptr};
    switch (TakePrefetched(job, out, width, height, credit, backdrop)) {
        case Prefetched::Decoded:
            return FileExists(path);
        case Prefetched::Failed:
            return false;
        case Prefetched::No:
            break;
    }
    // A decoder bound to the main thread, or a change that came before the
    // prefetch: the backdrop is made here too, once.
    if (!DecodePhoto(ToPath(path.view()), screenWidth, screenHeight, out, width, height, credit))
        return false;
    if (backdrop) MakePhotoBackdrop(out, *backdrop);
    return true;
}

void ReturnPhotoStorage(Picture&& picture) {
    std::lock_guard<std::mutex> lock(g_prefetch.lock);
    // The larger storage stays: the next decode then needs no fresh memory.
    if (picture.pixels.capacity() > g_prefetch.spare.pixels.capacity())
        g_prefetch.spare = std::move(picture);
}
