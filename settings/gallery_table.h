// The five photo galleries of the photo site. The row's position is the
// gallery index stored under "dloption".
#pragma once

#include <cstdint>
#include <string>

struct Gallery {
    const char16_t* title;  // shown in the setup dialog's list
    const char16_t* id;
    const char16_t* description;  // two lines separated by "\n"
    const char16_t* path;         // path and query on the photo site's web server
    int32_t refresh;              // seconds
};

inline constexpr int kGalleryCount = 5;
// Five rows and an end row whose title is absent.
extern const Gallery GalleryTable[kGalleryCount + 1];

// Absolute URL of a gallery's search page (index 0..4), on the photo site
// of the endpoint table.
std::u16string GalleryUrl(int index);
