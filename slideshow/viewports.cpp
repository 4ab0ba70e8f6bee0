#include "slideshow/viewports.h"

#include <algorithm>

namespace {
bool Empty(const ViewportRect& r) {
    return r.width <= 0 || r.height <= 0;
}

ViewportRect Intersection(const ViewportRect& a, const ViewportRect& b) {
    const int left = std::max(a.x, b.x);
    const int top = std::max(a.y, b.y);
    const int right = std::min(a.x + a.width, b.x + b.width);
    const int bottom = std::min(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

// Cuts `monitor` to the window and appends it unless it is empty or
// overlaps a viewport already taken.
void Take(ViewportList& list, const ViewportRect& monitor, const ViewportRect& window) {
    if (list.count == kMaxViewports) return;
    ViewportRect r = Intersection(monitor, window);
    if (Empty(r)) return;
    r.x -= window.x;
    r.y -= window.y;
    for (int i = 0; i < list.count; ++i)
        if (!Empty(Intersection(list.items[i], r))) return;
    list.items[list.count++] = r;
}
}  // namespace

ViewportList ViewportsOfMonitors(std::span<const MonitorRect> monitors,
                                 const ViewportRect& window) {
    ViewportList list;
    const auto primary = std::find_if(monitors.begin(), monitors.end(),
                                      [](const MonitorRect& m) { return m.primary; });
    if (primary != monitors.end()) Take(list, primary->rect, window);
    for (auto m = monitors.begin(); m != monitors.end(); ++m)
        if (m != primary) Take(list, m->rect, window);
    if (list.count == 0 && !Empty(window))
        list.items[list.count++] = {0, 0, window.width, window.height};
    return list;
}

void LargestViewportExtent(const ViewportList& list, int& width, int& height) {
    width = height = 0;
    for (int i = 0; i < list.count; ++i) {
        width = std::max(width, list.items[i].width);
        height = std::max(height, list.items[i].height);
    }
}
