// The gallery page scraper: whatever the page holds, every photo it would
// request lies under the photo prefix, and every file it would write is a
// ".jpg" directly in the data folder whose download name fits a path.
#include <string>

#include "base/platform.h"
#include "base/process_state.h"
#include "fuzz_support.h"
#include "harvest/photo_harvest.h"
#include "net/endpoints.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    DataFolder.Assign(u"/home/user/Pictures/Velmora/SkyreelSaver");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string page = Bytes(data, size);
    const std::u16string photoPrefix = PhotoPrefix();
    const std::u16string folder = DataFolder.str() + kPathSeparator;
    PhotoLinkScan scan(page);
    PhotoLink link;
    std::size_t links = 0;
    while (NextPhotoLink(scan, link)) {
        Require(++links <= size, "each link takes bytes of the page");
        if (!link.usable) continue;
        Require(link.closed, "only a closed link is fetched");
        Require(link.url.view().starts_with(photoPrefix), "the URL is on the photo prefix");
        Require(link.path.view() == folder + link.name, "the file sits in the data folder");
        Require(link.name.find(u'/') == std::u16string::npos &&
                    link.name.find(u'\\') == std::u16string::npos,
                "the name is flat");
        Require(link.name != u".jpg" && link.name.find(u"..") == std::u16string::npos,
                "the name names a file of its own");
        Require(link.name.ends_with(u".jpg"), "the name ends in .jpg");
        Require(link.path.size() + 4 <= PathText::kCapacity, "the .tmp name fits a path");
    }
    return 0;
}
