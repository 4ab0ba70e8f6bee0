// The backdrop behind a photo that does not fill its monitor: the photo
// itself, made tiny, blurred, darkened and a little desaturated, so that the
// edges beside it carry its colours instead of black bars.
//
// The whole photo is squeezed into a fixed square (the texture is refilled
// in place at every change and needs no power-of-two care); whoever draws it
// picks the centre part that matches the monitor's shape, so each monitor of
// a wall is framed on its own from the one backdrop.
#pragma once

#include "overlay/canvas.h"

inline constexpr int kBackdropSide = 128;

// `out` receives kBackdropSide x kBackdropSide opaque pixels made from the
// decoded `photo` (keeps its storage across calls). False, and `out` left
// empty, when the photo has no pixels.
bool MakePhotoBackdrop(const Picture& photo, Picture& out);
