// A key press sent to an X display as if typed (XTest).
#pragma once

#include <string>

// Presses and releases the space bar; false when the display or XTest fails.
bool PressKey(const std::string& display);
