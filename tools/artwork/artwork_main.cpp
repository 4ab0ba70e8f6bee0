// skyreel-artwork: paints the saver's resource pictures and program icons
// as PNG files. It is run by hand when the artwork changes, and its output
// is committed under resources/:
//
//   skyreel-artwork OUTPUT_FOLDER [--sheet FILE] [--zoom FILE SCALE ID...]
//
// writes OUTPUT_FOLDER/pictures/2000.png .. 2029.png and 2100.png, and
// OUTPUT_FOLDER/icons/skyreel-<size>.png. --sheet also writes a contact
// sheet of everything on the backgrounds the panels use; --zoom writes the
// given pictures enlarged, to judge them as the saver's full-screen panel
// shows them.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "artwork.h"

namespace fs = std::filesystem;
using namespace artwork;

namespace {

constexpr int kFirstWeatherId = 2000;
constexpr int kLastWeatherId = 2029;
constexpr int kSignId = 2100;
// The backgrounds a picture is shown on: day sky, twilight, night.
constexpr unsigned kBackgrounds[] = {0x6698DA, 0x615B6A, 0x000000};

SurfacePtr RenderPicture(int id) {
    const bool sign = id == kSignId;
    SurfacePtr s =
        NewSurface(sign ? kSignWidth : kWeatherWidth, sign ? kSignHeight : kWeatherHeight);
    ContextPtr cr = NewContext(s.get());
    if (sign) {
        PaintWarningSign(cr.get());
    } else {
        PaintWeatherPicture(cr.get(), id);
    }
    return s;
}

SurfacePtr RenderIcon(int size) {
    SurfacePtr s = NewSurface(size, size);
    ContextPtr cr = NewContext(s.get());
    PaintIcon(cr.get(), size);
    return s;
}

std::vector<int> PictureIds() {
    std::vector<int> ids;
    for (int id = kFirstWeatherId; id <= kLastWeatherId; ++id) ids.push_back(id);
    ids.push_back(kSignId);
    return ids;
}

bool WritePng(cairo_surface_t* s, const fs::path& file) {
    const cairo_status_t status = cairo_surface_write_to_png(s, file.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "skyreel-artwork: cannot write %s: %s\n", file.c_str(),
                     cairo_status_to_string(status));
        return false;
    }
    return true;
}

// Lays `picture` onto `cr` at (x, y), scaled, with the filter the saver's
// texture upload uses (bilinear), or nearest to inspect single pixels.
void Place(cairo_t* cr, cairo_surface_t* picture, double x, double y, double scale,
           cairo_filter_t filter = CAIRO_FILTER_BILINEAR) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, picture, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), filter);
    cairo_paint(cr);
    cairo_restore(cr);
}

