// The saver window and its OpenGL context (Saver and Preview modes).
// Backends: saver_window_x11.cpp (and later saver_window_win32.cpp); the GL
// state shared by every backend lives in gl_state_gl.cpp.
//
// Implemented (X11 / Win32):
//   [x]/[ ] CreateSaverWindow, DestroySaverWindow, InitGlState
//   [x]/[ ] PumpSaverWindow (input rules), PresentFrame, ScreenSize
//   [x]/[ ] foreign windows (--window-id, --root) following their size
// Missing: the Win32 backend.
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

struct ScreenExtent {
    int width = 0;
    int height = 0;
};
// Size of the screen the saver window is on; 0 x 0 without a window.
ScreenExtent ScreenSize();

// Shared by the backends (gl_state_gl.cpp), with the context current:
// viewport and projection so that one unit is one pixel, origin top left.
void SetPixelProjection(int width, int height);
// Scans the cache into the photo list, then sets the fixed GL state.
// 0 when the scan fails.
int InitGlState();
