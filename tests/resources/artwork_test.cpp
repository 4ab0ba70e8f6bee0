// The committed pictures and icons, read back with cairo: each has the size
// the saver draws it at and a real alpha channel, no two are the same, and
// the generator still paints exactly what is committed.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

const fs::path kResources = SKYREEL_RESOURCES_DIR;

std::vector<int> WeatherIds() {
    std::vector<int> ids;
    for (int id = 2000; id <= 2029; ++id) ids.push_back(id);
    return ids;
}
constexpr int kSignId = 2100;
constexpr int kIconSizes[] = {16, 24, 32, 48, 256};

std::string PictureName(int id) {
    return "pictures/" + std::to_string(id) + ".png";
}
std::string IconName(int size) {
    return "icons/skyreel-" + std::to_string(size) + ".png";
}

std::vector<std::string> AllNames() {
    std::vector<std::string> names;
    for (int id : WeatherIds()) names.push_back(PictureName(id));
    names.push_back(PictureName(kSignId));
    for (int size : kIconSizes) names.push_back(IconName(size));
    return names;
}

Surface LoadPng(const fs::path& file) {
    return Surface(cairo_image_surface_create_from_png(file.c_str()), &cairo_surface_destroy);
}

// The pixel as 0xAARRGGBB (premultiplied, as cairo keeps it).
uint32_t PixelAt(cairo_surface_t* s, int x, int y) {
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    return reinterpret_cast<const uint32_t*>(data + size_t(y) * stride)[x];
}
int AlphaAt(cairo_surface_t* s, int x, int y) {
    return int(PixelAt(s, x, y) >> 24);
}

struct AlphaCensus {
    int clear = 0;  // fully transparent pixels
    int solid = 0;  // (nearly) opaque pixels
};

AlphaCensus CountAlpha(cairo_surface_t* s) {
    AlphaCensus census;
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int a = AlphaAt(s, x, y);
            census.clear += a == 0;
            census.solid += a >= 240;
        }
    }
    return census;
}

// The distance from the nearest edge of the outermost pixel whose alpha is
// above `threshold`.
int Margin(cairo_surface_t* s, int threshold) {
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    int margin = std::max(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (AlphaAt(s, x, y) > threshold) {
                margin = std::min({margin, x, y, w - 1 - x, h - 1 - y});
            }
        }
    }
    return margin;
}

// The share of pixels where some channel differs by more than `tolerance`.
double DifferingShare(cairo_surface_t* a, cairo_surface_t* b, int tolerance) {
    const int w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
    int differing = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t pa = PixelAt(a, x, y), pb = PixelAt(b, x, y);
            for (int shift = 0; shift < 32; shift += 8) {
                const int ca = int((pa >> shift) & 0xFF), cb = int((pb >> shift) & 0xFF);
                if (std::abs(ca - cb) > tolerance) {
                    ++differing;
                    break;
                }
            }
        }
    }
    return double(differing) / (double(w) * h);
}

void ExpectPicture(const std::string& name, int width, int height) {
    SCOPED_TRACE(name);
    Surface png = LoadPng(kResources / name);
    ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
    // cairo reads a PNG without an alpha channel as RGB24.
    EXPECT_EQ(cairo_image_surface_get_format(png.get()), CAIRO_FORMAT_ARGB32);
    ASSERT_EQ(cairo_image_surface_get_width(png.get()), width);
    ASSERT_EQ(cairo_image_surface_get_height(png.get()), height);
    const AlphaCensus census = CountAlpha(png.get());
    // A transparent background around an opaque subject...
    EXPECT_GT(census.clear, width * height / 5);
    EXPECT_GT(census.solid, width * height / 20);
    // ...that keeps clear of the edges, shadows and glows included: a cut-off
    // glow would show as a straight line when the picture is enlarged.
    EXPECT_GE(Margin(png.get(), 0), 3);
    EXPECT_GE(Margin(png.get(), 32), 8);
}

int RunGenerator(const std::string& arguments) {
    const std::string command =
        std::string("\"") + SKYREEL_ARTWORK_TOOL + "\" " + arguments + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ResourcePictures, HaveTheirSizeAndAnAlphaChannelInUse) {
    for (int id : WeatherIds()) ExpectPicture(PictureName(id), 250, 180);
    ExpectPicture(PictureName(kSignId), 240, 200);
}

