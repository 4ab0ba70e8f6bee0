// The saver window backend: one window with a current OpenGL context
// (Saver and Preview modes). It only creates, shows and destroys platform
// objects and forwards input to the portable rule (saver_input.h); the cache
// scan, the GL state and the photo list are the host's (saver_host.h).
//
// Implemented (X11 / Win32):
//   [x]/[x] OpenSaverWindow, CloseSaverWindow: own window (full screen or
//           preview child), context current, pixel projection
//   [x]/[x] every monitor covered in Saver mode, one slideshow viewport each
//   [x]/[x] PumpSaverWindow (input through JudgeInput), PresentFrame, ScreenSize
//   [x]/[ ] foreign windows (--window-id, --root) following their size: an
//           X11 convention; Win32 makes a preview window instead
//   [x]/[x] display power forwarded to NoteDisplayPower (display_power.h):
//           X11 answers ReadDisplayPower from DPMS where the server has it
//           (none on Xvfb or the dummy Xorg: always NotKnown there); Win32
//           forwards the console display state from WM_POWERBROADCAST and
//           answers NotKnown. Neither asks to keep the display awake.
//   [x]/[x] WaitSaverWindow
#pragma once

struct HostOptions;

// Creates (or, for --window-id and --root, attaches to) the window, makes its
// GL context current on the calling thread and sets the pixel projection.
// False after releasing whatever was made.
bool OpenSaverWindow(const HostOptions& options);
// Releases what OpenSaverWindow made; a foreign window is left as it was.
void CloseSaverWindow();
// Handles one pending window event; false when none was waiting.
bool PumpSaverWindow();
// Shows the frame just drawn (SwapBuffers).
void PresentFrame();
// Sleeps until a window event waits or `millis` have passed.
void WaitSaverWindow(int millis);

enum class DisplayPowerReading { NotKnown, On, Off };
// The display's power as the platform can be asked for it now; NotKnown
// where it cannot be asked (or the state arrives as events instead).
DisplayPowerReading ReadDisplayPower();

struct ScreenExtent {
    int width = 0;
    int height = 0;
};
// Size of the primary monitor of the screen the saver window is on, what
// the interludes are painted for; 0 x 0 without a window.
ScreenExtent ScreenSize();
