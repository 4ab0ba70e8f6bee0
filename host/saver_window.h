// The saver window and its OpenGL context (Saver and Preview modes).
// Backends: saver_window_x11.cpp (and later saver_window_win32.cpp).
//
// Implemented (X11 / Win32):
//   [ ]/[ ] CreateSaverWindow, DestroySaverWindow, InitGlState
//   [ ]/[ ] PumpSaverWindow (input rules), PresentFrame
#pragma once

#include <cstdint>

struct HostOptions;

// Creates the window, makes its GL context current, sets the pixel
// projection and runs InitGlState (which scans the cache). 0 on failure,
// after releasing whatever was made.
int CreateSaverWindow(const HostOptions& options);
void DestroySaverWindow();
// Handles one pending window event; false when none was waiting.
bool PumpSaverWindow();
// Shows the frame just drawn (SwapBuffers).
void PresentFrame();