// A copied row in the generator's table would give two pictures for one
// look; pictures that share a subject must still tell apart.
TEST(ResourcePictures, NoTwoAreAlike) {
    std::vector<Surface> pictures;
    for (int id : WeatherIds()) pictures.push_back(LoadPng(kResources / PictureName(id)));
    for (size_t i = 0; i < pictures.size(); ++i) {
        ASSERT_EQ(cairo_surface_status(pictures[i].get()), CAIRO_STATUS_SUCCESS);
        for (size_t j = 0; j < i; ++j) {
            EXPECT_GT(DifferingShare(pictures[i].get(), pictures[j].get(), 16), 0.02)
                << WeatherIds()[i] << " looks like " << WeatherIds()[j];
        }
    }
}

TEST(ProgramIcons, AreSquareTilesWithRoundedCorners) {
    for (int size : kIconSizes) {
        SCOPED_TRACE(size);
        Surface png = LoadPng(kResources / IconName(size));
        ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
        EXPECT_EQ(cairo_image_surface_get_format(png.get()), CAIRO_FORMAT_ARGB32);
        ASSERT_EQ(cairo_image_surface_get_width(png.get()), size);
        ASSERT_EQ(cairo_image_surface_get_height(png.get()), size);
        const int last = size - 1;
        for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}}) {
            EXPECT_EQ(AlphaAt(png.get(), x, y), 0) << "corner " << x << "," << y;
        }
        EXPECT_EQ(AlphaAt(png.get(), size / 2, size / 2), 255);
        EXPECT_GT(CountAlpha(png.get()).solid, size * size / 2);
    }
}

// Committed files that no longer match the generator would be lost the next
// time someone regenerates them.
TEST(ArtworkGenerator, PaintsWhatIsCommitted) {
    TempDir out;
    ASSERT_EQ(RunGenerator("\"" + out.path().string() + "\""), 0);
    for (const std::string& name : AllNames()) {
        SCOPED_TRACE(name);
        Surface fresh = LoadPng(out / name);
        Surface committed = LoadPng(kResources / name);
        ASSERT_EQ(cairo_surface_status(fresh.get()), CAIRO_STATUS_SUCCESS);
        ASSERT_EQ(cairo_surface_status(committed.get()), CAIRO_STATUS_SUCCESS);
        ASSERT_EQ(cairo_image_surface_get_width(fresh.get()),
                  cairo_image_surface_get_width(committed.get()));
        ASSERT_EQ(cairo_image_surface_get_height(fresh.get()),
                  cairo_image_surface_get_height(committed.get()));
        // A little room for another cairo version's rounding.
        EXPECT_LT(DifferingShare(fresh.get(), committed.get(), 8), 0.002);
    }
}

// The zoom shows each picture enlarged on the day, twilight and night
// backgrounds, the way the panel shows it.
TEST(ArtworkGenerator, ZoomShowsPicturesOnThePanelBackgrounds) {
    TempDir dir;
    const fs::path zoom = dir / "zoom.png";
    ASSERT_EQ(RunGenerator("\"" + (dir / "out").string() + "\" --zoom \"" + zoom.string() +
                           "\" 2 2008 2100"),
              0);
    Surface png = LoadPng(zoom);
    ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
    // Cells fit the larger of the two picture sizes: 250 x 200, doubled.
    ASSERT_EQ(cairo_image_surface_get_width(png.get()), 3 * 500);
    ASSERT_EQ(cairo_image_surface_get_height(png.get()), 2 * 400);
    // Top left corners of the cells: the three backgrounds, opaque.
    EXPECT_EQ(PixelAt(png.get(), 0, 0), 0xFF6698DAu);
    EXPECT_EQ(PixelAt(png.get(), 500, 0), 0xFF615B6Au);
    EXPECT_EQ(PixelAt(png.get(), 1000, 400), 0xFF000000u);
    // The sun's centre lies in the middle of its enlarged picture.
    const uint32_t sun = PixelAt(png.get(), 1250, 180);
    EXPECT_GT((sun >> 16) & 0xFF, 0xE0u);
    EXPECT_LT(sun & 0xFF, 0xC0u);
}

TEST(ArtworkGenerator, ReportsWhatItCannotDo) {
    TempDir dir;
    // A folder below a plain file cannot be made.
    std::ofstream(dir / "plain") << "x";
    EXPECT_EQ(RunGenerator("\"" + (dir / "plain" / "out").string() + "\""), 1);
    // A bad option is refused before anything is written.
    EXPECT_EQ(RunGenerator("\"" + (dir / "a").string() + "\" --zoom \"" + (dir / "z.png").string() +
                           "\" 2 1999"),
              2);
    EXPECT_EQ(RunGenerator("\"" + (dir / "b").string() + "\" --frobnicate"), 2);
    EXPECT_EQ(RunGenerator(""), 2);
    EXPECT_FALSE(fs::exists(dir / "a"));
    EXPECT_FALSE(fs::exists(dir / "b"));
    EXPECT_FALSE(fs::exists(dir / "z.png"));
}

}  // namespace