void FillBackground(cairo_t* cr, unsigned rgb, double x, double y, double w, double h) {
    const Rgba c = Hex(rgb);
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

// Every picture at its own size, then at the forecast panel's small size,
// and the icons (also enlarged without smoothing), on each background.
bool WriteSheet(const fs::path& file) {
    const std::vector<int> ids = PictureIds();
    const int columns = 8, cellW = 260, cellH = 210,
              rows = (int(ids.size()) + columns - 1) / columns;
    const int smallRowH = 120, iconRowH = 150;
    const int bandH = rows * cellH + smallRowH + iconRowH;
    std::vector<SurfacePtr> pictures;
    for (int id : ids) pictures.push_back(RenderPicture(id));
    SurfacePtr sheet = NewSurface(columns * cellW, bandH * 3);
    ContextPtr cr = NewContext(sheet.get());
    int band = 0;
    for (unsigned bg : kBackgrounds) {
        const double top = band++ * bandH;
        FillBackground(cr.get(), bg, 0, top, columns * cellW, bandH);
        for (size_t i = 0; i < ids.size(); ++i) {
            Place(cr.get(), pictures[i].get(), (i % columns) * cellW + 5,
                  top + (i / columns) * cellH + 5, 1);
        }
        double x = 5;
        for (int id : {2008, 2016, 2011, 2000, 2014, 2021, 2003, 2100}) {
            SurfacePtr p = RenderPicture(id);
            Place(cr.get(), p.get(), x, top + rows * cellH, 151.0 / kWeatherWidth);
            x += 160;
        }
        x = 5;
        const double iconTop = top + rows * cellH + smallRowH;
        for (int size : kIconSizes) {
            SurfacePtr icon = RenderIcon(size);
            Place(cr.get(), icon.get(), x, iconTop, size == 256 ? 0.5 : 1);
            x += size == 256 ? 140 : size + 10;
            if (size <= 32) {
                Place(cr.get(), icon.get(), x, iconTop, 96.0 / size, CAIRO_FILTER_NEAREST);
                x += 106;
            }
        }
    }
    return WritePng(sheet.get(), file);
}

// The given pictures enlarged by `scale` (about 4.4 fills a 1280 x 1024
// panel), one row per picture, one column per background.
bool WriteZoom(const fs::path& file, double scale, const std::vector<int>& ids) {
    const int cellW = int(std::max(kSignWidth, kWeatherWidth) * scale);
    const int cellH = int(std::max(kSignHeight, kWeatherHeight) * scale);
    SurfacePtr sheet = NewSurface(cellW * 3, cellH * int(ids.size()));
    ContextPtr cr = NewContext(sheet.get());
    for (size_t row = 0; row < ids.size(); ++row) {
        SurfacePtr p = RenderPicture(ids[row]);
        int column = 0;
        for (unsigned bg : kBackgrounds) {
            FillBackground(cr.get(), bg, column * cellW, row * cellH, cellW, cellH);
            Place(cr.get(), p.get(), column * cellW, row * cellH, scale);
            ++column;
        }
    }
    return WritePng(sheet.get(), file);
}

bool WriteAll(const fs::path& out) {
    for (const char* folder : {"pictures", "icons"}) {
        std::error_code ec;
        fs::create_directories(out / folder, ec);
        if (ec) {
            std::fprintf(stderr, "skyreel-artwork: cannot make %s: %s\n", (out / folder).c_str(),
                         ec.message().c_str());
            return false;
        }
    }
    bool ok = true;
    for (int id : PictureIds()) {
        SurfacePtr p = RenderPicture(id);
        ok = WritePng(p.get(), out / "pictures" / (std::to_string(id) + ".png")) && ok;
    }
    for (int size : kIconSizes) {
        SurfacePtr icon = RenderIcon(size);
        ok = WritePng(icon.get(), out / "icons" / ("skyreel-" + std::to_string(size) + ".png")) &&
             ok;
    }
    return ok;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: skyreel-artwork OUTPUT_FOLDER [--sheet FILE] [--zoom FILE SCALE ID...]\n");
    return 2;
}

struct Request {
    fs::path output;
    fs::path sheet;
    fs::path zoom;
    double zoomScale = 0;
    std::vector<int> zoomIds;
};

// Reads the whole command line before anything is written, so a mistyped
// option leaves the output folder untouched.
bool ParseCommandLine(int argc, char** argv, Request& request) {
    if (argc < 2 || argv[1][0] == '-') return false;
    request.output = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--sheet" && i + 1 < argc) {
            request.sheet = argv[++i];
        } else if (option == "--zoom" && i + 3 < argc) {
            request.zoom = argv[++i];
            request.zoomScale = std::atof(argv[++i]);
            if (request.zoomScale <= 0 || request.zoomScale > 8) return false;
            while (i + 1 < argc && argv[i + 1][0] != '-') {
                const int id = std::atoi(argv[++i]);
                if (id != kSignId && !IsWeatherPictureId(id)) return false;
                request.zoomIds.push_back(id);
            }
            if (request.zoomIds.empty()) return false;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Request request;
    if (!ParseCommandLine(argc, argv, request)) return Usage();
    bool ok = WriteAll(request.output);
    if (!request.sheet.empty()) ok = WriteSheet(request.sheet) && ok;
    if (!request.zoom.empty())
        ok = WriteZoom(request.zoom, request.zoomScale, request.zoomIds) && ok;
    return ok ? 0 : 1;
}
