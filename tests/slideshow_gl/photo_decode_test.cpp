// Photo decoding on hostile and ordinary files, without a display. One
// source for both decoders (TurboJPEG and gdk-pixbuf on Linux, GDI+ on
// Win32); only the size a large JPEG is decoded at differs.
#include "photos/photo_decode.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "overlay/canvas.h"
#include "photos/photo_fit.h"
#include "support/png_writer.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"

namespace {
const Rgb kRed{220, 30, 30};
const Rgb kBlue{30, 30, 220};

class PhotoDecode : public ::testing::Test {
  protected:
    bool Decode(const std::string& name) {
        return DecodePhoto(dir / name, 0, 0, out, width, height);
    }
    TempDir dir;
    Picture out;
    uint32_t width = 0, height = 0;
};

// Rewrites the frame size in the first SOF0 marker of a baseline JPEG.
void ClaimSize(std::string& jpeg, int w, int h) {
    size_t sof = jpeg.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    jpeg[sof + 5] = static_cast<char>(h >> 8);
    jpeg[sof + 6] = static_cast<char>(h & 0xFF);
    jpeg[sof + 7] = static_cast<char>(w >> 8);
    jpeg[sof + 8] = static_cast<char>(w & 0xFF);
}
}  // namespace

TEST(PhotoFit, ReducesOnlyWhatExceedsTheCanvas) {
    auto fit = [](uint32_t w, uint32_t h) {
        PhotoFit f = FitPhotoToCanvas(w, h);
        return std::pair<float, float>(f.width, f.height);
    };
    EXPECT_EQ(fit(1024, 683), std::make_pair(1024.0f, 683.0f));
    EXPECT_EQ(fit(4000, 3000), std::make_pair(2048.0f, 1536.0f));
    EXPECT_EQ(fit(3000, 4000), std::make_pair(1536.0f, 2048.0f));
    EXPECT_EQ(fit(2048, 2048), std::make_pair(2048.0f, 2048.0f));
    EXPECT_EQ(fit(2049, 10), std::make_pair(2048.0f, 10 * 2048.0f / 2049.0f));
    EXPECT_EQ(fit(0, 0), std::make_pair(0.0f, 0.0f));
}

TEST_F(PhotoDecode, JpegsDecodeAtTheSmallestScaleNotBelowTheFit) {
    WriteTestJpeg(dir / "big.jpg", 4000, 3000, kRed, kBlue);
    ASSERT_TRUE(Decode("big.jpg"));
    EXPECT_EQ(width, 4000u);
    EXPECT_EQ(height, 3000u);
#ifdef _WIN32
    // GDI+ reduces to the fitted size itself while it draws.
    EXPECT_EQ(out.width, 2048);
    EXPECT_EQ(out.height, 1536);
#else
    EXPECT_EQ(out.width, 2500);  // 5/8; 4/8 would give 2000 < 2048
    EXPECT_EQ(out.height, 1875);
#endif
    uint32_t top = out.pixels[100 * out.width + 100];
    EXPECT_EQ(top >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((top >> 16) & 0xFF), kRed.r, 8);

    WriteTestJpeg(dir / "small.jpg", 1024, 683, kRed, kBlue);
    ASSERT_TRUE(Decode("small.jpg"));
    EXPECT_EQ(out.width, 1024);  // never enlarged, never reduced below its size
    EXPECT_EQ(out.height, 683);
    uint32_t bottom = out.pixels[600 * out.width + 10];
    EXPECT_NEAR(static_cast<int>(bottom & 0xFF), kBlue.b, 8);
}

TEST(PhotoFit, TheShownSizeFillsTheScreenButNeverPassesTheCanvasFit) {
    auto shown = [](uint32_t w, uint32_t h, int sw, int sh) {
        PhotoFit f = PhotoShownSize(w, h, sw, sh);
        return std::pair<float, float>(f.width, f.height);
    };
    EXPECT_EQ(shown(4000, 3000, 1920, 1080), std::make_pair(1440.0f, 1080.0f));
    EXPECT_EQ(shown(3000, 4000, 1920, 1080), std::make_pair(810.0f, 1080.0f));
    // A screen wider than the canvas counts as the canvas side.
    EXPECT_EQ(shown(4000, 3000, 2560, 1440), std::make_pair(1920.0f, 1440.0f));
    // Small photos are enlarged on the screen by GL, never by the decoder.
    EXPECT_EQ(shown(1024, 683, 1920, 1080), std::make_pair(1024.0f, 683.0f));
    EXPECT_EQ(shown(4000, 3000, 0, 0), std::make_pair(2048.0f, 1536.0f));
    EXPECT_EQ(shown(0, 0, 1920, 1080), std::make_pair(0.0f, 0.0f));
}

