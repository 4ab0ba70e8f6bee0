// Whether the display is lit, and the saver loop's turn that follows it.
// While the display is off nothing is drawn, presented or uploaded and the
// loop waits for window events instead of pacing frames; the slide clock
// runs on, and the first frame after the display comes back shows the
// slide due by then.
//
// State (main thread only): the window backend notes changes from its
// event handling (Win32's power broadcast) or answers the poll made here
// (X11's DPMS level); SaverTurn reads it.
#pragma once

#include <cstdint>

// Dimmed counts as on: the picture is still seen.
void NoteDisplayPower(bool on);
bool DisplayPowered();
// Back to a lit display and no poll made yet (a new window).
void ResetDisplayPower();

// The backend is asked at most this often; a wait while off lasts this long.
inline constexpr uint32_t kDisplayPollMillis = 1000;

// After a frame that showed nothing new (a still slide), the turn also
// waits this long for window events: the slide's end and the next change
// come at most this much later, and a still slide wakes the saver ten
// times a second instead of fifty.
inline constexpr int kStillFrameWaitMillis = 80;

// One turn of the saver loop when no window event is waiting: with the
// display lit one slideshow step and one frame (and kStillFrameWaitMillis
// after a still one); off, a wait for window events. True when a frame was
// presented.
bool SaverTurn();
