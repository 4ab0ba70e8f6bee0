// What the saver shows, read back from the X server's root window and sorted
// into the kinds of slide the program draws. Each kind is recognised by
// where the program's own layout functions put its parts, so a blend of two
// slides caught mid-fade matches none of them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "weather/weather_report.h"

struct ScreenFrame {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;  // 0xRRGGBB, row by row from the top
    uint32_t At(int x, int y) const { return rgb[size_t(y) * size_t(width) + size_t(x)]; }
    bool operator==(const ScreenFrame&) const = default;
};

// A connection to one X display for reading its root window.
class ScreenReader {
  public:
    explicit ScreenReader(const std::string& display);
    ~ScreenReader();
    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

    bool connected() const { return display_ != nullptr; }
    // An empty frame when the read fails.
    ScreenFrame Read();

  private:
    struct _XDisplay* display_ = nullptr;
};

enum class SlideKind { Unclear, Black, Photo, CurrentPanel, ForecastPanel, Notice };
const char* SlideKindName(SlideKind kind);

// `report` is the weather report the panels were painted from (it decides
// the current panel's sky and picture); `signWidth` x `signHeight` is the
// notice's warning sign.
SlideKind ClassifyFrame(const ScreenFrame& frame, const WeatherReport& report, int signWidth,
                        int signHeight);
