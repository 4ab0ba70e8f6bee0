// The painters as the slideshow uses them: painted into a slot's texture
// on a 1280 x 1024 screen under Xvfb, read back from the texture.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "base/process_state.h"
#include "host/command_line.h"
#include "host/run_mode.h"
#include "host/saver_host.h"
#include "overlay/overlay_texture.h"
#include "settings/settings.h"
#include "support/temp_dir.h"
#include "support/xvfb.h"
#include "update/version_notice.h"
#include "weather/weather_panels.h"
#include "weather_panels/sample_report.h"

namespace {

constexpr int kSide = 2048;
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

// The slot's texture as 0xRRGGBB per canvas pixel, top row first (the
// upload is bottom-up).
struct SlotPixels {
    explicit SlotPixels(int slot) : bgra(static_cast<size_t>(kSide) * kSide * 4) {
        glBindTexture(GL_TEXTURE_2D, SlideSlots[slot].texture);
        glGetTexImage(GL_TEXTURE_2D, 0, 0x80E1 /* GL_BGRA */, GL_UNSIGNED_BYTE, bgra.data());
    }
    uint32_t At(int x, int y) const {
        const uint8_t* p = &bgra[(static_cast<size_t>(y) * kSide + x) * 4];
        return (p[2] << 16) | (p[1] << 8) | p[0];
    }
    std::vector<uint8_t> bgra;
};

class PanelTextures : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.running());
        RunMode = Preview;
        ParentWindow = 0;
        ASSERT_EQ(CreateSaverWindow(HostOptions{}), 1);
        glGenTextures(1, &SlideSlots[0].texture);
        glGenTextures(1, &SlideSlots[1].texture);
    }
    void TearDown() override {
        glDeleteTextures(1, &SlideSlots[0].texture);
        glDeleteTextures(1, &SlideSlots[1].texture);
        SlideSlots[0] = SlideSlots[1] = SlideSlot{};
        DestroySaverWindow();
        PublishWeatherReport(WeatherReport{});
        StoreNewVersion(u"");
    }
    XvfbServer server{kScreenWidth, kScreenHeight};
    TempDataFolder dir;
};

TEST_F(PanelTextures, WeatherPanelsReadTheSharedReport) {
    WeatherReport r = SampleReport();
    r.LastUpdated.Assign(u"12/8/26 6:10 AM Local Time");  // twilight
    PublishWeatherReport(r);
    MakeOverlayTexture(1, kScreenWidth, kScreenHeight, DrawCurrentPanel);
    EXPECT_EQ(SlideSlots[1].contentWidth, 1280.0f);
    EXPECT_EQ(SlideSlots[1].contentHeight, 1024.0f);
    SlotPixels current(1);
    EXPECT_EQ(current.At(400, 700), 0x615B6Au);
    EXPECT_EQ(current.At(383, 700), 0x000000u);

    // The forecast takes the first day's substitution into the shared report.
    PublishWeatherReport([] {
        WeatherReport missing = SampleReport();
        missing.Days[0].DayIcon = 44;
        return missing;
    }());
    MakeOverlayTexture(0, kScreenWidth, kScreenHeight, DrawForecastPanel);
    EXPECT_EQ(CurrentWeatherReport().Days[0].DayIcon, SampleReport().CurrentIcon);
    SlotPixels forecast(0);
    EXPECT_EQ(forecast.At(389, 1384) & 0xF0F0F0, 0x001030u & 0xF0F0F0);
    EXPECT_EQ(forecast.At(387, 1000), 0x000000u);
}

TEST_F(PanelTextures, NoticeShowsTheStoredVersionBelowTheSign) {
    StoreNewVersion(u"1.2");
    DrawVersionNotice(0, kScreenWidth, kScreenHeight);
    EXPECT_EQ(SlideSlots[0].contentWidth, 1280.0f);
    SlotPixels notice(0);
    // Inside the triangle of the 240 x 200 sign at (904, 774), beside the
    // exclamation mark: warm yellow.
    uint32_t sign = notice.At(904 + 70, 774 + 165);
    EXPECT_GT((sign >> 16) & 0xFF, 0xC0u);
    EXPECT_GT((sign >> 8) & 0xFF, 0x80u);
    EXPECT_LT(sign & 0xFF, 0x80u);
    EXPECT_EQ(notice.At(1024, 1000), 0x000000u);
    // Text pixels appear in the first line's band, in the notice's colour.
    int text = 0;
    for (int y = 1074; y < 1120; ++y)
        for (int x = 600; x < 1450; ++x) text += notice.At(x, y) == 0x80D0E0u;
    EXPECT_GT(text, 100);
}

}  // namespace
