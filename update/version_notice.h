// The new-version notice painted into a slide slot. Main thread only.
#pragma once

#include <string_view>

#include "update/version_notice_layout.h"

class Canvas;

// The painter over a given version text.
void PaintVersionNotice(Canvas& canvas, int left, int top, int right, int bottom,
                        std::u16string_view newVersion);
// OverlayPainter-compatible: reads `newver` once, as one consistent copy.
void VersionNoticePainter(Canvas& canvas, int left, int top, int right, int bottom);

// Paints the notice into slide slot `slotIndex` (0 or 1), for a screen of
// screenWidth x screenHeight.
void DrawVersionNotice(int slotIndex, int screenWidth, int screenHeight);
