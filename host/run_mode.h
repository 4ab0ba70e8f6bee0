// The run mode and the parent window, set once by the host during start-up
// before any other thread exists; read-only afterwards. Only host/ reads them:
// the layers below are told what they need.
#pragma once

#include <cstdint>

enum RunModeValue : int32_t { Saver = 0, Setup = 1, Preview = 2 };

extern int32_t RunMode;
extern uint64_t ParentWindow;  // an X window ID on Linux, an HWND on Win32