TEST_F(PhotoDecode, JpegsDecodeAtTheSmallestScaleCoveringTheScreen) {
    WriteTestJpeg(dir / "big.jpg", 4000, 3000, kRed, kBlue);
    ASSERT_TRUE(DecodePhoto(dir / "big.jpg", 1920, 1080, out, width, height));
    EXPECT_EQ(width, 4000u);
    EXPECT_TRUE(out.opaque);
#ifdef _WIN32
    // GDI+ draws at the size shown itself.
    EXPECT_EQ(out.width, 1440);
    EXPECT_EQ(out.height, 1080);
#else
    EXPECT_EQ(out.width, 1500);  // 3/8 covers 1440 x 1080; 1/4 gives 1000 < 1440
    EXPECT_EQ(out.height, 1125);
#endif
    // A preview-sized window needs far less.
    ASSERT_TRUE(DecodePhoto(dir / "big.jpg", 320, 240, out, width, height));
#ifdef _WIN32
    EXPECT_EQ(out.width, 320);
#else
    EXPECT_EQ(out.width, 500);  // 1/8 is the smallest scale there is
#endif
}

TEST_F(PhotoDecode, OtherFormatsInAJpgNameDecodeToo) {
    // Green, with a half-transparent red corner: flattened on black, as the
    // canvas would show it.
    std::vector<uint32_t> pixels(300 * 200, 0xFF00FF00u);
    for (int y = 150; y < 200; ++y)
        for (int x = 250; x < 300; ++x) pixels[y * 300 + x] = 0x80FF0000u;
    WriteFileBytes(dir / "png-inside.jpg", EncodePng(pixels.data(), 300, 200));
    ASSERT_TRUE(Decode("png-inside.jpg"));
    EXPECT_EQ(width, 300u);
    EXPECT_EQ(height, 200u);
    EXPECT_EQ(out.pixels[0], 0xFF00FF00u);
    EXPECT_TRUE(out.opaque);
    const uint32_t corner = out.pixels[199 * 300 + 299];
    EXPECT_EQ(corner >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((corner >> 16) & 0xFF), 128, 2);
    EXPECT_EQ(corner & 0xFFFF, 0u);
}

TEST_F(PhotoDecode, BrokenAndHostileFilesDoNotDecode) {
    EXPECT_FALSE(Decode("missing.jpg"));
    WriteFileBytes(dir / "empty.jpg", "");
    EXPECT_FALSE(Decode("empty.jpg"));
    WriteFileBytes(dir / "text.jpg", "<html>not found</html>");
    EXPECT_FALSE(Decode("text.jpg"));
    WriteFileBytes(dir / "soi.jpg", std::string("\xFF\xD8\xFF", 3));
    EXPECT_FALSE(Decode("soi.jpg"));

    WriteTestJpeg(dir / "ok.jpg", 64, 48, kRed, kBlue);
    std::string jpeg = ReadFileBytes(dir / "ok.jpg");
    // A header claiming more than 100 million pixels is a bomb.
    std::string bomb = jpeg;
    ClaimSize(bomb, 20000, 10000);
    WriteFileBytes(dir / "bomb.jpg", bomb);
    EXPECT_FALSE(Decode("bomb.jpg"));

    // An oversized file is refused before it is read (sparse: no disk used).
    std::string huge = jpeg;
    WriteFileBytes(dir / "huge.jpg", huge);
    std::filesystem::resize_file(dir / "huge.jpg", kMaxPhotoFileBytes + 1);
    EXPECT_FALSE(Decode("huge.jpg"));

    // Cut short anywhere: whatever decodes has the claimed size, nothing crashes.
    for (size_t cut : {size_t{2}, size_t{20}, size_t{200}, jpeg.size() / 2, jpeg.size() - 2}) {
        WriteFileBytes(dir / "cut.jpg", jpeg.substr(0, cut));
        if (Decode("cut.jpg")) {
            EXPECT_EQ(out.width, 64) << cut;
            EXPECT_EQ(out.pixels.size(), 64u * 48u) << cut;
        }
    }
    // Garbage after a valid header.
    std::string noise = jpeg.substr(0, 200) + std::string(4000, '\x5A');
    WriteFileBytes(dir / "noise.jpg", noise);
    Decode("noise.jpg");
}
