// The credit caption drawn on a photo: "Photo: <author> · <licence> ·
// Wikimedia Commons" and, below it, the page address without its scheme,
// white with a shadow on a translucent black backing in the bottom right
// corner of the photo. It is painted into the photo's own canvas once per
// photo, so it fades with its photo and costs nothing per frame; its size
// follows the height of the screen the photo is shown on, not the photo's.
#pragma once

#include <string>

#include "overlay/canvas.h"
#include "overlay/overlay_texture.h"
#include "photos/photo_credit.h"

// The caption's two lines joined by "\n"; parts the credit lacks are left
// out, and a credit with no part gives nothing.
std::u16string CaptionText(const PhotoCredit& credit);

// Paints the caption of `credit` on the photo that occupies `photo` on the
// canvas and is shown, scaled like the slideshow scales it, on a screen of
// screenWidth x screenHeight (0 x 0: at its canvas size). Screens less
// than 240 pixels high (previews) get none. Returns the backing's rectangle
// on the canvas; empty when nothing was painted.
CanvasRect PaintPhotoCaption(Canvas& canvas, const PhotoCredit& credit, const CanvasRect& photo,
                             int screenWidth, int screenHeight);
