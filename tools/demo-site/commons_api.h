// The Wikimedia Commons side of the demo: Action API listings of the
// Featured pictures of aircraft, in both reply shapes, over two pages joined
// by a continuation, with hostile entries among the good ones, and the
// thumbnails they point at.
#pragma once

#include <string>
#include <string_view>

// Good photos the listing offers, over both pages.
inline constexpr int kCommonsDemoPhotos = 24;

// The reply to /w/api.php with these parameters: the first page for an
// empty `gcmcontinue`, the second for the token the first page names, an
// API error for any other token or another category. `width` is the
// iiurlwidth asked for (the thumbnails are named by it).
std::string CommonsApiReply(std::string_view category, std::string_view gcmcontinue,
                            bool formatVersion2, std::string_view width);

// The file name a thumbnail path "/wikipedia/commons/thumb/h/hh/NAME/Wpx-NAME"
// names when it is one of the demo's, else empty.
std::string CommonsThumbName(std::string_view path);
