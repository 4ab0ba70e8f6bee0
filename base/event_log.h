// The event log of --verbose: one timestamped line per event on standard
// error, where a screensaver daemon records what its display modules say.
// Off unless enabled, so the saver stays silent by default.
//
// Threads: EventLogEnabled is set once by the main thread at start-up,
// before any other thread exists (tests may switch it between runs).
// LogEvent may be called from any thread; each line is written whole.
#pragma once

#include <atomic>
#include <string_view>

extern std::atomic<bool> EventLogEnabled;

// Writes "skyreel: <UTC date and time to the millisecond> <text>" and a line
// end, when enabled; nothing otherwise.
void LogEvent(std::string_view text);

// The moments of a start, each logged once under --verbose as
// "start: <moment>, <N> ms" with N counted from the process's first moment
// (its static initialisation), so that a slow start shows where it spent
// its time. Any thread.
enum class StartMoment {
    Process,
    WindowAndContext,
    FirstPhotoChosen,
    FirstPhotoDecoded,
    FirstPhotoUploaded,
    FirstPhotoPresented,
};
void LogStartMoment(StartMoment moment);
