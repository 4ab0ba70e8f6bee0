// Process-wide state below every subsystem. Owners and rules:
//  - DataFolder: written once by the main thread during start-up, before any
//    other thread exists; read-only afterwards.
//  - StopRequested: raised once by the main thread at quit, polled by workers.
//  - The quit request is raised by the window, the dialog or a signal handler
//    and read by the main loop.
//  - The background-thread registry counts the threads started through it, so
//    that the host can wait for them before it releases what they use.
// The locks live with the data they guard (PhotoListLock in photo_list.h,
// HarvestStartLock in gallery_refresh.h, WeatherStartLock in weather_feed.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "base/fixed_text.h"

extern PathText DataFolder;
extern std::atomic<bool> StopRequested;

// DataFolder + separator + name, bounded like every path; false when it
// does not fit in 259 characters.
bool DataFilePath(std::u16string_view name, PathText& out);

// True when `folder` is the data folder or lies inside it, links and ".."
// resolved. The saver deletes and renames there, so it can never be a folder
// of the user's own photos.
bool LiesInDataFolder(std::u16string_view folder);

// The quit message: the first request wins and carries the exit code and
// the reason (a text that lives for the whole process, for the event log).
// Safe to call from a signal handler.
void PostQuit(int exitCode, const char* reason);
bool QuitPosted();
int QuitExitCode();
// The reason of the request that won; "" before any.
const char* QuitReason();

// Background threads (harvest, weather, location search) are started through
// here so that shutdown can wait for them. They poll StopRequested. False
// when the system could not make the thread: `body` then never runs, and the
// caller takes it as the failure of the work it wanted done.
bool StartBackgroundThread(std::function<void()> body);
// Tests make every later StartBackgroundThread fail, as a system out of
// threads would, to see that each caller recovers.
void RefuseBackgroundThreadsForTests(bool refuse);
// Waits until every background thread has ended or `ms` have passed;
// returns true when all have ended.
bool WaitBackgroundThreads(int ms);
