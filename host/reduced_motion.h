// Whether the desktop asks programs to keep still: GNOME's
// org.gnome.desktop.interface enable-animations off (reduced_motion_gio.cpp),
// Windows' client-area animations off (reduced_motion_win32.cpp). Read once
// at start; a desktop that says nothing asks for nothing.
#pragma once

bool DesktopWantsReducedMotion();
