// Text and geometry of the new-version notice: a warning sign above the
// middle of the screen and a centred text below it naming the new version
// and the maker's address. Pure functions, tested without painting.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/fixed_text.h"

inline constexpr int kWarningSignId = 2100;
inline constexpr uint32_t kNoticeTextArgb = 0xFF80D0E0;
inline constexpr float kNoticeTextPoints = 35;

// "New version <newver> is available!\nFor upgrade, please, visit:\n\n" and
// the maker's address, cut at 99 characters.
FixedText<100> VersionNoticeText(std::u16string_view newVersion);

struct VersionNoticeLayout {
    // Top left of the warning sign, drawn at its own size; its bottom edge
    // lies 50 pixels above the middle of the content rectangle.
    int signX = 0;
    int signY = 0;
    // Origin of the text: every line is centred on textX (the middle of the
    // canvas), the first line's top is 50 pixels below the middle.
    float textX = 0;
    float textY = 0;
};

VersionNoticeLayout ComputeVersionNoticeLayout(int left, int top, int right, int bottom,
                                               int signWidth, int signHeight);
