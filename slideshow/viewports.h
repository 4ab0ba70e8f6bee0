// Where the slideshow is drawn: one viewport per monitor the saver window
// covers, so that no photo lies across the seam between two monitors. The
// window backends gather the monitors' rectangles; the rest is here.
// Main thread only.
#pragma once

#include <span>

// A rectangle in pixels, origin top left.
struct ViewportRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ViewportRect&) const = default;
};

// One monitor as the platform reports it, in the coordinates of the
// window's rectangle (the X screen, the Win32 virtual screen).
struct MonitorRect {
    ViewportRect rect;
    bool primary = false;
};

inline constexpr int kMaxViewports = 16;

// The viewports, in window coordinates; items[0] is the primary monitor's.
struct ViewportList {
    int count = 0;
    ViewportRect items[kMaxViewports];
    bool operator==(const ViewportList&) const = default;
};

// The viewports of `monitors` inside `window`: the primary monitor first
// (else the first listed), each cut to the window and made relative to it.
// A monitor outside the window, or overlapping one taken before (mirrored
// monitors, heads reported twice), is left out: two pictures blended over
// each other would be neither. Without any monitor left, the whole window.
ViewportList ViewportsOfMonitors(std::span<const MonitorRect> monitors, const ViewportRect& window);

// The largest width and the largest height among the viewports: a photo
// decoded for that size is sharp on every monitor.
void LargestViewportExtent(const ViewportList& list, int& width, int& height);
