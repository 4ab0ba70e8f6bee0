// The endpoint table: where each outside service lives. The saver's own
// services default to names under the reserved .example domain (the update
// service to a build setting, empty unless a packager fills it); Wikimedia's
// are the real hosts. --site replaces the scheme, host and port of every
// service at once, Wikimedia's included, keeping the request paths, so that
// one local server can stand in for all of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class Service {
    PhotoSite,
    ImageServer,
    UpdateService,
    WeatherService,
    MakerHome,
    CommonsApi,          // the MediaWiki Action API of Wikimedia Commons
    CommonsUpload,       // Wikimedia's media server
    CommonsThumb,        // where Wikimedia moves its thumbnails, same paths
    OpenMeteoApi,        // Open-Meteo's forecast
    OpenMeteoGeocoding,  // Open-Meteo's place search
};

// "scheme://host[:port]" of a service, without a trailing slash; empty for
// an update service that is not configured.
std::u16string ServiceBase(Service s);

// The largest body a reply of the service can have, with room to spare; a
// larger one is refused (FetchToFile's body limit):
//   PhotoSite       4 MiB  gallery search pages (a real one is 50..300 KB)
//   ImageServer    16 MiB  full-size photos (a real one is 0.2..5 MB)
//   UpdateService  64 KiB  the update reply (a few dozen bytes)
//   WeatherService  1 MiB  the feed (10..30 KB) and location searches (a few KB)
//   MakerHome       4 MiB  a web page; the saver never downloads it
//   CommonsApi      4 MiB  listings (50 entries with metadata: about 100 KB)
//   CommonsUpload  16 MiB  thumbnails up to 3840 pixels wide (0.3..6 MB)
//   CommonsThumb   16 MiB  the same
//   OpenMeteoApi    1 MiB  a 6-day forecast with hourly codes (about 6 KB)
//   OpenMeteoGeocoding 1 MiB  ten places (about 4 KB)
uint32_t ServiceBodyLimit(Service s);

// The hosts a download from service `s` may be redirected to (in lower
// case; net/redirect_rule.h): a photo source's own media hosts, Wikimedia's
// two for CommonsUpload and CommonsThumb, the image server for ImageServer,
// under --site the site's host; the service's own host for any other.
std::vector<std::string> RedirectHostsOf(Service s);

// Accepts "http://host[:port]" or "https://host[:port]" with an optional
// trailing "/"; the host holds letters, digits, ".", "-" or an IPv4 address.
// False leaves the table as it is.
bool SetSiteOverride(std::u16string_view url);
// True once --site has been accepted.
bool SiteOverridden();
// The update query is made only where an update service is configured:
// --site, or the build setting SKYREEL_UPDATE_SERVICE.
bool UpdateServiceConfigured();

// "Skyreel/<version> (<contact>)": the start of the agent sent to Wikimedia;
// the contact is the build setting SKYREEL_AGENT_CONTACT.
std::u16string DescriptiveAgentPrefix();

// The longest address the Commons path sends: a thumbnail address holds the
// file name twice, so real ones run past 259 characters.
inline constexpr std::size_t kLongUrlLimit = 2048;

// The address to download a listing's media URL from, or empty when it may
// not be downloaded: only https on Wikimedia's media hosts (rerouted to the
// site under --site, path kept), or under --site the site itself; no "..",
// no white space, quotes, backslashes or bytes outside printable ASCII, at
// most kLongUrlLimit characters.
std::u16string CommonsMediaUrl(std::string_view url);

// The thumbnail prefix scraped from gallery pages (8-bit, as it appears in
// the page) and the photo prefix that replaces it.
std::string ThumbnailPrefix();
std::u16string PhotoPrefix();

// The maker's web address without scheme, as the version notice prints it:
// host, then "/screensavers".
std::u16string MakerAddress();
// What "Home Website" opens: the maker's page where --site names the maker's
// site, else the README installed with the program (installedReadme, an
// absolute path) as a file:// URL, since the built-in maker host is a
// reserved name that leads nowhere.
std::u16string HomeWebsiteUrl(std::u16string_view installedReadme);
