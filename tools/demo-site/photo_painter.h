// Paints the demo site's photos: a sky (gradient, sun or clouds, a horizon
// of hills) with an aircraft silhouette, chosen deterministically from the
// photo's tail so every request for a tail gives the same JPEG bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct PhotoSize {
    int width;
    int height;
};

// Longest side of the small (thumbnail) version.
inline constexpr int kThumbnailSide = 150;

// Stable 64-bit hash of a text (FNV-1a); seeds every choice made from a tail.
uint64_t HashText(std::string_view text);

// Full size of the photo named by a tail: 1024 x 683, 1600 x 1067,
// 4000 x 3000 or 1067 x 1600.
PhotoSize PhotoSizeForTail(std::string_view tail);

// The photo as JPEG bytes; `small` gives the thumbnail of the same scene.
// Empty when painting or encoding fails.
std::string PaintPhotoJpeg(std::string_view tail, bool small);
