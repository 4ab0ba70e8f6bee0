// The decoder that runs ahead: what it hands over equals a decode on the
// spot, for exactly the request made, and a photo gone meanwhile is not shown.
#include "slideshow/photo_prefetch.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "photos/photo_decode.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"

namespace {
const Rgb kRed{220, 30, 30};
const Rgb kBlue{30, 30, 220};
const Rgb kGreen{30, 200, 60};

class PhotoPrefetch : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteTestJpeg(dir / "a.jpg", 4000, 3000, kRed, kBlue, true);
        WriteTestJpeg(dir / "b.jpg", 1200, 900, kGreen, kBlue, true);
    }
    PathText Path(const char* name) const { return PathText(FromPath(dir / name).value()); }
    // The same photo decoded directly, for comparison.
    Picture Direct(const char* name, int sw, int sh) {
        Picture p;
        uint32_t w = 0, h = 0;
        EXPECT_TRUE(DecodePhoto(dir / name, sw, sh, p, w, h));
        return p;
    }
    TempDir dir;
    Picture out;
    uint32_t width = 0, height = 0;
};
}  // namespace

TEST_F(PhotoPrefetch, TheResultOfARequestEqualsADecodeOnTheSpot) {
    PrefetchPhoto(Path("a.jpg"), 1920, 1080);
    ASSERT_TRUE(ObtainPhoto(Path("a.jpg"), 1920, 1080, out, width, height));
    EXPECT_EQ(width, 4000u);
    EXPECT_EQ(height, 3000u);
    Picture direct = Direct("a.jpg", 1920, 1080);
    EXPECT_EQ(out.width, direct.width);
    EXPECT_EQ(out.pixels, direct.pixels);

    // Taken once: the next request for it decodes again, still the same.
    ASSERT_TRUE(ObtainPhoto(Path("a.jpg"), 1920, 1080, out, width, height));
    EXPECT_EQ(out.pixels, direct.pixels);
}

TEST_F(PhotoPrefetch, AnotherPhotoOrScreenIsDecodedForWhatIsAsked) {
    PrefetchPhoto(Path("a.jpg"), 1920, 1080);
    ASSERT_TRUE(ObtainPhoto(Path("b.jpg"), 1920, 1080, out, width, height));
    EXPECT_EQ(width, 1200u);
    EXPECT_EQ(out.pixels, Direct("b.jpg", 1920, 1080).pixels);
    // The screen is part of the request: a preview needs a smaller decode.
    ASSERT_TRUE(ObtainPhoto(Path("a.jpg"), 320, 240, out, width, height));
    EXPECT_EQ(out.width, Direct("a.jpg", 320, 240).width);

    // A newer request replaces an older one that was not taken.
    PrefetchPhoto(Path("a.jpg"), 1920, 1080);
    PrefetchPhoto(Path("b.jpg"), 1920, 1080);
    ASSERT_TRUE(ObtainPhoto(Path("b.jpg"), 1920, 1080, out, width, height));
    EXPECT_EQ(width, 1200u);
}

TEST_F(PhotoPrefetch, APhotoDeletedAfterItsDecodeIsNotShown) {
    PrefetchPhoto(Path("a.jpg"), 1920, 1080);
    // Waiting for the decode first makes sure it read the file.
    ASSERT_TRUE(ObtainPhoto(Path("a.jpg"), 1920, 1080, out, width, height));
    PrefetchPhoto(Path("a.jpg"), 1920, 1080);
    std::filesystem::remove(dir / "a.jpg");
    EXPECT_FALSE(ObtainPhoto(Path("a.jpg"), 1920, 1080, out, width, height));
    WriteFileBytes(dir / "bad.jpg", "not a photo");
    PrefetchPhoto(Path("bad.jpg"), 1920, 1080);
    EXPECT_FALSE(ObtainPhoto(Path("bad.jpg"), 1920, 1080, out, width, height));
}

TEST_F(PhotoPrefetch, TheCreditComesWithItsPhotoOnBothRoads) {
    std::string bytes = ReadFileBytes(dir / "b.jpg");
    const PhotoCredit credit{"Ann", "CC0", "https://x.org/p", "T"};
    ASSERT_TRUE(EmbedPhotoCredit(bytes, credit));
    WriteFileBytes(dir / "b.jpg", bytes);
    PhotoCredit got;
    // Prefetched, then decoded on the spot; a photo without one clears it.
    PrefetchPhoto(Path("b.jpg"), 1920, 1080);
    ASSERT_TRUE(ObtainPhoto(Path("b.jpg"), 1920, 1080, out, width, height, &got));
    EXPECT_EQ(got.author, "Ann");
    EXPECT_EQ(got.page, "https://x.org/p");
    got = {};
    ASSERT_TRUE(ObtainPhoto(Path("b.jpg"), 1920, 1080, out, width, height, &got));
    EXPECT_EQ(got.licence, "CC0");
    PrefetchPhoto(Path("a.jpg"), 1920, 1080);
    ASSERT_TRUE(ObtainPhoto(Path("a.jpg"), 1920, 1080, out, width, height, &got));
    EXPECT_TRUE(got.author.empty() && got.licence.empty() && got.page.empty());
}
