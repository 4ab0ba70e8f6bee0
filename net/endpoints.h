// The endpoint table: where each outside service lives. The defaults are
// names under the reserved .example domain; --site replaces the scheme, host
// and port of every service at once, keeping the request paths, so that one
// local server can stand in for all of them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class Service { PhotoSite, ImageServer, UpdateService, WeatherService, MakerHome };

// "http://host[:port]" of a service, without a trailing slash.
std::u16string ServiceBase(Service s);

// The largest body a reply of the service can have, with room to spare; a
// larger one is refused (FetchToFile's body limit):
//   PhotoSite       4 MiB  gallery search pages (a real one is 50..300 KB)
//   ImageServer    16 MiB  full-size photos (a real one is 0.2..5 MB)
//   UpdateService  64 KiB  the update reply (a few dozen bytes)
//   WeatherService  1 MiB  the feed (10..30 KB) and location searches (a few KB)
//   MakerHome       4 MiB  a web page; the saver never downloads it
uint32_t ServiceBodyLimit(Service s);

// Accepts "http://host[:port]" with an optional trailing "/"; the host holds
// letters, digits, ".", "-" or an IPv4 address. False leaves the table as it is.
bool SetSiteOverride(std::u16string_view url);

// The thumbnail prefix scraped from gallery pages (8-bit, as it appears in
// the page) and the photo prefix that replaces it.
std::string ThumbnailPrefix();
std::u16string PhotoPrefix();

// The maker's web address without scheme, as the version notice prints it:
// host, then "/screensavers".
std::u16string MakerAddress();
// The maker's home page opened by the setup dialog.
std::u16string MakerHomeUrl();
