// skyreel-screenshot: writes the root window of an X display as a PNG.
// Used by the headless demo run and the end-to-end tests.
//   skyreel-screenshot OUT.png            (display from $DISPLAY)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <cstdint>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: skyreel-screenshot OUT.png\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "skyreel-screenshot: cannot open display\n");
        return 1;
    }
    Window root = DefaultRootWindow(dpy);
    XWindowAttributes attr;
    XGetWindowAttributes(dpy, root, &attr);
    XImage* img = XGetImage(dpy, root, 0, 0, attr.width, attr.height, AllPlanes, ZPixmap);
    if (!img) {
        std::fprintf(stderr, "skyreel-screenshot: cannot read the screen\n");
        XCloseDisplay(dpy);
        return 1;
    }
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, attr.width, attr.height);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < attr.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < attr.width; ++x) {
            unsigned long p = XGetPixel(img, x, y);
            auto channel = [&](unsigned long mask) -> uint32_t {
                if (!mask) return 0;
                int shift = 0;
                while (!((mask >> shift) & 1)) ++shift;
                unsigned long v = (p & mask) >> shift, max = mask >> shift;
                return static_cast<uint32_t>(v * 255 / max);
            };
            row[x] = channel(img->red_mask) << 16 | channel(img->green_mask) << 8 |
                     channel(img->blue_mask);
        }
    }
    cairo_surface_mark_dirty(s);
    cairo_status_t st = cairo_surface_write_to_png(s, argv[1]);
    cairo_surface_destroy(s);
    XDestroyImage(img);
    XCloseDisplay(dpy);
    if (st != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "skyreel-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
