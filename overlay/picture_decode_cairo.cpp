// PNG pictures through cairo's PNG reader.
//
// Implemented / Missing (overlay/picture_decode.h on cairo):
//   [x] DecodePngPicture
#include <cairo.h>

#include <cstring>

#include "overlay/picture_decode.h"

namespace {
struct ByteReader {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

cairo_status_t ReadBytes(void* closure, unsigned char* out, unsigned int length) {
    auto* r = static_cast<ByteReader*>(closure);
    if (length > r->size - r->offset) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, r->data + r->offset, length);
    r->offset += length;
    return CAIRO_STATUS_SUCCESS;
}
}  // namespace

bool DecodePngPicture(const uint8_t* data, size_t size, Picture& out) {
    if (!data || size == 0) return false;
    ByteReader reader{data, size, 0};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(ReadBytes, &reader);
    bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    if (ok) {
        // Pictures without alpha come as RGB24, whose unused byte may be anything.
        cairo_surface_t* argb =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(s),
                                       cairo_image_surface_get_height(s));
        cairo_t* cr = cairo_create(argb);
        cairo_set_source_surface(cr, s, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(argb);
        ok = cairo_surface_status(argb) == CAIRO_STATUS_SUCCESS;
        if (ok) {
            const int w = cairo_image_surface_get_width(argb);
            const int h = cairo_image_surface_get_height(argb);
            const int stride = cairo_image_surface_get_stride(argb);
            const unsigned char* px = cairo_image_surface_get_data(argb);
            out.width = w;
            out.height = h;
            out.pixels.resize(static_cast<size_t>(w) * h);
            for (int y = 0; y < h; ++y)
                std::memcpy(out.pixels.data() + static_cast<size_t>(y) * w,
                            px + static_cast<size_t>(y) * stride, static_cast<size_t>(w) * 4);
        }
        cairo_surface_destroy(argb);
    }
    cairo_surface_destroy(s);
    return ok;
}
