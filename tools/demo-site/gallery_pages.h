// The photo site's side of the demo: gallery search pages with thumbnail
// links, the rules for photo tails, the update reply and the home page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr int kDemoGalleryCount = 5;
inline constexpr int kLinksPerPage = 60;

// The gallery a search query asks for (0..4), from its "viewsperday" and
// "daterange" values; -1 when the query names none.
int GalleryForQuery(std::string_view viewsPerDay, std::string_view dateRange);

// The tails listed by a gallery, in page order. Neighbouring galleries share
// half of their photos, as the real periods overlap.
std::vector<std::string> GalleryTails(int gallery);

// A search page whose thumbnail links point at "http://<hostPort>/aviation-photos/small/".
std::string GalleryPageHtml(int gallery, std::string_view hostPort);

// Tails the site serves: folders of digits, ending in "<digits>.jpg".
bool IsSafeTail(std::string_view tail);

// The host and port links should name: the request's Host header when it is a
// plain host[:port], else the address the server listens on.
std::string HostForLinks(std::string_view hostHeader, int port);

std::string UpdateReplyXml(std::string_view version);
std::string HomePageHtml(std::string_view version);

// Version texts accepted on the command line: 1 to 32 of letters, digits, "." or "-"
// (longer than the saver keeps, so its cut can be tried).
bool IsPlainVersion(std::string_view version);
