// Process-wide state of the saver host. Owners and rules:
//  - RunMode, ParentWindow, DataFolder: written once by the main thread during
//    start-up, before any other thread exists; read-only afterwards.
//  - StopRequested: raised once by the main thread at quit, polled by workers.
//  - The three locks live for the whole process (static storage); the host
//    waits for the background threads before it returns, so none outlives them.
//  - The quit request is raised by the window, the dialog or a signal handler
//    and read by the main loop.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "base/fixed_text.h"

enum RunModeValue : int32_t { Saver = 0, Setup = 1, Preview = 2 };

extern int32_t RunMode;
extern uint64_t ParentWindow;  // an X window ID on Linux, an HWND on Win32
extern PathText DataFolder;
extern std::atomic<bool> StopRequested;

extern std::mutex PhotoListLock;
extern std::mutex HarvestStartLock;
extern std::mutex WeatherStartLock;

// DataFolder + separator + name, bounded like every path; false when it
// does not fit in 259 characters.
bool DataFilePath(std::u16string_view name, PathText& out);

// The quit message: the first request wins and carries the exit code.
// Safe to call from a signal handler.
void PostQuit(int exitCode);
bool QuitPosted();
int QuitExitCode();

// Background threads (harvest, weather, location search) are started through
// here so that shutdown can wait for them. They poll StopRequested.
void StartBackgroundThread(std::function<void()> body);
// Waits until every background thread has ended or `ms` have passed;
// returns true when all have ended.
bool WaitBackgroundThreads(int ms);
