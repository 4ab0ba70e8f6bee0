// The five photo galleries of each photo source: the photo site and
// Wikimedia Commons. The row's position is the gallery index stored under
// "dloption"; row i of both tables has the same refresh interval.
#pragma once

#include <cstdint>
#include <string>

struct Gallery {
    const char16_t* title;  // shown in the setup dialog's list
    const char16_t* id;
    const char16_t* description;  // two lines separated by "\n"
    const char16_t* path;         // the listing: path and query on the photo site's web server,
                                  // or the Commons listing's selection parameters
    int32_t refresh;              // seconds
};

inline constexpr int kGalleryCount = 5;
// Five rows and an end row whose title is absent.
extern const Gallery GalleryTable[kGalleryCount + 1];

// Absolute URL of a gallery's search page (index 0..4), on the photo site
// of the endpoint table.
std::u16string GalleryUrl(int index);

// The Commons galleries: Featured pictures of aircraft, a community-assessed
// set. Row 0 picks at random; rows 1 to 4 list the newest additions.
extern const Gallery CommonsGalleryTable[kGalleryCount + 1];

// Where the photos come from. Set once at start-up (--photos), before any
// other thread exists; read-only afterwards.
enum class PhotoSource { Site, Commons };
extern PhotoSource ChosenPhotoSource;

// The gallery table of the chosen source.
const Gallery* ChosenGalleries();
