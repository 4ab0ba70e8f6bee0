#include "settings/gallery_table.h"

#include "base/clock.h"
#include "net/endpoints.h"

#define SKYREEL_SEARCH_RANGE(range)                                               \
    u"/search/photo.search?aircraft_genericsearch=&airlinesearch=&countrysearch=" \
    u"&specialsearch=&"                                                           \
    u"daterange=" range u"&keywords=&range=&sort_order=views+desc&page_limit=60&thumbnails=noinfo"

const Gallery GalleryTable[kGalleryCount + 1] = {
    {u"Most popular photos (very rare updates, best quality)", u"topall",
     u"Photos, which are the most popular on the site.\n"
     u"Updates are very rare, but the photo quality is really great.",
     u"/search/photo.search?viewsperday=month&page=1&page_limit=60&sort_order=views"
     u"&thumbnails=noinfo",
     kSecondsPerWeek},
    {u"Best of last 6 months (1-2 new photos per month, 150K daily traffic)", u"top180",
     u"Most viewed photos among uploaded during last half of the year.\n"
     u"1-2 new files a month, average daily traffic is about 150K.",
     SKYREEL_SEARCH_RANGE(u"halfyear"), kSecondsPerWeek},
    {u"Best of last 30 days (1-2 new photos, 1M traffic per day)", u"top30",
     u"Most viewed photos among uploaded during last 30 days.\n"
     u"1-2 new files a day, average daily traffic is about 1M.",
     SKYREEL_SEARCH_RANGE(u"month"), kSecondsPerDay},
    {u"Best of last 7 days (10-15 new photos, 15M traffic per day)", u"top7",
     u"Most viewed photos among uploaded during last 7 days.\n"
     u"10-15 new files a day, average daily traffic is about 15M.",
     SKYREEL_SEARCH_RANGE(u"week"), 6 * kSecondsPerHour},
    {u"Best of last 24 hours (100-150 new photos, 60M traffic per day)", u"top1",
     u"Photos, which were most popular among the site visitors yesterday.\n"
     u"100-150 new, just taken photos a day, average daily traffic is about 50M",
     SKYREEL_SEARCH_RANGE(u"day"), 3 * kSecondsPerHour},
    {nullptr, nullptr, nullptr, nullptr, 0},
};

// The one assessed aviation category confirmed to exist on Commons.
#define SKYREEL_FEATURED_AIRCRAFT u"gcmtitle=Category%3AFeatured_pictures_of_aircraft"
#define SKYREEL_NEWEST_FEATURED \
    SKYREEL_FEATURED_AIRCRAFT u"&gcmnamespace=6&gcmsort=timestamp&gcmdir=older"

const Gallery CommonsGalleryTable[kGalleryCount + 1] = {
    {u"Featured aircraft photos: a random pick from all time", u"featured-any",
     u"Featured pictures of aircraft, chosen by the Wikimedia Commons community.\n"
     u"Each week 20 that are not cached yet, picked at random.",
     SKYREEL_FEATURED_AIRCRAFT u"&gcmnamespace=6&gcmsort=sortkey", kSecondsPerWeek},
    {u"Featured aircraft photos: newest of the last 6 months", u"featured-180",
     u"Aircraft photos made Featured pictures on Wikimedia Commons in the last 6 months.\n"
     u"Newest first; the window widens while it holds fewer than 20 new photos.",
     SKYREEL_NEWEST_FEATURED, kSecondsPerWeek},
    {u"Featured aircraft photos: newest of the last 30 days", u"featured-30",
     u"Aircraft photos made Featured pictures on Wikimedia Commons in the last 30 days.\n"
     u"Newest first; the window widens while it holds fewer than 20 new photos.",
     SKYREEL_NEWEST_FEATURED, kSecondsPerDay},
    {u"Featured aircraft photos: newest of the last 7 days", u"featured-7",
     u"Aircraft photos made Featured pictures on Wikimedia Commons in the last 7 days.\n"
     u"Newest first; the window widens while it holds fewer than 20 new photos.",
     SKYREEL_NEWEST_FEATURED, 6 * kSecondsPerHour},
    {u"Featured aircraft photos: the newest", u"featured-new",
     u"The aircraft photos most recently made Featured pictures on Wikimedia Commons.\n"
     u"Checked every 3 hours.",
     SKYREEL_NEWEST_FEATURED, 3 * kSecondsPerHour},
    {nullptr, nullptr, nullptr, nullptr, 0},
};

PhotoSource ChosenPhotoSource = PhotoSource::Site;

const Gallery* ChosenGalleries() {
    return ChosenPhotoSource == PhotoSource::Commons ? CommonsGalleryTable : GalleryTable;
}

std::u16string GalleryUrl(int index) {
    if (index < 0 || index >= kGalleryCount) index = 0;
    return ServiceBase(Service::PhotoSite) + GalleryTable[index].path;
}
