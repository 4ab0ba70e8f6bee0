// The caption of a photo: its title above its credit ("Photo: <author> ·
// <licence> · Wikimedia Commons"), white with a shadow on a translucent
// black backing in the bottom right corner of each monitor, whatever the
// photo's shape. It is painted once per photo, at the monitor's own pixels,
// into a small texture of its own (not the photo's canvas, whose scale
// would blur it), and drawn over whatever the monitor shows with its
// photo's opacity, so it fades in and out exactly with its photo.
#pragma once

#include <cstdint>
#include <string>

#include "overlay/canvas.h"
#include "overlay/overlay_texture.h"
#include "photos/photo_credit.h"

// What a caption says; either line may be empty.
struct CaptionLines {
    std::u16string title;
    std::u16string credit;
    bool empty() const { return title.empty() && credit.empty(); }
};

// The caption of a photo with `credit`: the title (the credit's, else the
// file's from its page address) while `showTitles`; the credit line when
// it names an author or a licence and, without titles, only when the
// licence asks for credit.
CaptionLines CaptionOf(const PhotoCredit& credit, bool showTitles);

// The caption's own measures on a monitor of monitorWidth x monitorHeight.
struct CaptionMetrics {
    float textPixels = 0;  // a 56th of the monitor's height, at least 12
    int margin = 0;        // from the monitor's edges
    int lineRoom = 0;      // the longest line, wider ones end in "…"
};
// None (all 0) for a monitor under 240 pixels high (a preview): the caption
// would cover a third of it.
CaptionMetrics CaptionMetricsFor(int monitorWidth, int monitorHeight);

// Paints the caption with its top-left corner at (0, 0) of `canvas`, each
// line measured and drawn by the same one-line layout and shortened with
// an ellipsis, never wrapped; the backing holds the text and its shadow.
// Returns the backing's rectangle; empty (and nothing painted) when there
// is nothing to say or no font draws it.
CanvasRect PaintCaption(Canvas& canvas, const CaptionLines& lines, const CaptionMetrics& metrics);

// Paints `lines` for a monitor of monitorWidth x monitorHeight into the
// caption texture of SlideSlots[slot] and records its size (none: 0 x 0).
// Main thread, GL context current.
void LoadCaptionTexture(int slot, const CaptionLines& lines, int monitorWidth, int monitorHeight);
// Deletes the caption texture of SlideSlots[slot].
void DeleteCaptionTexture(int slot);

// Where the caption of SlideSlots[slot] lands in a viewport of W x H: its
// bottom right corner, at its own pixels, or scaled down on a monitor
// lower than the one it was painted for. False when the slot has none.
struct CaptionQuad {
    float x = 0, y = 0, width = 0, height = 0;  // in the viewport's pixels
    float u = 0, v = 0;                         // the texture's share the caption covers
};
bool PlaceCaption(int slot, int W, int H, CaptionQuad& out);
